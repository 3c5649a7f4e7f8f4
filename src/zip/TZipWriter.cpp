// TZipWriter: options, gathering the file list, stored paths, the Zip core, adding and
// compressing one file, and handing the new archive over to the reader side.
#include "zip/TZipWriter.h"

#include "zip/TZipWriterRun.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "zip/DosDateTime.h"
#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/LittleEndian.h"
#include "zip/MatchWildcard.h"
#include "zip/Paths.h"
#include "zip/TDirSearch.h"
#include "zip/Text.h"
#include "zip/ZipFormat.h"
#include "zip/Zlib.h"

namespace zip {

namespace {
constexpr std::size_t kChunk = 32768;
constexpr std::size_t kIoBuffer = 1 << 18;  // input reads and output buffering
// Files this close to 4 GiB get a ZIP64 local header up front: their compressed size may pass
// the 32-bit field although the file itself does not.
constexpr std::int64_t kZip64Threshold = 0xFFFFFFFFLL - (1LL << 24);

// An open input file, closed on scope exit.
class InputFile {
 public:
  explicit InputFile(int fd) : fd_(fd) {}
  ~InputFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_;
};

// The DOS attribute bits of a file on this platform, with its mode in the upper 16 bits.
std::uint32_t ExternalAttributesOf(const std::string& name, const struct stat& st) {
  std::uint32_t dos = 0x20;  // every file counts as having the archive bit
  if (!(st.st_mode & S_IWUSR)) dos |= 0x01;
  std::string base = ExtractFileName(ExcludeTrailingPathDelimiter(name));
  if (!base.empty() && base[0] == '.') dos |= 0x02;
  return (static_cast<std::uint32_t>(st.st_mode & 0xFFFF) << 16) | dos;
}

std::uint32_t DosTimeOf(const struct stat& st) {
  return DateTimeToDos(DateTime::FromTimeT(st.st_mtim.tv_sec));
}

// Text when the binary bytes (0-6, 128-255) are at most a quarter of the text bytes (7-127).
// "." and ".." components would make entries that other tools refuse or that climb out of the
// destination when extracted: they are not stored (as other ZIP writers do); nor is a leading
// separator.
int AvailableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

std::string CleanStoredFolder(const std::string& folder) {
  std::string clean;
  std::size_t start = 0;
  while (start < folder.size()) {
    std::size_t end = folder.find(kPathDelim, start);
    if (end == std::string::npos) end = folder.size();
    std::string part = folder.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") clean += part + kPathDelim;
    start = end + 1;
  }
  return clean;
}

bool LooksLikeText(const std::uint8_t* data, std::size_t n) {
  std::size_t text = 0, binary = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (data[i] <= 6 || data[i] >= 128)
      ++binary;
    else
      ++text;
  }
  return binary <= text / 4;
}
}  // namespace

TZipWriter::TZipWriter() : Threads(AvailableProcessors()) {}
TZipWriter::~TZipWriter() = default;

void TZipWriter::Assign(const TZipWriter& s) {
  if (&s == this) return;
  TZipReader::Assign(s);
  PackLevel = s.PackLevel;
  Threads = s.Threads;
  recurse_ = s.recurse_;
  Dispose = s.Dispose;
  storePaths_ = s.storePaths_;
  relativePaths_ = s.relativePaths_;
  storeVolumes_ = s.storeVolumes_;
  ZipAction = s.ZipAction;
  MultiZipInfo = s.MultiZipInfo;
  Store83Names = s.Store83Names;
  TempPath = s.TempPath;
  SkipIfArchiveBitNotSet = s.SkipIfArchiveBitNotSet;
  ResetArchiveBitOnZip = s.ResetArchiveBitOnZip;
  ExcludeList = s.ExcludeList;
  NoCompressList = s.NoCompressList;
  AddDirEntriesOnRecurse = s.AddDirEntriesOnRecurse;
  OnZipComplete = s.OnZipComplete;
  OnStartZipInfo = s.OnStartZipInfo;
  OnStartZip = s.OnStartZip;
  OnDisposeFile = s.OnDisposeFile;
  OnEndZip = s.OnEndZip;
  OnDeleteEntry = s.OnDeleteEntry;
  OnNoSuchFile = s.OnNoSuchFile;
  OnUpdate = s.OnUpdate;
}

void TZipWriter::SetStorePaths(bool on) {
  storePaths_ = on;
  if (!on) storeVolumes_ = relativePaths_ = false;
}

void TZipWriter::SetRelativePaths(bool on) {
  relativePaths_ = on;
  if (on) storePaths_ = recurse_ = true;
}

void TZipWriter::SetStoreVolumes(bool on) {
  storeVolumes_ = on;
  if (on) storePaths_ = true;
}

void TZipWriter::SetZipName(const std::string& name) {
  if (SameFileName(name, zipName_)) return;
  if (endCentral_.CommentChanged && !Trim(zipName_).empty()) {
    FilesList.clear();
    ZipCore(false);
    endCentral_.CommentChanged = 0;
  }
  TZipReader::SetZipName(name);
}

bool TZipWriter::Excluded(const std::string& fullName) const {
  std::string full = LowerCase(fullName), base = LowerCase(ExtractFileName(fullName));
  for (const std::string& line : ExcludeList) {
    bool withFolder = line.find(kPathDelim) != std::string::npos;
    if (MatchWildcard(line, withFolder ? full : base)) return true;
  }
  return false;
}

bool TZipWriter::NoCompress(const std::string& fileName) const {
  std::string base = LowerCase(fileName);
  for (const std::string& line : NoCompressList)
    if (MatchWildcard(line, base)) return true;
  return false;
}

std::string TZipWriter::StoredPath(const std::string& fullName) const {
  if (!storePaths_) return {};
  std::string folder = ExtractFilePath(fullName);
  if (folder.empty()) return {};
  folder = IncludeTrailingPathDelimiter(folder);
  if (relativePaths_ && !rootDir_.empty() && folder.size() >= rootDir_.size() &&
      SameText(folder.substr(0, rootDir_.size()), rootDir_))
    folder.erase(0, rootDir_.size());
  // Drives exist only on Windows; a leading separator is never stored (an absolute name would
  // extract outside any destination with other tools).
  if (!folder.empty() && !storeVolumes_) folder.erase(0, ExtractFileDrive(folder).size());
  return CleanStoredFolder(folder);
}

void TZipWriter::Gather(Run& run) {
  run.totalBytes = run.doneBytes = 0;
  // Freshening compares with the archive's entries: read them when they are not loaded yet.
  if (ZipAction == zaFreshen && !directory_ && FileExists(zipName_)) OpenArchive();
  if (ZipAction == zaFreshen && directory_) {
    run.freshenView = std::make_unique<TSortedZip>(dupAccept, false, ByName);
    for (TZipHeaderInfo* e : *directory_) run.freshenView->Add(e);
  }
  auto inArchive = [&](const std::string& fullName) {
    if (ZipAction != zaFreshen) return true;
    if (!run.freshenView) return false;
    TZipHeaderInfo key;
    key.SetDirectory(StoredPath(fullName));
    key.SetFileName(ExtractFileName(fullName));
    int index;
    return run.freshenView->Find(&key, index);
  };

  std::vector<std::string> kept, wildcards;
  for (std::string line : FilesList) {
    if (!line.empty() && IsPathDelimiter(line.back())) {
      kept.push_back(line);
    } else if (HasWildcard(line)) {
      wildcards.push_back(line);
    } else {
      if (ExtractFilePath(line).empty()) line = rootDir_ + line;
      if (Excluded(line)) continue;
      // The archive being updated is never packed into itself.
      if (SameFileName(line, zipName_) || SameFile(line, zipName_)) continue;
      if (!FileExists(line)) {
        if (OnNoSuchFile) OnNoSuchFile(*this, line);
        continue;
      }
      if (!inArchive(line)) continue;
      run.totalBytes += FileSizeOf(line);
      kept.push_back(line);
    }
  }
  FilesList = kept;

  for (std::string line : wildcards) {
    bool recurse = recurse_;
    auto takePrefix = [&recurse](std::string& text, std::size_t at) {
      if (at < text.size() && (text[at] == '|' || text[at] == '>')) {
        recurse = text[at] == '>';
        text.erase(at, 1);
      }
    };
    takePrefix(line, 0);
    takePrefix(line, ExtractFilePath(line).size());
    std::string folder = ExtractFilePath(line);
    if (folder.empty()) folder = rootDir_;
    if (folder.empty() || HasWildcard(folder) || !DirectoryExists(folder)) continue;
    std::string mask = ExtractFileName(line);
    if (mask == "*.*") mask = "*";
    TDirSearch search(folder, recurse, mask);
    std::int64_t size = 0;
    for (std::string name = search.NextFile(size); !name.empty(); name = search.NextFile(size)) {
      if (OnRecursingFile) OnRecursingFile(*this, name);
      if (IsPathDelimiter(name.back())) {
        if (recurse && AddDirEntriesOnRecurse) FilesList.push_back(name);
        continue;
      }
      if (Excluded(name)) continue;
      Pump();
      if (SameFileName(name, zipName_) || SameFile(name, zipName_)) continue;
      if (!inArchive(name)) continue;
      FilesList.push_back(name);
      run.totalBytes += size;
    }
  }
  run.freshenView.reset();
}

void TZipWriter::WriteOut(Run& run, std::uint8_t* data, std::size_t n) {
  if (!Password.empty()) EncryptBuffer(data, n);
  if (run.sink->Write(data, static_cast<std::int64_t>(n)) != static_cast<std::int64_t>(n))
    throw ENotEnoughRoom("Not enough room to write archive");
  Pump();
}

std::size_t TZipWriter::ProgressRead(Run& run, int fd, std::uint8_t* buf, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    ssize_t got = ::read(fd, buf + done, n - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (done == 0) return 0;
  run.fileBytes += static_cast<std::int64_t>(done);
  run.doneBytes += static_cast<std::int64_t>(done);
  if (OnFilePercentDone) OnFilePercentDone(*this, Percent(run.fileBytes, run.fileSize));
  if (OnTotalPercentDone) OnTotalPercentDone(*this, Percent(run.doneBytes, run.totalBytes));
  UpdateCrc(buf, done);
  return done;
}

void TZipWriter::CompressFile(Run& run, int fd, TZipHeaderInfo& e) {
  std::vector<std::uint8_t>& in = run.inBuf;
  std::vector<std::uint8_t>& out = run.outBuf;
  std::int64_t packed = 0, read = 0;
  Crc = 0xFFFFFFFFu;
  if (PackLevel == 0 || NoCompress(e.FileName())) {
    for (;;) {
      std::size_t n = ProgressRead(run, fd, in.data(), in.size());
      if (n == 0) break;
      read += static_cast<std::int64_t>(n);
      WriteOut(run, in.data(), n);
      packed += static_cast<std::int64_t>(n);
    }
    e.CompressionMethod = kMethodStored;
    e.InternalAttributes = 0;
  } else {
    if (PackLevel <= 2) e.Flag |= kFlagFast;
    if (PackLevel >= 8) e.Flag |= kFlagMaximum;
    e.CompressionMethod = kMethodDeflated;
    if (!run.deflater)
      run.deflater = std::make_unique<RawDeflater>(PackLevel);
    else
      run.deflater->Reset();
    // The first chunk decides text or binary; an input that fits in one block is stored when
    // deflating does not make it smaller.
    std::size_t first = ProgressRead(run, fd, in.data(), kChunk);
    read = static_cast<std::int64_t>(first);
    e.InternalAttributes = LooksLikeText(in.data(), first) ? 1 : 0;
    bool single = first < kChunk;
    if (single) {
      std::size_t used = 0, made = 0;
      while (!run.deflater->Deflate(in.data() + used, first - used, used, true, out.data() + made,
                                    out.size() - made, made)) {
      }
      if (first <= made) {
        e.CompressionMethod = kMethodStored;
        WriteOut(run, in.data(), first);
        packed = static_cast<std::int64_t>(first);
      } else {
        WriteOut(run, out.data(), made);
        packed = static_cast<std::int64_t>(made);
      }
    } else if (Threads > 1 &&
               run.fileSize > static_cast<std::int64_t>(BlockDeflatePool::kBlockSize) &&
               StartBlockPool(run)) {
      packed = DeflateBlocks(run, fd, first, read);
    } else {
      std::size_t avail = first;
      bool eof = false;
      for (;;) {
        std::size_t used = 0;
        bool finished = false;
        while (!finished && (used < avail || eof)) {
          std::size_t made = 0;
          finished = run.deflater->Deflate(in.data() + used, avail - used, used, eof, out.data(),
                                           out.size(), made);
          if (made) {
            WriteOut(run, out.data(), made);
            packed += static_cast<std::int64_t>(made);
          }
          if (!eof && used == avail) break;
        }
        if (finished) break;
        avail = ProgressRead(run, fd, in.data(), in.size());
        read += static_cast<std::int64_t>(avail);
        eof = avail == 0;
      }
    }
  }
  e.CompressedSize = packed;
  e.UncompressedSize = read;
}

bool TZipWriter::StartBlockPool(Run& run) {
  constexpr int kMostThreads = 64;
  if (!run.blockPool && !run.blockPoolFailed) {
    try {
      run.blockPool =
          std::make_unique<BlockDeflatePool>(std::min(Threads, kMostThreads), PackLevel);
    } catch (const std::system_error&) {
      run.blockPoolFailed = true;  // no thread to be had: the run goes on with one
    }
  }
  return run.blockPool != nullptr;
}

std::int64_t TZipWriter::DeflateBlocks(Run& run, int fd, std::size_t first, std::int64_t& read) {
  using Block = BlockDeflatePool::Block;
  constexpr std::size_t kBlock = BlockDeflatePool::kBlockSize, kWindow = BlockDeflatePool::kWindow;
  BlockDeflatePool& pool = *run.blockPool;
  // However the entry ends, no worker still holds one of its blocks afterwards.
  struct Finish {
    BlockDeflatePool& pool;
    ~Finish() { pool.Abandon(); }
  } finish{pool};
  std::int64_t packed = 0;
  auto writeFront = [&] {
    Block& b = pool.Front();
    WriteOut(run, b.out.data(), b.packed);
    packed += static_cast<std::int64_t>(b.packed);
    pool.Release();
  };
  // Writing finished blocks makes room for the next one.
  auto take = [&] {
    Block* b;
    while (!(b = pool.Take())) writeFront();
    return b;
  };
  Block* cur = take();
  cur->window = 0;
  std::copy_n(run.inBuf.data(), first, cur->Data());
  cur->size = first + ProgressRead(run, fd, cur->Data() + first, kBlock - first);
  read = static_cast<std::int64_t>(cur->size);
  // A block is known to be the last when it is short or the read after it finds the end, so the
  // next block is read before the current one is submitted.
  for (;;) {
    Block* next = nullptr;
    if (cur->size == kBlock) {
      next = take();
      std::copy_n(cur->Data() + kBlock - kWindow, kWindow, next->in.data());
      next->window = kWindow;
      next->size = ProgressRead(run, fd, next->Data(), kBlock);
      read += static_cast<std::int64_t>(next->size);
      if (next->size == 0) next = nullptr;  // stays taken until Abandon frees every block
    }
    cur->last = next == nullptr;
    pool.Submit(cur);
    if (!next) break;
    cur = next;
    // Keep the output flowing while reading ahead.
    while (pool.Pending() && pool.Ready()) writeFront();
  }
  while (pool.Pending()) writeFront();
  return packed;
}

bool TZipWriter::AddFile(Run& run, const std::string& name) {
  auto entry = std::make_unique<TZipHeaderInfo>();
  TZipHeaderInfo& e = *entry;
  e.VersionMadeBy = (kHostUnix << 8) | 20;
  const bool folderEntry = !name.empty() && IsPathDelimiter(name.back());
  std::unique_ptr<InputFile> input;
  struct stat st {};
  if (folderEntry) {
    std::string folder = ExcludeTrailingPathDelimiter(name);
    if (::stat(folder.c_str(), &st) == 0) {
      e.DateTime = DosTimeOf(st);
      e.ExternalAttributes = (static_cast<std::uint32_t>(st.st_mode & 0xFFFF) << 16) | 0x20;
    } else {
      e.DateTime = DateTimeToDos(DateTime::Now());
    }
    e.CompressionMethod = kMethodStored;
    e.CRC32 = 0;
    e.InternalAttributes = 0;
  } else {
    if (!FileExists(name)) return false;
    for (;;) {
      int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd >= 0) {
        input = std::make_unique<InputFile>(fd);
        break;
      }
      bool retry = false;
      if (OnSkippingFile) OnSkippingFile(*this, srOpenFailed, name, -1, retry);
      if (!retry) {
        ++skippedFiles_;
        return false;
      }
    }
    if (::fstat(input->Fd(), &st) != 0 || !S_ISREG(st.st_mode)) {
      ++skippedFiles_;
      return false;
    }
    e.ExternalAttributes = ExternalAttributesOf(name, st);
    e.DateTime = DosTimeOf(st);
    e.UncompressedSize = st.st_size;
    e.LocalZip64 = st.st_size >= kZip64Threshold;
  }
  e.SetFileName(folderEntry ? std::string() : ExtractFileName(name));
  e.LocalHeaderOffset = run.multi ? 0 : run.out->Position();
  e.InternalAttributes = folderEntry ? 0 : 2;
  e.DiskNumberStart = 0;
  e.SetDirectory(StoredPath(name));
  // A folder entry without a stored path would have an empty name, which other tools reject:
  // there is nothing to store for it.
  if (folderEntry && e.FullName().empty()) return false;

  int index;
  if (run.nameIndex->Find(&e, index)) {
    bool retry = false;
    if (OnSkippingFile) OnSkippingFile(*this, srNotOverwritten, name, -1, retry);
    run.totalBytes -= e.UncompressedSize;
    return false;
  }
  bool skip = false;
  if (OnStartZip) OnStartZip(*this, name, e, skip);
  if (skip) {
    run.totalBytes -= folderEntry ? 0 : st.st_size;
    return false;
  }
  // In multi-volume runs the data goes to a temporary file first and the header is written
  // with the final values when the entry is placed on the volumes.
  std::unique_ptr<TLFNFileStream> entryTemp;
  std::string entryTempName;
  struct TempRemover {
    std::string& name;
    std::unique_ptr<TLFNFileStream>& stream;
    ~TempRemover() {
      stream.reset();
      if (!name.empty()) DeleteFile(name);
    }
  } removeTemp{entryTempName, entryTemp};
  if (run.multi) {
    if (!folderEntry) {
      entryTempName = TempFileName(DirectoryExists(TempPath) ? TempPath : std::string());
      if (entryTempName.empty()) throw EFCreateError("Cannot create a temporary file");
      entryTemp = std::make_unique<TLFNFileStream>(entryTempName, kIoBuffer, false, fmCreate);
      run.sink = entryTemp.get();
    }
  } else {
    run.out->Seek(e.LocalHeaderOffset, soBeginning);
    e.SaveLocalToStream(*run.out);
    run.sink = run.out.get();
  }

  if (!folderEntry) {
    run.fileBytes = 0;
    run.fileSize = st.st_size;
    if (!Password.empty()) {
      // The check bytes of the encryption header need the CRC before the data is written.
      Crc = 0xFFFFFFFFu;
      for (;;) {
        ssize_t n = ::read(input->Fd(), run.inBuf.data(), run.inBuf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        UpdateCrc(run.inBuf.data(), static_cast<std::size_t>(n));
      }
      ::lseek(input->Fd(), 0, SEEK_SET);
      e.CRC32 = ~Crc;
      std::uint8_t header[kEncryptionHeaderSize];
      MakeEncryptionHeader(Password, e.CRC32, header);
      if (run.sink->Write(header, kEncryptionHeaderSize) != kEncryptionHeaderSize)
        throw ENotEnoughRoom("Not enough room to write archive");
    }
    CompressFile(run, input->Fd(), e);
    e.CRC32 = ~Crc;
    if (!Password.empty()) {
      e.Flag |= kFlagEncrypted;
      e.CompressedSize += kEncryptionHeaderSize;
    }
    if (!e.LocalZip64 && (e.CompressedSize >= 0xFFFFFFFFLL || e.UncompressedSize >= 0xFFFFFFFFLL))
      throw Exception("File grew past 4 GiB while it was archived: " + name);
    input.reset();
    if (run.multi) {
      PlaceEntry(run, e, entryTemp.get());
    } else {
      std::int64_t end = run.out->Position();
      run.out->Seek(e.LocalHeaderOffset, soBeginning);
      e.SaveLocalToStream(*run.out);
      run.out->Seek(end, soBeginning);
    }
    if (OnEndZip) OnEndZip(*this, name, e.UncompressedSize, e.CompressedSize, run.out->Size());
  } else {
    if (run.multi) PlaceEntry(run, e, nullptr);
    if (OnEndZip) OnEndZip(*this, name, 0, 0, 0);
  }
  Register(run, std::move(entry));
  return true;
}

void TZipWriter::Register(Run& run, std::unique_ptr<TZipHeaderInfo> entry) {
  TZipHeaderInfo* e = entry.get();
  run.newDir->AddOwned(std::move(entry));
  run.nameIndex->Add(e);
  ++run.end.TotalEntries;
  ++run.end.EntriesThisDisk;
}

void TZipWriter::KeepEntry(Run& run, const TZipHeaderInfo& old) {
  auto entry = std::make_unique<TZipHeaderInfo>(old);
  TZipHeaderInfo& e = *entry;
  std::int64_t remaining = 0;
  if (!SeekToData(old, remaining)) throw EBadZipFile("Not a valid zip file!");
  // SeekToData skipped the old name and extra field; go back over the extra field to copy it.
  std::uint8_t raw[kLocalHeaderSize];
  archive_->Seek(old.LocalHeaderOffset, soBeginning);
  archive_->ReadBuffer(raw, kLocalHeaderSize);
  std::uint16_t nameLen = static_cast<std::uint16_t>(raw[26] | (raw[27] << 8));
  std::uint16_t extraLen = static_cast<std::uint16_t>(raw[28] | (raw[29] << 8));
  archive_->Seek(old.LocalHeaderOffset + kLocalHeaderSize + nameLen, soBeginning);
  e.LocalExtraLength = extraLen;
  e.LocalZip64 = false;  // a ZIP64 field of the old header comes along in its extra bytes
  e.DiskNumberStart = 0;
  e.SaveLocalToStream(*run.out);
  std::int64_t left = extraLen + old.CompressedSize;
  std::vector<std::uint8_t>& buf = run.inBuf;
  while (left > 0) {
    std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(buf.size()));
    if (archive_->Read(buf.data(), n) != n) throw EFatalUnzipError("Premature end of file reached");
    if (run.out->Write(buf.data(), n) != n)
      throw ENotEnoughRoom("Not enough room to write archive");
    left -= n;
  }
  if (e.HasDataDescriptor()) {
    // The sizes are in the header now, but a reader that honours the flag looks for the
    // descriptor after the data: write a fresh one.
    ByteWriter d;
    d.U32(kDataDescriptorSignature);
    d.U32(e.CRC32);
    bool big = e.CompressedSize >= 0xFFFFFFFFLL || e.UncompressedSize >= 0xFFFFFFFFLL;
    if (big) {
      d.U64(static_cast<std::uint64_t>(e.CompressedSize));
      d.U64(static_cast<std::uint64_t>(e.UncompressedSize));
    } else {
      d.U32(static_cast<std::uint32_t>(e.CompressedSize));
      d.U32(static_cast<std::uint32_t>(e.UncompressedSize));
    }
    run.out->WriteBuffer(d.Data().data(), static_cast<std::int64_t>(d.Size()));
  }
  Register(run, std::move(entry));
}

void TZipWriter::ProcessExistingEntries(Run& run) {
  // The first listed line for each stored name (lower case), found in one pass.
  std::unordered_map<std::string, std::size_t> firstLine;
  for (std::size_t k = 0; k < FilesList.size(); ++k) {
    const std::string& l = FilesList[k];
    bool folder = !l.empty() && IsPathDelimiter(l.back());
    if (folder && !storePaths_) continue;
    firstLine.emplace(LowerCase(StoredPath(l) + (folder ? "" : ExtractFileName(l))), k);
  }
  std::vector<bool> used(FilesList.size(), false);
  std::vector<TZipHeaderInfo*> entries(directory_->begin(), directory_->end());
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    TZipHeaderInfo old(*entries[static_cast<std::size_t>(i)]);
    if (old.HasComment() && !old.FileComment()) {
      // Loads the comment from the central header while the old archive is open.
      old.SetFileComment(EntryComment(i));
    }
    auto found = firstLine.find(LowerCase(old.FullName()));
    if (found == firstLine.end() || used[found->second]) {
      KeepEntry(run, old);
      continue;
    }
    const std::size_t k = found->second;
    const std::string name = FilesList[k];
    used[k] = true;
    bool isFolderLine = !name.empty() && IsPathDelimiter(name.back());
    auto entryDate = DosToDateTime(old.DateTime);
    DateTime entryTime = entryDate ? *entryDate : DateTime::Now();
    bool fileNewer = !isFolderLine && entryTime < FileDateTime(name);
    if (ZipAction != zaReplace && !fileNewer) {
      if (Dispose) run.disposeList.push_back(name);
      if (OnUpdate) OnUpdate(*this, uaKeeping, i);
      KeepEntry(run, old);
      continue;
    }
    if (OnUpdate) OnUpdate(*this, uaReplacing, i);
    if (AddFile(run, name)) {
      ++run.count;
      if (Dispose) run.disposeList.push_back(name);
    }
  }
  // The lines that named entries are done; the rest are added after the old entries.
  std::vector<std::string> rest;
  for (std::size_t k = 0; k < FilesList.size(); ++k)
    if (!used[k]) rest.push_back(FilesList[k]);
  FilesList = std::move(rest);
}

int TZipWriter::Zip() {
  return ZipCore(true);
}

int TZipWriter::ZipCore(bool raiseComplete) {
  if (Trim(zipName_).empty()) {
    FilesList.clear();
    if (raiseComplete && OnZipComplete) OnZipComplete(*this, 0);
    return 0;
  }
  busy_ = true;
  skippedFiles_ = 0;
  const TZipSortMode savedSort = SortMode;
  const bool savedKeep = KeepZipOpen;
  KeepZipOpen = true;
  Run run;
  try {
    if (!FilesList.empty()) Gather(run);
    run.multi = MultiMode() != mmNone;
    run.updating = FileExists(zipName_) && !run.multi;
    run.nameIndex = std::make_unique<TSortedZip>(dupError, false, ByName);
    run.newDir = std::make_unique<TSortedZip>(dupError, true, ByNone);
    run.inBuf.resize(kIoBuffer);
    run.outBuf.resize(kIoBuffer + kIoBuffer / 8 + 64);
    if (run.multi)
      WriteVolumes(run);
    else
      WriteSingle(run);
    run.deflater.reset();
    run.blockPool.reset();
    for (const std::string& name : run.disposeList) {
      bool skip = false;
      if (OnDisposeFile) OnDisposeFile(*this, name, skip);
      if (!skip) DeleteFile(name);
    }
    // Hand over: the new archive becomes the loaded directory.
    CloseArchive();
    FreeDirectory();
    endCentral_.Assign(run.end);
    endCentral_.CommentChanged = 0;
    run.nameIndex.reset();
    directory_ = std::move(run.newDir);
    rebuilt_ = false;
    struct stat now {};
    archiveStamp_ =
        ::stat(zipName_.c_str(), &now) == 0
            ? static_cast<std::int64_t>(now.st_mtim.tv_sec) * 1000000000 + now.st_mtim.tv_nsec
            : 0;
    BuildSortedView(savedSort);
  } catch (...) {
    SortMode = savedSort;
    KeepZipOpen = savedKeep;
    if (!KeepZipOpen) CloseArchive();
    busy_ = false;
    FilesList.clear();
    throw;
  }
  SortMode = savedSort;
  KeepZipOpen = savedKeep;
  if (!KeepZipOpen) CloseArchive();
  busy_ = false;
  FilesList.clear();
  if (raiseComplete && OnZipComplete) OnZipComplete(*this, run.count);
  return run.count;
}

void TZipWriter::StartEndRecord(Run& run) {
  if (run.updating) {
    // Load (or refresh) the old directory before its end record is taken over, so the old
    // archive comment is carried over.
    OpenArchive();
    BuildSortedView(ByNone);
  }
  if (run.updating || endCentral_.CommentChanged) {
    if (endCentral_.CommentLength != 0 && !endCentral_.Comment() && archive_) ArchiveComment();
    run.end.Assign(endCentral_);
  }
  run.end.TotalEntries = run.end.EntriesThisDisk = 0;
  run.end.CommentChanged = 0;
}

void TZipWriter::AddListedFiles(Run& run) {
  if (!FilesList.empty() && OnStartZipInfo) {
    bool stop = false;
    OnStartZipInfo(*this, static_cast<int>(FilesList.size()), run.totalBytes, run.end, stop);
    if (stop) throw EUserCanceled("User canceled Zip operation");
  }
  for (const std::string& line : std::vector<std::string>(FilesList)) {
    if (AddFile(run, line)) {
      ++run.count;
      if (Dispose) run.disposeList.push_back(line);
    }
  }
}

void TZipWriter::WriteSingle(Run& run) {
  // The new archive is written beside its final name and moved into place when complete, so a
  // crash never leaves a truncated archive under that name.
  std::string folder = ExtractFilePath(zipName_);
  run.outputName = TempFileName(folder.empty() ? std::string(".") : folder);
  if (run.outputName.empty())
    run.outputName = TempFileName(DirectoryExists(TempPath) ? TempPath : std::string());
  if (run.outputName.empty())
    throw EFCreateError("Cannot create file \"" + zipName_ + "\". No temporary file");
  try {
    run.out =
        std::make_unique<TLFNFileStream>(run.outputName, kIoBuffer, FlushFilesOnClose, fmCreate);
    run.sink = run.out.get();
    StartEndRecord(run);
    if (run.updating) ProcessExistingEntries(run);
    AddListedFiles(run);
    run.end.CentralDirectoryOffset = run.out->Position();
    run.end.CentralDirectoryDisk = 0;
    for (TZipHeaderInfo* e : *run.newDir) e->SaveCentralToStream(*run.out);
    run.end.CentralDirectorySize = run.out->Position() - run.end.CentralDirectoryOffset;
    run.end.ThisDisk = 0;
    run.end.SaveToStream(*run.out);
    if (run.out->GetState() == TS_BufferStream::bsWriting && !run.out->FlushBuffer())
      throw ENotEnoughRoom("Not enough room to write archive");
    run.out.reset();
  } catch (...) {
    run.out.reset();
    DeleteFile(run.outputName);
    throw;
  }
  mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat old {};
  ::chmod(run.outputName.c_str(), run.updating && ::stat(zipName_.c_str(), &old) == 0
                                      ? (old.st_mode & 07777)
                                      : (0666 & ~mask));
  std::string finalName = zipName_;
  if (run.updating) {
    ForgetArchive();
    zipName_ = finalName;
  }
  if (!RenameFile(run.outputName, finalName) && !MoveOrCopyFile(run.outputName, finalName)) {
    DeleteFile(run.outputName);
    throw EFCreateError("Cannot create file \"" + finalName + "\".");
  }
  DeleteFile(run.outputName);
}

}  // namespace zip
