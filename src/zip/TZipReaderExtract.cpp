// TZipReader::UnZip: extraction of the selected entries, with the password check, overwrite
// modes, decoding, CRC check, dates and attributes; and TestEntries, which decodes without
// writing. Every entry is written to a temporary file beside its target and moved into place
// only after its CRC matched, and nothing is ever written outside the destination folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>
#include <cstdlib>
#include <new>
#include <vector>

#include "zip/DosDateTime.h"
#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/LegacyDecoders.h"
#include "zip/LittleEndian.h"
#include "zip/MatchWildcard.h"
#include "zip/Paths.h"
#include "zip/Prompts.h"
#include "zip/TZipReader.h"
#include "zip/Text.h"
#include "zip/ZipFormat.h"
#include "zip/Zlib.h"

namespace zip {

namespace {
constexpr std::size_t kChunk = 32768;
// Declared sizes are the archive's claims: their sum saturates instead of overflowing.
constexpr std::int64_t kMaxRunTotal = std::numeric_limits<std::int64_t>::max() / 2;

// True when a stored path component is "..", which would climb out of the destination.
bool HasParentComponent(const std::string& path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of(kWindowsPaths ? "\\/" : "/", start);
    if (end == std::string::npos) end = path.size();
    if (path.compare(start, end - start, "..") == 0 && end - start == 2) return true;
    start = end + 1;
  }
  return false;
}

// The canonical form of an existing folder, empty when it cannot be resolved.
// The folder itself when it exists, else its nearest existing ancestor ("" for the current
// folder).
std::string NearestExistingFolder(std::string folder) {
  while (!folder.empty() && !DirectoryExists(folder)) {
    std::string parent = ExtractFilePath(ExcludeTrailingPathDelimiter(folder));
    if (parent.size() >= folder.size()) return {};
    folder = parent;
  }
  return folder;
}

std::string RealFolder(const std::string& folder) {
  char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  if (!real) return {};
  std::string r = IncludeTrailingPathDelimiter(real);
  std::free(real);
  return r;
}

// Removes a temporary output file unless it was handed over.
class TempOutput {
 public:
  TempOutput() = default;
  ~TempOutput() { Discard(); }
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;
  void Set(std::string path) { path_ = std::move(path); }
  const std::string& Path() const { return path_; }
  void Discard() {
    stream.reset();
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
  }
  void Release() { path_.clear(); }
  std::unique_ptr<TLFNFileStream> stream;

 private:
  std::string path_;
};

// Sets a file's last-write time to a date-time (local time).
void SetFileTime(const std::string& path, const DateTime& dt) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = dt.ToTimeT();
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Applies an entry's stored attributes: the Unix mode when the entry carries one, else the DOS
// read-only bit as cleared write permissions.
void ApplyAttributes(const std::string& path, const TZipHeaderInfo& e) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;
  mode_t mode = st.st_mode & 07777;
  std::uint32_t unixMode = e.ExternalAttributes >> 16;
  if (e.Host() == kHostUnix && unixMode != 0 && S_ISREG(unixMode)) {
    mode = unixMode & 0777;  // permission bits only, never set-id bits
  } else if (e.ExternalAttributes & 0x01) {
    mode &= ~static_cast<mode_t>(0222);
  }
  ::chmod(path.c_str(), mode);
}
}  // namespace

std::string TZipReader::DestinationFolder(const TZipHeaderInfo& e) const {
  std::string d = e.Directory();
  // No destination means the current folder, never the file system's root.
  if (!RecreateDirs || d.empty())
    return destDir_.empty() ? std::string() : IncludeTrailingPathDelimiter(destDir_);
  if (!rootDir_.empty() && d.size() >= rootDir_.size() &&
      SameText(d.substr(0, rootDir_.size()), rootDir_))
    d.erase(0, rootDir_.size());
  bool leadingSeparator = !d.empty() && IsPathDelimiter(d[0], PathStyle::Windows);
  bool drive = d.size() >= 2 && d[1] == ':' &&
               ((d[0] >= 'A' && d[0] <= 'Z') || (d[0] >= 'a' && d[0] <= 'z'));
  if (d.empty() || (!leadingSeparator && !drive))
    return d.empty() ? IncludeTrailingPathDelimiter(destDir_) : JoinPath(destDir_, d);
  if (destDir_.empty()) return d;
  if (leadingSeparator) return JoinPath(destDir_, d);
  return JoinPath(destDir_, d.substr(2));
}

void TZipReader::SkipEntry(TSkipReason reason, const std::string& name, int i) {
  bool retry = false;
  if (OnSkippingFile) OnSkippingFile(*this, reason, name, i, retry);
  runTotal_ -= current_.UncompressedSize;
  --selectedCount_;
}

bool TZipReader::SeekToData(const TZipHeaderInfo& e, std::int64_t& remaining) {
  if (e.DiskNumberStart >= static_cast<std::uint32_t>(volumeCount_)) return false;
  if (multiMode_ != mmNone && currentVolume_ != static_cast<int>(e.DiskNumberStart))
    SwitchToVolume(static_cast<int>(e.DiskNumberStart) + 1);
  std::uint8_t raw[kLocalHeaderSize];
  if (e.LocalHeaderOffset < 0 || e.LocalHeaderOffset > archive_->Size() - kLocalHeaderSize)
    return false;
  archive_->Seek(e.LocalHeaderOffset, soBeginning);
  if (archive_->Read(raw, kLocalHeaderSize) != kLocalHeaderSize ||
      ReadU32LE(raw) != kLocalHeaderSignature)
    return false;
  ByteReader r(raw + 26, 4);
  std::uint16_t nameLen = r.U16(), extraLen = r.U16();
  archive_->Seek(nameLen + extraLen, soCurrent);
  remaining = e.CompressedSize;
  return true;
}

bool TZipReader::DecodeData(const TZipHeaderInfo& e, std::int64_t remaining, const BlockSink& sink,
                            std::string* problem) {
  const bool encrypted = e.IsEncrypted();
  std::vector<std::uint8_t> inBuf(kChunk);
  // Hands out the entry's compressed bytes chunk by chunk, decrypted.
  auto readChunk = [&](std::uint8_t* buf, std::size_t want) -> std::size_t {
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(want), std::max<std::int64_t>(remaining, 0)));
    if (n == 0) return 0;
    Pump();
    std::int64_t got = archive_->Read(buf, static_cast<std::int64_t>(n));
    while (got < static_cast<std::int64_t>(n) && multiMode_ != mmNone && OnGetNextDisk &&
           currentVolume_ + 1 < volumeCount_) {
      SwitchToVolume(currentVolume_ + 2);
      archive_->Seek(0, soBeginning);
      got += archive_->Read(buf + got, static_cast<std::int64_t>(n) - got);
    }
    if (got < static_cast<std::int64_t>(n)) throw EFatalUnzipError("Premature end of file reached");
    if (encrypted) DecryptBuffer(buf, n);
    remaining -= static_cast<std::int64_t>(n);
    return n;
  };
  std::int64_t written = 0;
  bool tooBig = false;
  auto emit = [&](const std::uint8_t* data, std::size_t n) -> bool {
    if (written + static_cast<std::int64_t>(n) > e.UncompressedSize) {
      tooBig = true;
      return false;
    }
    sink(data, n);
    written += static_cast<std::int64_t>(n);
    return true;
  };
  auto fail = [&](const std::string& why) {
    if (problem) *problem = why;
    return false;
  };

  switch (e.CompressionMethod) {
    case kMethodStored: {
      for (;;) {
        std::size_t n = readChunk(inBuf.data(), kChunk);
        if (n == 0) break;
        if (!emit(inBuf.data(), n)) break;
      }
      break;
    }
    case kMethodDeflated: {
      std::unique_ptr<RawInflater> inflater;
      try {
        inflater = std::make_unique<RawInflater>();
      } catch (const std::bad_alloc&) {
        ShowMessageBox("*** inflate out of memory ***", "Error", MsgKind::Error, MsgButtons::OK);
        return fail("out of memory");
      }
      std::vector<std::uint8_t> outBuf(kChunk);
      std::size_t inPos = 0, inLen = 0;
      bool inputDone = false;
      for (;;) {
        if (inPos == inLen && !inputDone) {
          inLen = readChunk(inBuf.data(), kChunk);
          inPos = 0;
          inputDone = inLen == 0;
        }
        std::size_t used = 0, made = 0;
        auto st = inflater->Inflate(inBuf.data() + inPos, inLen - inPos, used, outBuf.data(),
                                    outBuf.size(), made);
        inPos += used;
        if (made && !emit(outBuf.data(), made)) break;
        if (st == RawInflater::Status::StreamEnd) break;
        if (st == RawInflater::Status::DataError) return fail("invalid deflate data");
        // Input used up and nothing more comes out: the data ended before the stream did.
        if (inputDone && made == 0) break;
      }
      break;
    }
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6: {
      DecoderInput in = [&](std::uint8_t* buf, std::size_t n) { return readChunk(buf, n); };
      DecoderOutput out = [&](const std::uint8_t* data, std::size_t n) { return emit(data, n); };
      DecodeStatus st;
      try {
        if (e.CompressionMethod == 1)
          st = Unshrink(in, out, e.UncompressedSize);
        else if (e.CompressionMethod == 6)
          st = Explode(in, out, e.UncompressedSize, e.Flag & 0x0002, e.Flag & 0x0004);
        else
          st = Unreduce(in, out, e.UncompressedSize, e.CompressionMethod - 1);
      } catch (const std::bad_alloc&) {
        ShowMessageBox("*** inflate out of memory ***", "Error", MsgKind::Error, MsgButtons::OK);
        return fail("out of memory");
      }
      if (st == DecodeStatus::DataError) return fail("invalid compressed data");
      break;
    }
    default:
      ShowMessageBox("Unknown Compression Method", "Zip Error", MsgKind::Error, MsgButtons::OK);
      return fail("unknown compression method " + std::to_string(e.CompressionMethod));
  }
  if (tooBig) return fail("larger than its uncompressed size");
  return true;
}

int TZipReader::UnZip() {
  busy_ = true;
  struct BusyGuard {
    bool& flag;
    ~BusyGuard() { flag = false; }
  } guard{busy_};
  runCount_ = 0;
  realDestFor_ = realOutFor_ = "?";
  if (destDir_ == "?") return 0;
  LoadZipDirectory();
  OpenArchive();

  bool keep = KeepZipOpen;
  KeepZipOpen = true;
  bool resorted = false;
  // Runs at the end of the run, also when an error ends it.
  auto finish = [&]() {
    FilesList.clear();
    if (resorted) BuildSortedView(SortMode);
    if (OnUnZipComplete) OnUnZipComplete(*this, runCount_);
    KeepZipOpen = keep;
    if (!KeepZipOpen) CloseArchive();
  };
  try {
    if (!destDir_.empty() && !DirectoryExists(destDir_)) ForceDirectories(destDir_);
    if (endCentral_.ThisDisk != 0 && SortMode != ByNone) {
      BuildSortedView(ByNone);
      resorted = true;
    }
    runTotal_ = runDone_ = 0;
    selectedCount_ = EntryCount();
    TSortedZip& view = View();
    for (TZipHeaderInfo* e : view) {
      e->ExtractMark = DoAll;
      if (!e->FileName().empty() || RecreateDirs) {
        std::string name = LowerCase(e->FullName());
        for (const std::string& line : FilesList) {
          if (MatchWildcard(LowerCase(line), name)) {
            e->ExtractMark = 1;
            break;
          }
        }
        if (e->ExtractMark && !e->FileName().empty())
          runTotal_ += std::min(e->UncompressedSize, kMaxRunTotal - runTotal_);
        else
          --selectedCount_;
      } else {
        e->ExtractMark = 0;
        --selectedCount_;
      }
    }
    bool stop = false;
    if (OnStartUnZipInfo) OnStartUnZipInfo(*this, selectedCount_, runTotal_, stop);
    runCount_ = 0;
    if (selectedCount_ > 0 && !stop) {
      for (int i = 0; i < view.Count(); ++i) {
        if (!DoAll && !view.Items(i)->ExtractMark) continue;
        do ExtractEntry(i);
        while (retry_);
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return runCount_;
}

void TZipReader::ExtractEntry(int i) {
  retry_ = false;
  current_.Assign(*View().Items(i));
  const TZipHeaderInfo& e = current_;
  const std::string storedName = e.FullName();

  std::int64_t remaining = 0;
  if (!e.FileName().empty() && !SeekToData(e, remaining)) {
    // A local header that cannot be found cannot be extracted.
    SkipEntry(srCreateFailed, storedName, i);
    return;
  }
  // Nothing may land outside the destination: no ".." components, no absolute escape.
  if (HasParentComponent(storedName)) {
    SkipEntry(srCreateFailed, storedName, i);
    return;
  }
  std::string folder = DestinationFolder(e);
  if (realDestFor_ != destDir_) {
    realDestFor_ = destDir_;
    realDest_ = RealFolder(destDir_);
  }
  // Folders are created only where the part that already exists resolves inside the
  // destination, so a symbolic link cannot lead the creation elsewhere.
  auto leavesDestination = [&](const std::string& target) {
    const std::string real = RealFolder(NearestExistingFolder(target));
    return realDest_.empty() || real.empty() || !StartsWith(real, realDest_);
  };
  if (e.FileName().empty()) {
    if (RecreateDirs && !DirectoryExists(folder)) {
      if (leavesDestination(folder)) {
        SkipEntry(srCreateFailed, storedName, i);
        return;
      }
      ForceDirectories(folder);
    }
    ++runCount_;
    return;
  }

  std::string fname = folder + e.FileName();
  bool skip = false;
  if (OnStartUnZip) OnStartUnZip(*this, i, fname, skip);
  if (skip) return;
  std::string outFolder = ExtractFilePath(fname);
  if (!outFolder.empty() && !DirectoryExists(outFolder)) {
    if (leavesDestination(outFolder)) {
      SkipEntry(srCreateFailed, fname, i);
      return;
    }
    ForceDirectories(outFolder);
  }
  // The resolved output folder must lie inside the resolved destination (symbolic links
  // included).
  // Resolved once per run for the destination and once per output folder in a row.
  if (realOutFor_ != outFolder) {
    realOutFor_ = outFolder;
    realOut_ = RealFolder(outFolder);
  }
  const std::string& realDest = realDest_;
  const std::string& realOut = realOut_;
  if (realDest.empty() || realOut.empty() || !StartsWith(realOut, realDest) ||
      HasParentComponent(fname)) {
    SkipEntry(srCreateFailed, fname, i);
    return;
  }

  std::int64_t dataStart = archive_->Position();
  if (e.IsEncrypted()) {
    std::uint8_t check = ExpectedCheckByte(e.Flag, e.CRC32, e.DateTime);
    for (;;) {
      archive_->Seek(dataStart, soBeginning);
      std::int64_t left = remaining;
      if (ReadEncryptionHeader(Password, *archive_, left) == check) {
        remaining = left;
        break;
      }
      std::string newPassword = Password;
      if (OnBadPassword) OnBadPassword(*this, i, newPassword);
      if (!OnBadPassword || newPassword == Password) {
        SkipEntry(srBadPassword, storedName, i);
        return;
      }
      Password = newPassword;
    }
  }

  struct stat st {};
  bool exists = ::lstat(fname.c_str(), &st) == 0;
  if (exists) {
    bool replace = false;
    switch (OverwriteMode) {
      case Always:
        replace = true;
        break;
      case Never:
        replace = false;
        break;
      case Prompt:
        if (OnPromptForOverwrite) {
          OnPromptForOverwrite(*this, replace, i, fname);
        } else {
          replace =
              ShowMessageBox("Replace existing file " + EntryFileName(i) + "?", "File Exists Alert",
                             MsgKind::Confirmation, MsgButtons::YesNo) == MsgResult::Yes;
        }
        break;
      case ifNewer:
      case ifOlder: {
        auto entryDate = DosToDateTime(e.DateTime);
        DateTime fileDate = FileDateTime(fname);
        if (entryDate)
          replace = OverwriteMode == ifNewer ? *entryDate > fileDate : *entryDate < fileDate;
        break;
      }
    }
    if (!replace) {
      SkipEntry(srNotOverwritten, fname, i);
      return;
    }
  }

  // A read-only file blocks replacing unless ReplaceReadOnly lifts its read-only state.
  if (exists && S_ISREG(st.st_mode) && ::access(fname.c_str(), W_OK) != 0) {
    if (!ReplaceReadOnly || ::chmod(fname.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) {
      SkipEntry(srCreateFailed, fname, i);
      return;
    }
  }
  if (exists && S_ISDIR(st.st_mode)) {
    SkipEntry(srCreateFailed, fname, i);
    return;
  }

  TempOutput out;
  std::string temp;
  int fd = CreateTempFile(outFolder.empty() ? std::string(".") : outFolder, temp);
  if (fd < 0) {
    SkipEntry(srCreateFailed, fname, i);
    return;
  }
  out.Set(temp);
  out.stream = std::make_unique<TLFNFileStream>(std::make_unique<TFileStream>(fd, temp),
                                                kOutputBufferSize, FlushFilesOnClose);

  Crc = 0xFFFFFFFFu;
  std::int64_t entryWritten = 0;
  BlockSink sink = [&](const std::uint8_t* data, std::size_t n) {
    if (out.stream->Write(data, static_cast<std::int64_t>(n)) != static_cast<std::int64_t>(n))
      throw ECantWriteUCF("Cant write uncompressed file");
    UpdateCrc(data, n);
    entryWritten += static_cast<std::int64_t>(n);
    runDone_ += static_cast<std::int64_t>(n);
    if (OnFilePercentDone)
      OnFilePercentDone(*this, std::min(100, Percent(entryWritten, e.UncompressedSize)));
    if (OnTotalPercentDone) OnTotalPercentDone(*this, std::min(100, Percent(runDone_, runTotal_)));
  };
  archive_->Seek(dataStart + (e.IsEncrypted() ? kEncryptionHeaderSize : 0), soBeginning);
  bool decoded = DecodeData(e, remaining, sink, nullptr);
  if (out.stream->GetState() == TS_BufferStream::bsWriting && !out.stream->FlushBuffer())
    throw ECantWriteUCF("Cant write uncompressed file");
  out.stream.reset();

  std::uint32_t crc = ~Crc;
  if (decoded && crc == e.CRC32) {
    if (auto dt = DosToDateTime(NormalizeDosDateTime(e.DateTime))) SetFileTime(temp, *dt);
    if (RetainAttributes) {
      ApplyAttributes(temp, e);
    } else {
      mode_t mask = ::umask(0);
      ::umask(mask);
      ::chmod(temp.c_str(), 0666 & ~mask);
    }
    if (!RenameFile(temp, fname)) {
      SkipEntry(srCreateFailed, fname, i);
      return;
    }
    out.Release();
    if (OnEndUnZip) OnEndUnZip(*this, i, fname);
    ++runCount_;
    return;
  }
  out.Discard();
  if (e.IsEncrypted()) {
    if (OnBadPassword) {
      std::string newPassword = Password;
      OnBadPassword(*this, i, newPassword);
      if (newPassword != Password) {
        Password = newPassword;
        retry_ = true;
      }
    }
    if (!retry_) SkipEntry(srBadPassword, storedName, i);
  } else {
    if (OnBadCRC) OnBadCRC(*this, crc, e.CRC32, i);
  }
}

int TZipReader::TestEntries(std::vector<TEntryProblem>& problems) {
  busy_ = true;
  struct BusyGuard {
    bool& flag;
    ~BusyGuard() { flag = false; }
  } guard{busy_};
  LoadZipDirectory();
  OpenArchive();
  int tested = 0;
  std::vector<std::string> patterns = FilesList;
  FilesList.clear();
  try {
    for (int i = 0; i < EntryCount(); ++i) {
      const TZipHeaderInfo& e = Entry(i);
      if (e.FileName().empty()) continue;
      std::string name = LowerCase(e.FullName());
      if (!patterns.empty() &&
          std::none_of(patterns.begin(), patterns.end(),
                       [&](const std::string& p) { return MatchWildcard(LowerCase(p), name); }))
        continue;
      ++tested;
      std::int64_t remaining = 0;
      if (!SeekToData(e, remaining)) {
        problems.push_back({i, e.FullName(), "local header not found"});
        continue;
      }
      if (e.CompressionMethod == 99 || (e.Flag & 0x0040)) {
        problems.push_back({i, e.FullName(), "encryption method not supported"});
        continue;
      }
      if (e.IsEncrypted()) {
        if (ReadEncryptionHeader(Password, *archive_, remaining) !=
            ExpectedCheckByte(e.Flag, e.CRC32, e.DateTime)) {
          problems.push_back(
              {i, e.FullName(),
               Password.empty() ? "encrypted, no password given" : "wrong password"});
          continue;
        }
      }
      Crc = 0xFFFFFFFFu;
      std::string problem;
      bool ok = DecodeData(
          e, remaining, [this](const std::uint8_t* d, std::size_t n) { UpdateCrc(d, n); },
          &problem);
      if (!ok) {
        problems.push_back({i, e.FullName(), problem});
      } else if (~Crc != e.CRC32) {
        problems.push_back(
            {i, e.FullName(), e.IsEncrypted() ? "CRC error (wrong password?)" : "CRC error"});
      }
    }
  } catch (const EFatalUnzipError& err) {
    problems.push_back({-1, "", err.what()});
  }
  if (!KeepZipOpen) CloseArchive();
  return tested;
}

}  // namespace zip
