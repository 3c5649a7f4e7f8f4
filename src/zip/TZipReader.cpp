// TZipReader: properties, opening the archive, reading or rebuilding its directory, the sorted
// view and the accessors.
#include "zip/TZipReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "zip/DosDateTime.h"
#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/LittleEndian.h"
#include "zip/Paths.h"
#include "zip/Prompts.h"
#include "zip/Text.h"
#include "zip/ZipFormat.h"

namespace zip {

namespace {
// Last-write time of an open file in nanoseconds, so any change of the archive is seen.
std::int64_t FileStamp(int handle) {
  struct stat st {};
  if (::fstat(handle, &st) != 0) return 0;
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The comment of the central header at offset, read from the header's own length fields.
std::string ReadEntryComment(TStream& s, std::int64_t offset) {
  s.Seek(offset, soBeginning);
  std::uint8_t raw[kCentralHeaderSize];
  if (s.Read(raw, kCentralHeaderSize) != kCentralHeaderSize) return {};
  ByteReader r(raw, sizeof raw);
  r.Skip(28);
  std::uint16_t nameLen = r.U16(), extraLen = r.U16(), commentLen = r.U16();
  s.Seek(nameLen + extraLen, soCurrent);
  std::string text(commentLen, '\0');
  std::int64_t got = s.Read(text.data(), commentLen);
  text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return text;
}

std::string ThreeDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d", n);
  return buf;
}

// Shows the busy cursor for a scope.
class BusyCursor {
 public:
  explicit BusyCursor(const std::function<void(bool)>& set) : set_(set) {
    if (set_) set_(true);
  }
  ~BusyCursor() {
    if (set_) set_(false);
  }

 private:
  const std::function<void(bool)>& set_;
};
// For an entry whose sizes follow its data: finds the data descriptor after dataStart (with or
// without its signature, the compressed size agreeing with its position), takes CRC and sizes
// from it and returns the offset just after it; -1 when none is found.
std::int64_t FindDataDescriptor(TStream& s, std::int64_t dataStart, std::int64_t size,
                                TZipHeaderInfo& e) {
  const std::int64_t kWindow = 1 << 16;
  std::vector<std::uint8_t> buf;
  // Each window also holds the 12 bytes before it and the 16 after it.
  for (std::int64_t base = dataStart; base < size; base += kWindow) {
    std::int64_t from = std::max(dataStart, base - 12);
    std::int64_t n = std::min<std::int64_t>(size, base + kWindow + 24) - from;
    buf.resize(static_cast<std::size_t>(n));
    s.Seek(from, soBeginning);
    if (s.Read(buf.data(), n) != n) return -1;
    auto at = [&](std::int64_t pos) { return &buf[static_cast<std::size_t>(pos - from)]; };
    std::int64_t last = std::min(base + kWindow, size - 4);
    for (std::int64_t pos = base; pos <= last; ++pos) {
      if (*at(pos) != 0x50) continue;
      std::uint32_t sig = ReadU32LE(at(pos));
      if (sig == kDataDescriptorSignature && pos + 16 <= from + n) {
        ByteReader r(at(pos + 4), 12);
        std::uint32_t crc = r.U32(), csize = r.U32(), usize = r.U32();
        if (csize == pos - dataStart) {
          e.CRC32 = crc, e.CompressedSize = csize, e.UncompressedSize = usize;
          return pos + 16;
        }
        // The ZIP64 form carries 8-byte sizes.
        if (pos + 24 <= from + n) {
          ByteReader r64(at(pos + 4), 20);
          crc = r64.U32();
          auto csize64 = static_cast<std::int64_t>(r64.U64());
          auto usize64 = static_cast<std::int64_t>(r64.U64());
          if (csize64 == pos - dataStart) {
            e.CRC32 = crc, e.CompressedSize = csize64, e.UncompressedSize = usize64;
            return pos + 24;
          }
        }
      }
      if ((sig == kLocalHeaderSignature || sig == kCentralHeaderSignature) &&
          pos - 12 >= dataStart) {
        ByteReader r(at(pos - 12), 12);
        std::uint32_t crc = r.U32(), csize = r.U32(), usize = r.U32();
        if (csize == pos - 12 - dataStart) {
          e.CRC32 = crc, e.CompressedSize = csize, e.UncompressedSize = usize;
          return pos;
        }
      }
    }
  }
  return -1;
}
}  // namespace

TZipReader::TZipReader() {
  // The default next-volume handler: numbered block files name.001, name.002, ...; spanned
  // disks are asked for.
  OnGetNextDisk = [](TZipReader& reader, int nextDisk, std::string& name) {
    if (reader.MultiMode() == mmSpan) {
      if (reader.SetBusyCursor) reader.SetBusyCursor(false);
      MsgResult r = ShowMessageBox(
          "Please insert disk " + std::to_string(nextDisk) + " of the multi-disk set.",
          "Confirmation", MsgKind::Confirmation, MsgButtons::OKCancel);
      if (reader.SetBusyCursor) reader.SetBusyCursor(true);
      if (r != MsgResult::OK) name.clear();
    } else {
      name = ChangeFileExt(name, "." + ThreeDigits(nextDisk));
    }
  };
}

TZipReader::~TZipReader() {
  sortedView_.reset();
  directory_.reset();
}

void TZipReader::Assign(const TZipReader& s) {
  if (&s == this) return;
  zipName_ = s.zipName_;
  destDir_ = s.destDir_;
  rootDir_ = s.rootDir_;
  SortMode = s.SortMode;
  RecreateDirs = s.RecreateDirs;
  OverwriteMode = s.OverwriteMode;
  FilesList = s.FilesList;
  DoAll = s.DoAll;
  IncompleteZipMode = s.IncompleteZipMode;
  KeepZipOpen = s.KeepZipOpen;
  DoProcessMessages = s.DoProcessMessages;
  RetainAttributes = s.RetainAttributes;
  ReplaceReadOnly = s.ReplaceReadOnly;
  FlushFilesOnClose = s.FlushFilesOnClose;
  OnStartUnZipInfo = s.OnStartUnZipInfo;
  OnStartUnZip = s.OnStartUnZip;
  OnEndUnZip = s.OnEndUnZip;
  OnPromptForOverwrite = s.OnPromptForOverwrite;
  OnSkippingFile = s.OnSkippingFile;
  OnBadPassword = s.OnBadPassword;
  OnBadCRC = s.OnBadCRC;
  OnInCompleteZip = s.OnInCompleteZip;
  OnGetNextDisk = s.OnGetNextDisk;
  OnUnZipComplete = s.OnUnZipComplete;
  OnFilePercentDone = s.OnFilePercentDone;
  OnTotalPercentDone = s.OnTotalPercentDone;
  OnGetNextBuffer = s.OnGetNextBuffer;
  ProcessMessages = s.ProcessMessages;
  SetBusyCursor = s.SetBusyCursor;
}

void TZipReader::SetZipName(const std::string& value) {
  if (SameFileName(value, zipName_)) return;
  std::string name = value;
  if (EndsWith(name, "?")) {
    std::string folder = ExtractFilePath(name.substr(0, name.size() - 1));
    FileDialogRequest request;
    request.title = "Open a Zip File";
    request.filter =
        "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files "
        "(*.*)|*.*";
    request.initialDir =
        DirectoryExists(folder)
            ? folder
            : IncludeTrailingPathDelimiter(std::getenv("HOME") ? std::getenv("HOME") : "/");
    auto chosen = AskForPath(request);
    if (!chosen) throw EUserCanceled("User canceled setting zip file name.");
    name = *chosen;
  }
  zipName_ = name;
  CloseArchive();
  FreeDirectory();
  archiveStamp_ = 0;
  endCentral_.Clear();
  rebuilt_ = false;
}

void TZipReader::SetDestDir(const std::string& value) {
  std::string dir = value;
  if (dir == "?") {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Folder;
    request.initialDir = DirectoryExists(destDir_) ? destDir_ : std::string(".");
    auto chosen = AskForPath(request);
    if (!chosen) throw EUserCanceled("User canceled Set Desination Directory");
    dir = *chosen;
  }
  if (!dir.empty() && IsPathDelimiter(dir.back()) && dir.size() > 1) dir.pop_back();
  destDir_ = dir;
}

void TZipReader::SetRootDir(const std::string& value) {
  rootDir_ = value.empty() ? value : IncludeTrailingPathDelimiter(value);
}

void TZipReader::Pump() {
  if (DoProcessMessages && ProcessMessages) ProcessMessages();
}

TSortedZip& TZipReader::View() const {
  return sortedView_ ? *sortedView_ : *directory_;
}

int TZipReader::EntryCount() const {
  return directory_ ? directory_->Count() : 0;
}

void TZipReader::CheckIndex(int i) const {
  if (i < 0 || i >= EntryCount())
    throw EListError("Index " + std::to_string(i) + " is out of range");
}

const TZipHeaderInfo& TZipReader::Entry(int i) const {
  CheckIndex(i);
  return *View().Items(i);
}

std::string TZipReader::EntryFileName(int i) const {
  return Entry(i).FileName();
}
std::string TZipReader::EntryDirectory(int i) const {
  return Entry(i).Directory();
}
std::int64_t TZipReader::EntryUncompressedSize(int i) const {
  return Entry(i).UncompressedSize;
}

DateTime TZipReader::EntryDateTime(int i) const {
  auto dt = DosToDateTime(Entry(i).DateTime);
  return dt ? *dt : DateTime::Now();
}

std::string TZipReader::ReadCommentAt(std::int64_t offset, std::size_t length) {
  std::string text(length, '\0');
  archive_->Seek(offset, soBeginning);
  std::int64_t got = archive_->Read(text.data(), static_cast<std::int64_t>(length));
  text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return text;
}

std::string TZipReader::EntryComment(int i) {
  CheckIndex(i);
  TZipHeaderInfo& e = *View().Items(i);
  if (!e.HasComment()) return {};
  if (e.FileComment()) return *e.FileComment();
  OpenArchive();
  TZipHeaderInfo& entry = *View().Items(i);  // the directory may have been reread
  std::string text = ReadEntryComment(*archive_, entry.CentralHeaderOffset);
  entry.SetFileComment(text);
  if (endCentral_.ThisDisk == 0 && !KeepZipOpen) CloseArchive();
  return text;
}

void TZipReader::SetEntryComment(int i, const std::string& text) {
  if (EntryComment(i) == text) return;
  View().Items(i)->SetFileComment(text);
  endCentral_.CommentChanged = 1;
}

std::string TZipReader::ArchiveComment() {
  if (endCentral_.CommentLength == 0) return {};
  if (endCentral_.Comment()) return *endCentral_.Comment();
  OpenArchive();
  std::string text = ReadCommentAt(endCentral_.CommentOffset, endCentral_.CommentLength);
  std::uint8_t changed = endCentral_.CommentChanged;
  endCentral_.SetComment(text);
  endCentral_.CommentChanged = changed;
  if (!KeepZipOpen) CloseArchive();
  return text;
}

void TZipReader::SetArchiveComment(const std::string& text) {
  if (ArchiveComment() == text) return;
  endCentral_.SetComment(text);
  endCentral_.CommentChanged = 1;
}

void TZipReader::CloseArchive() {
  archive_.reset();
}

void TZipReader::FreeDirectory() {
  sortedView_.reset();
  directory_.reset();
}

void TZipReader::ForgetArchive() {
  CloseArchive();
  FreeDirectory();
  endCentral_.Clear();
  rebuilt_ = false;
  archiveStamp_ = 0;
  volumeCount_ = 1;
  currentVolume_ = 0;
  multiMode_ = mmNone;
  zipName_.clear();
}

void TZipReader::LoadZipDirectory() {
  for (;;) {
    BusyCursor cursor(SetBusyCursor);
    try {
      OpenArchive();
    } catch (const EIncompleteZip&) {
      CloseArchive();
      if (OnInCompleteZip) continue;
      return;
    } catch (...) {
      ForgetArchive();
      throw;
    }
    if (!KeepZipOpen) CloseArchive();
    return;
  }
}

void TZipReader::OpenArchive() {
  if (!archive_)
    archive_ = std::make_unique<TLFNFileStream>(zipName_, kArchiveBufferSize, FlushFilesOnClose,
                                                fmOpenRead | fmShareDenyWrite);
  if (directory_ && FileStamp(archive_->Handle()) == archiveStamp_) return;
  ReadDirectory();
}

void TZipReader::SwitchToVolume(int n) {
  CloseArchive();
  std::string name = zipName_;
  for (;;) {
    std::string asked = name;
    if (OnGetNextDisk) OnGetNextDisk(*this, n, name);
    if (name.empty()) throw EUserCanceled("User canceled loading new disk.");
    if (FileExists(name)) break;
    // A volume that is missing and that the handler names again unchanged will not appear:
    // asking on would never end.
    if (!OnGetNextDisk || name == asked) throw EBadZipFile("Not a valid zip file!");
  }
  archive_ = std::make_unique<TLFNFileStream>(name, kArchiveBufferSize, false,
                                              fmOpenRead | fmShareDenyWrite);
  currentVolume_ = n - 1;
  archiveStamp_ = FileStamp(archive_->Handle());
  zipName_ = name;
}

void TZipReader::BuildSortedView(TZipSortMode mode) {
  sortedView_.reset();
  if (mode == ByNone || !directory_) return;
  sortedView_ = std::make_unique<TSortedZip>(dupAccept, false, mode);
  for (TZipHeaderInfo* e : *directory_) sortedView_->Add(e);
}

void TZipReader::ReadDirectory() {
  archiveStamp_ = FileStamp(archive_->Handle());
  FreeDirectory();
  rebuilt_ = false;
  // A comment set but not yet written survives rereading the directory.
  const bool commentPending = endCentral_.CommentChanged != 0;
  const std::string pendingComment = endCentral_.Comment().value_or("");
  struct RestorePending {
    TEndCentral& end;
    bool pending;
    const std::string& text;
    ~RestorePending() {
      if (!pending) return;
      end.SetComment(text);
      end.CommentChanged = 1;
    }
  } restorePending{endCentral_, commentPending, pendingComment};
  endCentral_.Clear();

  std::unique_ptr<TLFNFileStream> auxiliary;
  bool found = endCentral_.FindInStream(*archive_);
  if (!found) {
    std::string zfc = ChangeFileExt(zipName_, ".zfc");
    if (FileExists(zfc)) {
      auxiliary = std::make_unique<TLFNFileStream>(zfc, kZipBufferSize, false,
                                                   fmOpenRead | fmShareDenyWrite);
      found = endCentral_.FindInStream(*auxiliary);
      if (!found) auxiliary.reset();
    }
  }
  TStream* source = archive_.get();
  std::int64_t localShift = 0;
  // Volume numbers beyond what 16-bit fields and numbered names can hold are damage.
  if (found && (endCentral_.ThisDisk > 0xFFFF || endCentral_.CentralDirectoryDisk > 0xFFFF ||
                endCentral_.CentralDirectoryDisk > endCentral_.ThisDisk))
    throw EBadZipFile("Not a valid zip file!");
  if (found) {
    currentVolume_ = auxiliary ? 0 : static_cast<int>(endCentral_.ThisDisk);
    // Drive letters and removable drives do not exist here: a volume number means block files.
    multiMode_ = endCentral_.ThisDisk == 0 ? mmNone : mmBlocks;
    if (endCentral_.TotalEntries > 0) {
      if (auxiliary) {
        source = auxiliary.get();
        source->Seek(0, soBeginning);
      } else {
        if (multiMode_ != mmNone &&
            static_cast<int>(endCentral_.CentralDirectoryDisk) != currentVolume_) {
          SwitchToVolume(static_cast<int>(endCentral_.CentralDirectoryDisk) + 1);
        }
        source = archive_.get();
        if (multiMode_ == mmNone) localShift = LocateCentralDirectory();
        source->Seek(endCentral_.CentralDirectoryOffset, soBeginning);
      }
    }
  } else {
    TIncompleteZipMode mode = IncompleteZipMode;
    if (OnInCompleteZip) OnInCompleteZip(*this, mode);
    if (mode == izAssumeNotAZip) throw ENotAZipFile("Not a valid zip file!");
    if (mode == izAssumeMulti) throw EIncompleteZip("Incomplete Zip File");
    if (!RebuildFromLocalHeaders()) throw EBadZipFile("Not a valid zip file!");
  }
  if (!directory_) directory_ = std::make_unique<TSortedZip>(dupError, true, ByNone);

  auto nextVolume = [this](TStream*& stream) {
    SwitchToVolume(currentVolume_ + 2);
    stream = archive_.get();
  };
  bool multi = multiMode_ != mmNone && !auxiliary;
  std::uint64_t total = endCentral_.TotalEntries;
  for (std::uint64_t r = 0; r < total; ++r) {
    if (r % 256 == 0) Pump();
    auto entry = std::make_unique<TZipHeaderInfo>();
    bool ok = entry->ReadCentralFromStream(
        source, (!rebuilt_ && multi) ? TNextVolumeFunc(nextVolume) : TNextVolumeFunc());
    if (ok && rebuilt_) {
      int index;
      if (directory_->Find(entry.get(), index)) {
        TZipHeaderInfo* target = directory_->Items(index);
        std::int64_t offset = target->LocalHeaderOffset;
        std::uint16_t localExtra = target->LocalExtraLength;
        target->Assign(*entry);
        target->LocalHeaderOffset = offset;
        target->LocalExtraLength = localExtra;
      }
      continue;
    }
    if (ok) {
      entry->LocalHeaderOffset += localShift;
      TZipHeaderInfo* added = entry.get();
      bool duplicate = false;
      try {
        directory_->AddOwned(std::move(entry));
      } catch (const EListError&) {
        duplicate = true;
      }
      if (duplicate) {
        if (!RebuildFromLocalHeaders()) {
          ForgetArchive();
          throw EBadZipFile("Not a valid zip file!");
        }
        // Reread the central headers from where the local headers ended, completing the
        // rebuilt entries.
        source = archive_.get();
        source->Seek(endCentral_.CentralDirectoryOffset, soBeginning);
        total = endCentral_.TotalEntries;
        r = static_cast<std::uint64_t>(-1);
        continue;
      }
      if (endCentral_.ThisDisk != 0 && added->HasComment()) {
        std::int64_t back = source->Position();
        added->SetFileComment(ReadEntryComment(*source, added->CentralHeaderOffset));
        source->Seek(back, soBeginning);
      }
      continue;
    }
    if (rebuilt_) break;
    if (multiMode_ != mmNone || !RebuildFromLocalHeaders()) {
      ForgetArchive();
      throw EBadZipFile("Not a valid zip file!");
    }
    source = archive_.get();
    source->Seek(endCentral_.CentralDirectoryOffset, soBeginning);
    total = endCentral_.TotalEntries;
    r = static_cast<std::uint64_t>(-1);
  }

  if (endCentral_.ThisDisk != 0 && endCentral_.CommentLength != 0) {
    std::string text;
    if (auxiliary) {
      auxiliary->Seek(endCentral_.CommentOffset, soBeginning);
      text.resize(endCentral_.CommentLength);
      text.resize(static_cast<std::size_t>(
          std::max<std::int64_t>(0, auxiliary->Read(text.data(), endCentral_.CommentLength))));
    } else {
      if (currentVolume_ != static_cast<int>(endCentral_.ThisDisk))
        SwitchToVolume(static_cast<int>(endCentral_.ThisDisk) + 1);
      text = ReadCommentAt(endCentral_.CommentOffset, endCentral_.CommentLength);
    }
    std::uint8_t changed = endCentral_.CommentChanged;
    endCentral_.SetComment(text);
    endCentral_.CommentChanged = changed;
  }
  volumeCount_ = static_cast<int>(endCentral_.ThisDisk) + 1;
  currentVolume_ = auxiliary ? 0 : static_cast<int>(endCentral_.ThisDisk);
  BuildSortedView(SortMode);
}

std::int64_t TZipReader::LocateCentralDirectory() {
  auto centralAt = [this](std::int64_t pos) {
    std::uint8_t sig[4];
    if (pos < 0) return false;
    archive_->Seek(pos, soBeginning);
    return archive_->Read(sig, 4) == 4 && ReadU32LE(sig) == kCentralHeaderSignature;
  };
  std::int64_t claimed = endCentral_.CentralDirectoryOffset;
  if (centralAt(claimed)) return 0;
  std::int64_t actual = endCentral_.CentralDirectoryEnd - endCentral_.CentralDirectorySize;
  if (actual == claimed || !centralAt(actual)) return 0;
  endCentral_.CentralDirectoryOffset = actual;
  // Bytes before the archive (a stub, or data it was appended to) move every offset alike; an
  // offset field holding only the ZIP64 marker says nothing about them.
  return claimed == kZip64Marker32 || actual < claimed ? 0 : actual - claimed;
}

bool TZipReader::RebuildFromLocalHeaders() {
  if (rebuilt_) return false;
  rebuilt_ = true;
  FreeDirectory();
  TStream& s = *archive_;
  std::int64_t size = s.Size();
  std::int64_t pos = SameText(ExtractFileExt(zipName_), ".exe") ? 14000 : 0;
  if (pos > size) return false;
  s.Seek(pos, soBeginning);

  // Scan for the first local header signature whose version field looks real.
  const std::uint8_t sig[4] = {0x50, 0x4B, 0x03, 0x04};
  int matched = 0;
  std::int64_t scanned = 0;
  for (;;) {
    std::uint8_t b;
    if (s.Read(&b, 1) != 1) return false;
    if (++scanned % 10240 == 0) Pump();
    if (b == sig[matched]) {
      if (++matched < 4) continue;
      std::uint8_t version[2];
      if (s.Read(version, 2) != 2) return false;
      if (version[1] < 10) {
        s.Seek(-6, soCurrent);
        break;
      }
      s.Seek(-2, soCurrent);
      matched = 0;
    } else {
      matched = (b == sig[0]) ? 1 : 0;
    }
  }

  directory_ = std::make_unique<TSortedZip>(dupError, true, ByNone);
  std::int64_t stop = s.Position();
  for (;;) {
    auto entry = std::make_unique<TZipHeaderInfo>();
    if (!entry->ReadLocalFromStream(s)) break;
    std::int64_t dataStart = s.Position() + entry->LocalExtraLength;
    // Sizes from the archive are checked against the file before any arithmetic.
    if (entry->CompressedSize < 0 || dataStart > size || entry->CompressedSize > size - dataStart)
      break;
    std::int64_t next = dataStart + entry->CompressedSize;
    if (entry->HasDataDescriptor()) {
      next =
          entry->CompressedSize == 0 ? FindDataDescriptor(s, dataStart, size, *entry) : next + 16;
      if (next < 0) break;
    }
    if (entry->CompressedSize < 0 || dataStart > size || next > size) break;
    if (!directory_->AddOwned(std::move(entry))) break;
    s.Seek(next, soBeginning);
    stop = next;
    Pump();
  }
  endCentral_.ThisDisk = endCentral_.CentralDirectoryDisk = 0;
  endCentral_.CentralDirectoryOffset = stop;
  endCentral_.TotalEntries = endCentral_.EntriesThisDisk =
      static_cast<std::uint64_t>(directory_->Count());
  currentVolume_ = 0;
  volumeCount_ = 1;
  return true;
}

}  // namespace zip
