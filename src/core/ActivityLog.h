// The activity log in log.txt: one section per entry (Log1, Log2, ...; higher is newer), the count
// in Common/Log Total, a limit that cuts the log to its five newest entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "zip/DateTime.h"

namespace core {

// Fixed texts of log entries.
inline constexpr const char* kOperateBackup = "Backup";
inline constexpr const char* kOperateRestore = "Restore";
inline constexpr const char* kStatusSucceeds = "Succeeds";
inline constexpr const char* kStatusInterrupt = "Interrupt";
inline constexpr const char* kStatusFails = "Fails";
// Number of entries a cut keeps.
inline constexpr int kLogEntriesAfterCut = 5;

struct LogEntry {
  std::string date;  // in the date-and-time text form
  std::string operate;
  std::string status;
  std::string project;
  std::string information;
};

struct ActivityLog {
  int total = 0;               // Log Total: number of the newest section
  std::vector<LogEntry> rows;  // newest first, at most the log limit
};

// The log limit as the log uses it: logCount brought into kMinLogCount .. kMaxLogCount.
int EffectiveLogCount(int logCount);

// Reads log.txt (a missing file is an empty log). The rows are the newest
// min(Log Total, limit) entries, newest first: sections Log<total>, Log<total - 1>, ...; missing
// keys read as empty text. A Log Total above the limit is kept as it is (the file is not changed),
// so the next AppendLog cuts the log to the newest entries. A negative Log Total reads as 0.
ActivityLog LoadLog(const DataFolder& folder, int logCount);

// Appends one entry (its date is set from now) as section Log<Log Total + 1> and raises Log
// Total, in one atomic replacement of log.txt under the folder lock, so appends from several
// processes are all kept. When the new total reaches the limit, the log is cut: the five newest
// entries (the new one last) become Log1 .. Log5 and Log Total becomes 5; sections above the total
// stay in the file unread. Returns the log as it is afterwards. Throws EIniFileException when
// log.txt cannot be written (the entry is then lost).
ActivityLog AppendLog(const DataFolder& folder, int logCount, const zip::DateTime& now,
                      const std::string& operate, const std::string& status,
                      const std::string& project, const std::string& information);

// Sets Log Total to 0; the sections stay and the next entry is Log1 again. Throws
// EIniFileException when log.txt cannot be written.
void ClearLog(const DataFolder& folder);

// The Information of a finished backup or restore: the archive's path, two blanks, its size in
// kilobytes (bytes div 1024) and "Kb".
std::string ArchiveLogInfo(const std::string& archivePath, std::int64_t bytes);
// The Information of a backup stopped because its archive exists:
// "'<path>' exists,backup interripted".
std::string ArchiveExistsLogInfo(const std::string& archivePath);

}  // namespace core
