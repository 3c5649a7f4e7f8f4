// Reading and writing local and central header records of TZipHeaderInfo.
#include "zip/TZipHeaderInfo.h"

#include <algorithm>

#include "zip/CodePage.h"
#include "zip/DosDateTime.h"
#include "zip/Exceptions.h"
#include "zip/LittleEndian.h"
#include "zip/Paths.h"
#include "zip/TStream.h"
#include "zip/ZipFormat.h"

namespace zip {

namespace {
constexpr std::int64_t kMax32 = 0xFFFFFFFF;

// Values of a ZIP64 extra field that replace the 32-bit fields holding the marker.
struct Zip64Values {
  bool uncompressed, compressed, offset, disk;
};

// Parses the ZIP64 extra field (id 1) out of an extra block; only the fields whose 32-bit (or
// 16-bit) form holds the marker are present, in this order.
void ApplyZip64Extra(std::string_view extra, const Zip64Values& wanted, TZipHeaderInfo& e) {
  ByteReader r(extra.data(), extra.size());
  while (r.Remaining() >= 4) {
    std::uint16_t id = r.U16(), size = r.U16();
    std::string_view body = r.Bytes(size);
    if (!r.Ok()) return;
    if (id != kZip64ExtraId) continue;
    ByteReader z(body.data(), body.size());
    // Values beyond 2^62 cannot be real sizes or offsets; they are left as the 32-bit marker.
    auto value = [&z](std::int64_t& field) {
      std::uint64_t v = z.U64();
      if (v < (1ULL << 62)) field = static_cast<std::int64_t>(v);
    };
    if (wanted.uncompressed && z.Remaining() >= 8) value(e.UncompressedSize);
    if (wanted.compressed && z.Remaining() >= 8) value(e.CompressedSize);
    if (wanted.offset && z.Remaining() >= 8) value(e.LocalHeaderOffset);
    if (wanted.disk && z.Remaining() >= 4) e.DiskNumberStart = z.U32();
    return;
  }
}

std::uint32_t Clip32(std::int64_t v) {
  return v >= kMax32 || v < 0 ? kZip64Marker32 : static_cast<std::uint32_t>(v);
}

// Reads exactly n bytes into out; false on a short read.
bool ReadExact(TStream& stream, std::string& out, std::size_t n) {
  out.resize(n);
  return n == 0 ||
         stream.Read(out.data(), static_cast<std::int64_t>(n)) == static_cast<std::int64_t>(n);
}
}  // namespace

// The in-memory form of a stored name: decoded, with the native separator.
static std::string MemoryName(const std::string& stored, std::uint16_t flag, int host) {
  std::string decoded = DecodeEntryName(stored, flag, host);
  if constexpr (kPathDelim != '/') std::replace(decoded.begin(), decoded.end(), '/', kPathDelim);
  return decoded;
}

void TZipHeaderInfo::TakeCommonFields(std::uint16_t needed, std::uint16_t flag,
                                      std::uint16_t method, std::uint32_t dos, std::uint32_t crc,
                                      std::uint32_t csize, std::uint32_t usize) {
  VersionNeeded = needed;
  Flag = flag;
  CompressionMethod = method;
  DateTime = NormalizeDosDateTime(dos);
  CRC32 = crc;
  CompressedSize = csize;
  UncompressedSize = usize;
}

void TZipHeaderInfo::Clear() {
  VersionMadeBy = 20;
  VersionNeeded = 20;
  Flag = 0;
  CompressionMethod = kMethodDeflated;
  DateTime = 0;
  CRC32 = 0xFFFFFFFF;
  CompressedSize = UncompressedSize = 0;
  FileNameLength = CentralExtraLength = LocalExtraLength = FileCommentLength = 0;
  DiskNumberStart = 0;
  InternalAttributes = 1;
  ExternalAttributes = 0x20;
  LocalHeaderOffset = CentralHeaderOffset = 0;
  ExtractMark = EntryState = Selected = 0;
  LocalZip64 = false;
  fileName_.clear();
  directory_.clear();
  comment_.reset();
}

void TZipHeaderInfo::Assign(const TZipHeaderInfo& s) {
  if (&s == this) return;
  VersionMadeBy = s.VersionMadeBy;
  VersionNeeded = s.VersionNeeded;
  Flag = s.Flag;
  CompressionMethod = s.CompressionMethod;
  DateTime = s.DateTime;
  CRC32 = s.CRC32;
  CompressedSize = s.CompressedSize;
  UncompressedSize = s.UncompressedSize;
  FileNameLength = s.FileNameLength;
  CentralExtraLength = s.CentralExtraLength;
  LocalExtraLength = s.LocalExtraLength;
  FileCommentLength = s.FileCommentLength;
  DiskNumberStart = s.DiskNumberStart;
  InternalAttributes = s.InternalAttributes;
  ExternalAttributes = s.ExternalAttributes;
  LocalHeaderOffset = s.LocalHeaderOffset;
  CentralHeaderOffset = s.CentralHeaderOffset;
  ExtractMark = s.ExtractMark;
  EntryState = s.EntryState;
  Selected = s.Selected;
  LocalZip64 = s.LocalZip64;
  SetFileName(s.fileName_);
  SetDirectory(s.directory_);
  if (s.FileCommentLength != 0 && s.comment_) comment_ = s.comment_;
}

void TZipHeaderInfo::UpdateNameLength() {
  FileNameLength = static_cast<std::uint16_t>(
      std::min<std::size_t>(directory_.size() + fileName_.size(), 0xFFFF));
}

void TZipHeaderInfo::SetFileName(const std::string& name) {
  if (name == fileName_) return;
  fileName_ = name;
  UpdateNameLength();
}

void TZipHeaderInfo::SetDirectory(const std::string& dir) {
  std::string d = dir;
  if (!d.empty() && !IsPathDelimiter(d.back())) d += kPathDelim;
  if (d == directory_) return;
  directory_ = d;
  UpdateNameLength();
}

void TZipHeaderInfo::SetFileComment(const std::optional<std::string>& comment) {
  if (comment && !comment->empty()) {
    comment_ = comment->substr(0, 0xFFFF);
    FileCommentLength = static_cast<std::uint16_t>(comment_->size());
  } else {
    comment_.reset();
    FileCommentLength = 0;
  }
}

void TZipHeaderInfo::SplitName(const std::string& name) {
  SetFileName(ExtractFileName(name));
  SetDirectory(ExtractFilePath(name));
}

std::int64_t TZipHeaderInfo::LocalSize() const {
  return kLocalHeaderSize + FileNameLength + LocalExtraLength + (LocalZip64 ? 20 : 0);
}

std::int64_t TZipHeaderInfo::CentralSize() const {
  return kCentralHeaderSize + FileNameLength + CentralExtraLength + FileCommentLength;
}

std::string TZipHeaderInfo::StoredName() {
  std::string name = FullName();
  if constexpr (kPathDelim != '/') std::replace(name.begin(), name.end(), kPathDelim, '/');
  if (!IsAscii(name)) Flag |= kFlagUtf8;
  return name;
}

void TZipHeaderInfo::SaveLocalToStream(TStream& stream) {
  LocalHeaderOffset = stream.Position();
  std::string name = StoredName();
  LocalZip64 = LocalZip64 || CompressedSize >= kMax32 || UncompressedSize >= kMax32;
  ByteWriter w;
  w.U32(kLocalHeaderSignature);
  w.U16(LocalZip64 ? std::max(VersionNeeded, kVersionZip64) : VersionNeeded);
  w.U16(Flag);
  w.U16(CompressionMethod);
  w.U32(DateTime);
  w.U32(CRC32);
  w.U32(LocalZip64 ? kZip64Marker32 : Clip32(CompressedSize));
  w.U32(LocalZip64 ? kZip64Marker32 : Clip32(UncompressedSize));
  w.U16(static_cast<std::uint16_t>(name.size()));
  w.U16(static_cast<std::uint16_t>(LocalExtraLength + (LocalZip64 ? 20 : 0)));
  w.Bytes(name);
  if (LocalZip64) {
    w.U16(kZip64ExtraId);
    w.U16(16);
    w.U64(static_cast<std::uint64_t>(UncompressedSize));
    w.U64(static_cast<std::uint64_t>(CompressedSize));
  }
  stream.WriteBuffer(w.Data().data(), static_cast<std::int64_t>(w.Size()));
}

void TZipHeaderInfo::SaveCentralToStream(TStream& stream) const {
  // StoredName may set the UTF-8 flag; work on a copy so this stays const.
  TZipHeaderInfo e(*this);
  std::string name = e.StoredName();
  bool bigU = UncompressedSize >= kMax32, bigC = CompressedSize >= kMax32;
  bool bigO = LocalHeaderOffset >= kMax32, bigD = DiskNumberStart >= kZip64Marker16;
  ByteWriter extra;
  if (bigU || bigC || bigO || bigD) {
    extra.U16(kZip64ExtraId);
    extra.U16(static_cast<std::uint16_t>(8 * (bigU + bigC + bigO) + 4 * bigD));
    if (bigU) extra.U64(static_cast<std::uint64_t>(UncompressedSize));
    if (bigC) extra.U64(static_cast<std::uint64_t>(CompressedSize));
    if (bigO) extra.U64(static_cast<std::uint64_t>(LocalHeaderOffset));
    if (bigD) extra.U32(DiskNumberStart);
  }
  bool zip64 = extra.Size() != 0;
  ByteWriter w;
  w.U32(kCentralHeaderSignature);
  w.U16(zip64 ? static_cast<std::uint16_t>((VersionMadeBy & 0xFF00) |
                                           std::max<int>(VersionMadeBy & 0xFF, kVersionZip64))
              : VersionMadeBy);
  w.U16(zip64 ? std::max(VersionNeeded, kVersionZip64) : VersionNeeded);
  w.U16(e.Flag);
  w.U16(CompressionMethod);
  w.U32(DateTime);
  w.U32(CRC32);
  w.U32(Clip32(CompressedSize));
  w.U32(Clip32(UncompressedSize));
  w.U16(static_cast<std::uint16_t>(name.size()));
  w.U16(static_cast<std::uint16_t>(extra.Size()));
  bool withComment = FileCommentLength != 0 && comment_;
  w.U16(withComment ? static_cast<std::uint16_t>(comment_->size()) : 0);
  w.U16(static_cast<std::uint16_t>(bigD ? kZip64Marker16 : DiskNumberStart));
  w.U16(InternalAttributes);
  w.U32(ExternalAttributes);
  w.U32(Clip32(LocalHeaderOffset));
  w.Bytes(name);
  w.Bytes(std::string_view(reinterpret_cast<const char*>(extra.Data().data()), extra.Size()));
  if (withComment) w.Bytes(*comment_);
  stream.WriteBuffer(w.Data().data(), static_cast<std::int64_t>(w.Size()));
}

bool TZipHeaderInfo::ReadCentralFromStream(TStream*& stream, const TNextVolumeFunc& nextVolume) {
  std::int64_t start = stream->Position();
  std::uint8_t raw[kCentralHeaderSize];
  std::int64_t got = stream->Read(raw, kCentralHeaderSize);
  auto signatureSoFar = [&](std::int64_t n) {
    std::uint8_t sig[4] = {0x50, 0x4B, 0x01, 0x02};
    return std::equal(raw, raw + std::min<std::int64_t>(n, 4), sig);
  };
  if (nextVolume && got < kCentralHeaderSize && (got == 0 || signatureSoFar(got))) {
    nextVolume(stream);
    got += stream->Read(raw + got, kCentralHeaderSize - got);
  }
  if (got != kCentralHeaderSize || ReadU32LE(raw) != kCentralHeaderSignature) {
    stream->Seek(start, soBeginning);
    return false;
  }
  ByteReader r(raw, sizeof raw);
  r.Skip(4);
  std::uint16_t madeBy = r.U16(), needed = r.U16(), flag = r.U16(), method = r.U16();
  std::uint32_t dos = r.U32(), crc = r.U32(), csize = r.U32(), usize = r.U32();
  std::uint16_t nameLen = r.U16(), extraLen = r.U16(), commentLen = r.U16(), disk = r.U16();
  std::uint16_t internal = r.U16();
  std::uint32_t external = r.U32(), offset = r.U32();

  std::string name, extra;
  if (!ReadExact(*stream, name, nameLen) || !ReadExact(*stream, extra, extraLen)) {
    stream->Seek(start, soBeginning);
    return false;
  }
  if (commentLen) stream->Seek(commentLen, soCurrent);

  std::string decoded = MemoryName(name, flag, madeBy >> 8);
  VersionMadeBy = madeBy;
  TakeCommonFields(needed, flag, method, dos, crc, csize, usize);
  CentralExtraLength = extraLen;
  DiskNumberStart = disk;
  InternalAttributes = internal;
  ExternalAttributes = external;
  LocalHeaderOffset = offset;
  ApplyZip64Extra(extra,
                  {usize == kZip64Marker32, csize == kZip64Marker32, offset == kZip64Marker32,
                   disk == kZip64Marker16},
                  *this);
  SplitName(decoded);
  comment_.reset();
  FileCommentLength = commentLen;
  ExtractMark = Selected = 0;
  CentralHeaderOffset = start;
  return true;
}

bool TZipHeaderInfo::ReadLocalFromStream(TStream& stream) {
  std::int64_t start = stream.Position();
  std::uint8_t raw[kLocalHeaderSize];
  if (stream.Read(raw, kLocalHeaderSize) != kLocalHeaderSize ||
      ReadU32LE(raw) != kLocalHeaderSignature) {
    stream.Seek(start, soBeginning);
    return false;
  }
  ByteReader r(raw, sizeof raw);
  r.Skip(4);
  std::uint16_t needed = r.U16(), flag = r.U16(), method = r.U16();
  std::uint32_t dos = r.U32(), crc = r.U32(), csize = r.U32(), usize = r.U32();
  std::uint16_t nameLen = r.U16(), extraLen = r.U16();
  std::string name, extra;
  if (!ReadExact(stream, name, nameLen)) {
    stream.Seek(start, soBeginning);
    return false;
  }
  std::int64_t afterName = stream.Position();
  bool zip64 = csize == kZip64Marker32 || usize == kZip64Marker32;
  if (zip64 && !ReadExact(stream, extra, extraLen)) extra.clear();
  if (zip64) stream.Seek(afterName, soBeginning);

  std::string decoded = MemoryName(name, flag, -1);
  VersionMadeBy = 0;
  TakeCommonFields(needed, flag, method, dos, crc, csize, usize);
  LocalExtraLength = extraLen;
  LocalZip64 = false;  // the ZIP64 extra, if any, is counted in LocalExtraLength here
  FileCommentLength = 0;
  DiskNumberStart = 0;
  InternalAttributes = 0;
  ExternalAttributes = 0;
  CentralHeaderOffset = 0;
  if (zip64) {
    // Both sizes are in a local ZIP64 extra field.
    TZipHeaderInfo sizes;
    ApplyZip64Extra(extra, {true, true, false, false}, sizes);
    if (usize == kZip64Marker32) UncompressedSize = sizes.UncompressedSize;
    if (csize == kZip64Marker32) CompressedSize = sizes.CompressedSize;
  }
  SplitName(decoded);
  comment_.reset();
  ExtractMark = Selected = 0;
  LocalHeaderOffset = start;
  return true;
}

}  // namespace zip
