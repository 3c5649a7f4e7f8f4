// The backup run: from the project shown in the Backup tab to one new archive, with the
// confirmation, the checks, the existing-archive rule, the newer-files filter, the completion
// message, log entry and retention ring, and the advance of the running number and last-backup
// time.
#pragma once

#include <cstdint>
#include <string>

#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "core/ProjectRecord.h"
#include "core/RunHooks.h"
#include "core/RunPrompts.h"
#include "zip/DateTime.h"

namespace core {

// How a run ended.
enum class BackupOutcome {
  NotStarted,   // no current project, or the confirmation was refused: nothing logged
  Invalid,      // a check of ValidateProject failed: its message shown, nothing logged
  Interrupted,  // the archive exists and overwriting is off: warning shown, "Interrupt" logged
  Succeeded,    // the archive was made: message, "Succeeds" logged, ring, advances
  Failed,       // an error ended the run: reported, "Fails" logged when the writer failed
};

struct BackupResult {
  BackupOutcome outcome = BackupOutcome::NotStarted;
  std::string archivePath;    // the archive path the run settled on (empty before that)
  std::string message;        // the failed check's message or the error text
  int fileCount = 0;          // entries written
  int skippedFiles = 0;       // listed or found files that could not be read
  std::int64_t sizeKb = 0;    // the archive's size, bytes div 1024
};

// True when the file's last-write time, as local time, is strictly earlier than threshold; false
// when the file cannot be found (it is then kept).
bool FileOlderThan(const std::string& path, const zip::DateTime& threshold);

// The file's size in bytes div 1024. Throws zip::EFOpenError when it cannot be opened.
std::int64_t FileSizeInKb(const std::string& path);

// The completion message of a successful backup ("\r" between lines).
std::string BackupSucceededText(const std::string& project, const std::string& archivePath,
                                std::int64_t sizeKb, int skippedFiles);

// Runs a backup of project, shown in tab, with the settings' PromptBeforeBackup, IsOverWrite,
// padding and log limit. The run works on a copy of the tab taken at its start; on success the
// tab's running number, pickers and file-name field are updated as the run advances them.
// Questions and messages go through prompts, the busy
// state and progress through hooks. Errors never leave the function: they are reported through
// prompts.ReportError and returned as Failed.
BackupResult RunBackup(const DataFolder& folder, const std::string& project,
                       const GlobalSettings& settings, BackupTabModel& tab, RunPrompts& prompts,
                       const RunHooks& hooks);

}  // namespace core
