// TZipWriter: the archive writer component. Extends the reader with Zip: expands a list of
// files, folders and wildcard patterns, and writes them as entries of a new archive, or updates
// an existing one through a temporary file; with deflate at a chosen level, traditional
// encryption, comments, and multi-volume output.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip/TZipReader.h"

namespace zip {

enum TZipAction : int { zaUpdate = 0, zaReplace = 1, zaFreshen = 2 };
enum TUpdateAction : int { uaReplacing = 0, uaKeeping = 1 };

// Multi-volume settings.
struct TMultiZipInfo {
  std::int64_t BlockSize = 1457600;
  std::int64_t FirstBlockSize = 1457600;
  std::int64_t SaveOnFirstDisk = 0;
  bool SaveZipInfoOnFirstDisk = false;
  TMultiMode MultiMode = mmNone;
  bool CheckDiskLabels = true;
  bool WriteDiskLabels = true;
};

class TZipWriter;
using TStartZipEvent = std::function<void(TZipWriter&, const std::string& FName,
                                          TZipHeaderInfo& ZipHeader, bool& Skip)>;
using TStartZipInfoEvent = std::function<void(TZipWriter&, int NumFiles, std::int64_t TotalBytes,
                                              TEndCentral& EndCentralRecord, bool& StopNow)>;
using TEndZipEvent =
    std::function<void(TZipWriter&, const std::string& FName, std::int64_t UncompressedSize,
                       std::int64_t CompressedSize, std::int64_t CurrentZipSize)>;
using TFileSkipEvent = std::function<void(TZipWriter&, const std::string& FName, bool& Skip)>;
using TNameEvent = std::function<void(TZipWriter&, const std::string& FName)>;
using TZipCompleteEvent = std::function<void(TZipWriter&, int FileCount)>;
using TUpdateEvent = std::function<void(TZipWriter&, TUpdateAction UDAction, int FileIndex)>;
using TPrepareNextDiskEvent = std::function<void(TZipWriter&, int DiskNum)>;

class TZipWriter : public TZipReader {
 public:
  TZipWriter();
  ~TZipWriter() override;

  // Copies the reader's properties and handlers, and every writer property and handler.
  void Assign(const TZipWriter& source);

  // --- Published properties; the setters keep the coupled options consistent ---
  int PackLevel = 6;  // 0: store every file; 1 to 9: deflate at that level
  // Threads that deflate a file of more than one block (a block is 128 KiB), besides the
  // calling thread, which reads, writes and raises every event. The default is the number of
  // processors this process may run on; 1 or less deflates on the calling thread alone.
  int Threads;
  bool Recurse() const { return recurse_; }
  void SetRecurse(bool on) { recurse_ = on; }
  bool Dispose = false;
  bool StorePaths() const { return storePaths_; }
  // Off also switches StoreVolumes and RelativePaths off.
  void SetStorePaths(bool on);
  bool RelativePaths() const { return relativePaths_; }
  // On also switches StorePaths and Recurse on.
  void SetRelativePaths(bool on);
  bool StoreVolumes() const { return storeVolumes_; }
  // On also switches StorePaths on.
  void SetStoreVolumes(bool on);
  TZipAction ZipAction = zaUpdate;
  TMultiZipInfo MultiZipInfo;
  bool Store83Names = false;
  std::string TempPath;
  bool SkipIfArchiveBitNotSet = false;
  bool ResetArchiveBitOnZip = false;
  std::vector<std::string> ExcludeList;
  std::vector<std::string> NoCompressList;
  bool AddDirEntriesOnRecurse = false;

  // --- Events ---
  TStartZipEvent OnStartZip;
  TStartZipInfoEvent OnStartZipInfo;
  TEndZipEvent OnEndZip;
  TFileSkipEvent OnDisposeFile;
  TFileSkipEvent OnDeleteEntry;  // not raised by any operation
  TNameEvent OnNoSuchFile;
  TZipCompleteEvent OnZipComplete;
  TUpdateEvent OnUpdate;
  TPrepareNextDiskEvent OnPrepareNextDisk;
  TNameEvent OnRecursingFile;

  // Writes the archive; returns the number of entries written from files in this run. Raises
  // OnZipComplete unless an error is raised. FilesList is empty afterwards in every case. On an
  // error the output is deleted and an existing archive stays as it was.
  int Zip();

  // Before a different name is taken, comment changes not yet written go into the current
  // archive.
  void SetZipName(const std::string& name) override;

  TMultiMode MultiMode() const override { return MultiZipInfo.MultiMode; }
  void SetMultiMode(TMultiMode mode) override { MultiZipInfo.MultiMode = mode; }
  bool CheckDiskLabels() const override { return MultiZipInfo.CheckDiskLabels; }
  void SetCheckDiskLabels(bool check) override { MultiZipInfo.CheckDiskLabels = check; }

  // Bytes that could not be read from listed files this run (counted, see SkippedFiles).
  int SkippedFiles() const { return skippedFiles_; }

 private:
  struct Run;
  int ZipCore(bool raiseComplete);
  void Gather(Run& run);
  bool Excluded(const std::string& fullName) const;
  bool NoCompress(const std::string& fileName) const;
  std::string StoredPath(const std::string& fullName) const;
  bool AddFile(Run& run, const std::string& name);
  void KeepEntry(Run& run, const TZipHeaderInfo& old);
  void ProcessExistingEntries(Run& run);
  void WriteOut(Run& run, std::uint8_t* data, std::size_t n);
  std::size_t ProgressRead(Run& run, int fd, std::uint8_t* buf, std::size_t n);
  void CompressFile(Run& run, int fd, TZipHeaderInfo& entry);
  bool StartBlockPool(Run& run);
  std::int64_t DeflateBlocks(Run& run, int fd, std::size_t first, std::int64_t& read);
  void Register(Run& run, std::unique_ptr<TZipHeaderInfo> entry);
  void StartEndRecord(Run& run);
  void AddListedFiles(Run& run);
  void WriteSingle(Run& run);
  // Multi-volume output: volumes, placing entries and headers, the final names, the ".zfc" file.
  void WriteVolumes(Run& run);
  void OpenVolume(Run& run);
  void NextVolume(Run& run);
  void PlaceBytes(Run& run, const void* data, std::int64_t n, bool whole);
  void PlaceEntry(Run& run, TZipHeaderInfo& e, TLFNFileStream* data);
  std::string VolumeName(const Run& run, int volume) const;

  bool recurse_ = false;
  bool storePaths_ = false;
  bool relativePaths_ = false;
  bool storeVolumes_ = false;
  int skippedFiles_ = 0;
};

}  // namespace zip
