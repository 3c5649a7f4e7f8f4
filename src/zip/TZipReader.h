// TZipReader: the archive reader component. Opens an archive, reads its central directory (or
// rebuilds it from the local headers), keeps the entries in a sorted view, answers questions about
// them, and extracts them (UnZip). The writer derives from it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip/DateTime.h"
#include "zip/TEndCentral.h"
#include "zip/TS_BufferStream.h"
#include "zip/TSortedZip.h"
#include "zip/TZipCipher.h"
#include "zip/TZipHeaderInfo.h"

namespace zip {

enum TUZOverwriteMode : int { Prompt = 0, Always = 1, Never = 2, ifNewer = 3, ifOlder = 4 };
enum TIncompleteZipMode : int { izAssumeMulti = 0, izAssumeBad = 1, izAssumeNotAZip = 2 };
enum TSkipReason : int {
  srBadPassword = 0,
  srNotOverwritten = 1,
  srOpenFailed = 2,
  srCreateFailed = 3
};
enum TMultiMode : int { mmNone = 0, mmSpan = 1, mmBlocks = 2 };

class TZipReader;

// Events; the first parameter is always the component. An empty function is "no handler".
using TStartUnZipInfoEvent =
    std::function<void(TZipReader&, int NumFiles, std::int64_t TotalBytes, bool& StopNow)>;
using TStartUnZipEvent =
    std::function<void(TZipReader&, int FileIndex, std::string& FName, bool& Skip)>;
using TEndUnZipEvent = std::function<void(TZipReader&, int FileIndex, const std::string& FName)>;
using TPromptForOverwriteEvent =
    std::function<void(TZipReader&, bool& OverWriteIt, int FileIndex, std::string& FName)>;
using TSkippingFileEvent = std::function<void(
    TZipReader&, TSkipReason Reason, const std::string& FName, int FileIndex, bool& Retry)>;
using TBadPasswordEvent = std::function<void(TZipReader&, int FileIndex, std::string& NewPassword)>;
using TBadCRCEvent =
    std::function<void(TZipReader&, std::uint32_t CalcCRC, std::uint32_t StoredCRC, int FileIndex)>;
using TInCompleteZipEvent = std::function<void(TZipReader&, TIncompleteZipMode& IncompleteMode)>;
using TGetNextDiskEvent = std::function<void(TZipReader&, int NextDisk, std::string& FName)>;
using TUnZipCompleteEvent = std::function<void(TZipReader&, int FileCount)>;
using TPercentDoneEvent = std::function<void(TZipReader&, int Percent)>;
using TGetNextBufferEvent = std::function<void(TZipReader&, char*& Buffer, const std::string& FName,
                                               int AmountUsed, int BufferNum, bool& Quit)>;

// What `TestEntries` reports for one entry that failed.
struct TEntryProblem {
  int index;
  std::string name;
  std::string reason;
};

class TZipReader : public TZipCipher {
 public:
  static constexpr int kVersion = 100;

  TZipReader();
  virtual ~TZipReader();
  TZipReader(const TZipReader&) = delete;
  TZipReader& operator=(const TZipReader&) = delete;

  // Copies the archive name, every property and every event handler of source.
  void Assign(const TZipReader& source);

  // --- Published properties ---
  const std::string& ZipName() const { return zipName_; }
  // A name naming the current file (SameFileName) changes nothing; a name ending with "?"
  // asks for the archive through the file dialog (EUserCanceled "User canceled setting zip file
  // name." when cancelled); any other name forgets the loaded directory.
  virtual void SetZipName(const std::string& name);
  const std::string& DestDir() const { return destDir_; }
  // "?" asks for a folder (EUserCanceled "User canceled Set Desination Directory" when
  // cancelled). One trailing separator is removed.
  void SetDestDir(const std::string& dir);
  const std::string& RootDir() const { return rootDir_; }
  // A non-empty value always ends with a separator.
  void SetRootDir(const std::string& dir);
  TZipSortMode SortMode = ByNone;  // takes effect the next time the directory is read
  bool RecreateDirs = false;
  TUZOverwriteMode OverwriteMode = Prompt;
  std::vector<std::string> FilesList;
  bool DoAll = false;
  TIncompleteZipMode IncompleteZipMode = izAssumeMulti;
  bool KeepZipOpen = false;
  bool DoProcessMessages = true;
  bool RetainAttributes = true;
  bool ReplaceReadOnly = false;
  bool FlushFilesOnClose = false;
  int ThisVersion() const { return kVersion; }
  void SetThisVersion(int) {}

  // --- Events ---
  TStartUnZipInfoEvent OnStartUnZipInfo;
  TStartUnZipEvent OnStartUnZip;
  TEndUnZipEvent OnEndUnZip;
  TPromptForOverwriteEvent OnPromptForOverwrite;
  TSkippingFileEvent OnSkippingFile;
  TBadPasswordEvent OnBadPassword;
  TBadCRCEvent OnBadCRC;
  TInCompleteZipEvent OnInCompleteZip;
  TGetNextDiskEvent OnGetNextDisk;  // a default handler is installed at construction
  TUnZipCompleteEvent OnUnZipComplete;
  TPercentDoneEvent OnFilePercentDone;
  TPercentDoneEvent OnTotalPercentDone;
  TGetNextBufferEvent OnGetNextBuffer;  // not raised by reading or extraction

  // Optional platform hooks: the window message pump (called while long work goes on, when
  // DoProcessMessages is on) and the busy cursor (true: hourglass, false: normal).
  std::function<void()> ProcessMessages;
  std::function<void(bool busy)> SetBusyCursor;

  // --- Public members ---
  std::string Password;

  // Opens the archive and reads (or, when it changed, rereads) its directory. Throws
  // EBadZipFile, ENotAZipFile, EUserCanceled, or the file-open error; on any of them the archive
  // is forgotten. Returns normally with no entries when the end record is missing in
  // izAssumeMulti mode without an OnInCompleteZip handler.
  void LoadZipDirectory();
  // Number of entries, 0 when no directory is loaded.
  int EntryCount() const;
  // Accessors over the sorted view; i counts from 0. Throw EListError "Index %d is out of range".
  std::string EntryFileName(int i) const;
  std::string EntryDirectory(int i) const;
  std::int64_t EntryUncompressedSize(int i) const;
  // The entry's DOS date-time as a date-time; the current date-time when it is not a real date.
  DateTime EntryDateTime(int i) const;
  std::string EntryComment(int i);
  void SetEntryComment(int i, const std::string& text);
  // The whole entry record of view position i.
  const TZipHeaderInfo& Entry(int i) const;
  std::string ArchiveComment();
  void SetArchiveComment(const std::string& text);
  // True when a comment was set that no archive written since holds.
  bool CommentChanged() const { return endCentral_.CommentChanged != 0; }
  // True when the directory was rebuilt from local headers.
  bool Rebuilt() const { return rebuilt_; }
  bool Busy() const { return busy_; }

  // Extracts the selected entries below DestDir; returns how many were extracted.
  int UnZip();
  // Decodes every entry (or those matching FilesList when it is not empty) without writing and
  // checks its CRC; returns the number of entries tested and fills problems with each failure.
  int TestEntries(std::vector<TEntryProblem>& problems);

  virtual TMultiMode MultiMode() const { return multiMode_; }
  virtual void SetMultiMode(TMultiMode mode) { multiMode_ = mode; }
  virtual bool CheckDiskLabels() const { return checkDiskLabels_; }
  virtual void SetCheckDiskLabels(bool check) { checkDiskLabels_ = check; }

  // Drops the archive: closes it, frees the directory, empties ZipName.
  void ForgetArchive();

 protected:
  void CheckIndex(int i) const;
  void Pump();
  void OpenArchive();
  void CloseArchive();
  void ReadDirectory();
  bool RebuildFromLocalHeaders();
  // Checks that the central directory starts where the end record says; when it does not but
  // starts where the end record's position and the directory's size put it, takes that place.
  // Returns the shift to apply to local header offsets.
  std::int64_t LocateCentralDirectory();
  void SwitchToVolume(int n);
  void BuildSortedView(TZipSortMode mode);
  void FreeDirectory();
  std::string ReadCommentAt(std::int64_t offset, std::size_t length);

  // Extraction of one entry (UnZip step C).
  void ExtractEntry(int i);
  std::string DestinationFolder(const TZipHeaderInfo& e) const;
  void SkipEntry(TSkipReason reason, const std::string& name, int i);
  // Positions the archive at entry's data and sets `remaining` to its compressed bytes;
  // false when the local header cannot be read.
  bool SeekToData(const TZipHeaderInfo& e, std::int64_t& remaining);
  // Decodes the current entry's data (archive positioned at its data, keys ready when
  // encrypted) into sink. Returns false when the data was not decoded (unknown method, invalid
  // data, larger than declared); throws EFatalUnzipError when the archive ends early.
  using BlockSink = std::function<void(const std::uint8_t* data, std::size_t n)>;
  bool DecodeData(const TZipHeaderInfo& e, std::int64_t remaining, const BlockSink& sink,
                  std::string* problem);

  std::string zipName_;
  std::string destDir_;
  std::string rootDir_;
  TMultiMode multiMode_ = mmNone;
  bool checkDiskLabels_ = true;

  std::unique_ptr<TLFNFileStream> archive_;
  std::unique_ptr<TSortedZip> directory_;
  std::unique_ptr<TSortedZip> sortedView_;  // absent while the view is the directory itself
  TEndCentral endCentral_;
  std::int64_t archiveStamp_ = 0;  // last-write time of the archive when it was read
  int currentVolume_ = 0;
  int volumeCount_ = 1;
  bool rebuilt_ = false;
  bool busy_ = false;
  TZipHeaderInfo current_;

  // Extraction run state.
  int runCount_ = 0;
  std::int64_t runTotal_ = 0;
  std::int64_t runDone_ = 0;
  int selectedCount_ = 0;
  bool retry_ = false;
  // Resolved destination and output folders, kept while they stay the same.
  std::string realDestFor_, realDest_, realOutFor_, realOut_;

 private:
  TSortedZip& View() const;
};

}  // namespace zip
