// The end of central directory record: search, ZIP64 form, writing.
#include "zip/TEndCentral.h"

#include <algorithm>
#include <vector>

#include "zip/LittleEndian.h"
#include "zip/TStream.h"
#include "zip/ZipFormat.h"

namespace zip {

void TEndCentral::Clear() {
  Signature = kEndCentralSignature;
  ThisDisk = CentralDirectoryDisk = 0;
  EntriesThisDisk = TotalEntries = 0;
  CentralDirectorySize = CentralDirectoryOffset = 0;
  CommentLength = 0;
  CommentOffset = 0;
  CommentChanged = 0;
  CentralDirectoryEnd = 0;
  comment_.reset();
}

void TEndCentral::Assign(const TEndCentral& s) {
  if (&s == this) return;
  Signature = s.Signature;
  ThisDisk = s.ThisDisk;
  CentralDirectoryDisk = s.CentralDirectoryDisk;
  EntriesThisDisk = s.EntriesThisDisk;
  TotalEntries = s.TotalEntries;
  CentralDirectorySize = s.CentralDirectorySize;
  CentralDirectoryOffset = s.CentralDirectoryOffset;
  CommentLength = s.CommentLength;
  CommentOffset = s.CommentOffset;
  if (s.CommentLength != 0 && s.comment_) SetComment(*s.comment_);
}

void TEndCentral::SetComment(const std::string& text) {
  if (text.empty()) {
    comment_.reset();
    CommentLength = 0;
  } else {
    comment_ = text.substr(0, kMaxCommentLength);
    CommentLength = static_cast<std::uint16_t>(comment_->size());
  }
}

bool TEndCentral::NeedsZip64() const {
  return TotalEntries >= kZip64Marker16 || EntriesThisDisk >= kZip64Marker16 ||
         CentralDirectorySize >= kZip64Marker32 || CentralDirectoryOffset >= kZip64Marker32 ||
         ThisDisk >= kZip64Marker16 || CentralDirectoryDisk >= kZip64Marker16;
}

std::int64_t TEndCentral::RecordSize() const {
  return kEndCentralSize + CommentLength + (NeedsZip64() ? kZip64EndSize + kZip64LocatorSize : 0);
}

void TEndCentral::SaveToStream(TStream& stream) const {
  ByteWriter w;
  bool zip64 = NeedsZip64();
  auto clip16 = [zip64](std::uint64_t v) {
    return static_cast<std::uint16_t>(zip64 && v >= kZip64Marker16 ? kZip64Marker16 : v);
  };
  auto clip32 = [zip64](std::int64_t v) {
    return static_cast<std::uint32_t>(zip64 && v >= kZip64Marker32 ? kZip64Marker32 : v);
  };
  if (zip64) {
    std::int64_t recordOffset = stream.Position();
    w.U32(kZip64EndSignature);
    w.U64(kZip64EndSize - 12);
    w.U16(kVersionZip64 | (kHostUnix << 8));
    w.U16(kVersionZip64);
    w.U32(ThisDisk);
    w.U32(CentralDirectoryDisk);
    w.U64(EntriesThisDisk);
    w.U64(TotalEntries);
    w.U64(static_cast<std::uint64_t>(CentralDirectorySize));
    w.U64(static_cast<std::uint64_t>(CentralDirectoryOffset));
    w.U32(kZip64LocatorSignature);
    w.U32(ThisDisk);
    w.U64(static_cast<std::uint64_t>(recordOffset));
    w.U32(ThisDisk + 1);
  }
  w.U32(Signature);
  w.U16(clip16(ThisDisk));
  w.U16(clip16(CentralDirectoryDisk));
  w.U16(clip16(EntriesThisDisk));
  w.U16(clip16(TotalEntries));
  w.U32(clip32(CentralDirectorySize));
  w.U32(clip32(CentralDirectoryOffset));
  bool withComment = CommentLength != 0 && comment_;
  w.U16(withComment ? static_cast<std::uint16_t>(comment_->size()) : 0);
  if (withComment) w.Bytes(*comment_);
  stream.WriteBuffer(w.Data().data(), static_cast<std::int64_t>(w.Size()));
}

bool TEndCentral::FindInStream(TStream& stream) {
  std::int64_t size = stream.Size();
  if (size == 0) {
    Clear();
    return true;
  }
  if (size < kEndCentralSize) return false;
  std::int64_t tail = std::min<std::int64_t>(size, kEndCentralSize + kMaxCommentLength);
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(tail));
  stream.Seek(size - tail, soBeginning);
  if (stream.Read(buf.data(), tail) != tail) return false;
  for (std::int64_t i = tail - kEndCentralSize; i >= 0; --i) {
    if (buf[static_cast<std::size_t>(i)] != 0x50) continue;
    if (ReadU32LE(&buf[static_cast<std::size_t>(i)]) != kEndCentralSignature) continue;
    ByteReader r(&buf[static_cast<std::size_t>(i)], kEndCentralSize);
    comment_.reset();
    Signature = r.U32();
    ThisDisk = r.U16();
    CentralDirectoryDisk = r.U16();
    EntriesThisDisk = r.U16();
    TotalEntries = r.U16();
    CentralDirectorySize = r.U32();
    CentralDirectoryOffset = r.U32();
    CommentLength = r.U16();
    std::int64_t recordOffset = size - tail + i;
    CommentOffset = recordOffset + kEndCentralSize;
    CentralDirectoryEnd = recordOffset;
    if (ThisDisk == kZip64Marker16 || CentralDirectoryDisk == kZip64Marker16 ||
        EntriesThisDisk == kZip64Marker16 || TotalEntries == kZip64Marker16 ||
        CentralDirectorySize == kZip64Marker32 || CentralDirectoryOffset == kZip64Marker32)
      ReadZip64(stream, recordOffset);
    return true;
  }
  return false;
}

void TEndCentral::ReadZip64(TStream& stream, std::int64_t recordOffset) {
  if (recordOffset < kZip64LocatorSize) return;
  std::uint8_t loc[kZip64LocatorSize];
  stream.Seek(recordOffset - kZip64LocatorSize, soBeginning);
  if (stream.Read(loc, kZip64LocatorSize) != kZip64LocatorSize) return;
  ByteReader l(loc, sizeof loc);
  if (l.U32() != kZip64LocatorSignature) return;
  l.U32();
  auto zip64Offset = static_cast<std::int64_t>(l.U64());
  if (zip64Offset < 0 || zip64Offset > recordOffset - kZip64LocatorSize - kZip64EndSize) return;
  std::uint8_t rec[kZip64EndSize];
  stream.Seek(zip64Offset, soBeginning);
  if (stream.Read(rec, kZip64EndSize) != kZip64EndSize) return;
  ByteReader r(rec, sizeof rec);
  if (r.U32() != kZip64EndSignature) return;
  r.Skip(8 + 2 + 2);
  ThisDisk = r.U32();
  CentralDirectoryDisk = r.U32();
  EntriesThisDisk = r.U64();
  TotalEntries = r.U64();
  std::uint64_t size = r.U64(), offset = r.U64();
  // Values beyond 2^62 cannot be real; the record's 32-bit fields stay as they were.
  if (size < (1ULL << 62)) CentralDirectorySize = static_cast<std::int64_t>(size);
  if (offset < (1ULL << 62)) CentralDirectoryOffset = static_cast<std::int64_t>(offset);
  CentralDirectoryEnd = zip64Offset;
}

}  // namespace zip
