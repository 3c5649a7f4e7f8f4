// The restore run: extracts every entry of an archive into a folder with the chosen overwrite
// mode, folder handling and password, then reports and logs the outcome.
#pragma once

#include <cstdint>
#include <string>

#include "core/DataFolder.h"
#include "core/RunHooks.h"
#include "core/RunPrompts.h"
#include "zip/TZipReader.h"

namespace core {

// What the Restore tab's Options box holds.
struct RestoreOptions {
  std::string extractTo;  // the destination folder, untrimmed
  std::string password;   // used when not blank; else the previous restore's password stays
  bool useOriginalFolder = true;
  zip::TUZOverwriteMode overwriteMode = zip::Never;
};

// The caption of the overwrite radio button of a mode ("Prompt Before  Overwrite", "Always",
// "Never", "If Newer", "If Older").
std::string OverwriteModeCaption(zip::TUZOverwriteMode mode);

// The archive path of a file name in a folder: folder, a separator unless it ends with one, name.
std::string RestoreArchivePath(const std::string& folder, const std::string& fileName);

// The confirmation question of a restore ("\r" between lines).
std::string RestoreConfirmationText(const std::string& fileName, const RestoreOptions& options);

enum class RestoreOutcome {
  NotStarted,  // no archive, or the confirmation was refused
  Succeeded,   // logged "Succeeds"
  Failed,      // logged "Fails": a bad password, a failed entry, or an error that ended it
};

struct RestoreResult {
  RestoreOutcome outcome = RestoreOutcome::NotStarted;
  int extracted = 0;     // entries written
  int failedEntries = 0; // entries that failed their CRC, could not be created, or had a bad
                         // password
  std::string error;     // the error that ended the extraction, if any
};

// Restores the archive archivePath into options.extractTo for project (the project box's text,
// used in the log). With confirm on, asks RestoreConfirmationText first (a warning with Yes and
// No). reader is the long-lived reader of the caller: its Password stays from one restore to the
// next when the password field is blank. A bad password shows "The password is incorrect" and
// ends the extraction. Ends with the timed message and the log entry; an error that ended the
// extraction is reported through prompts.ReportError after them. Nothing throws out of it.
RestoreResult RunRestore(const DataFolder& folder, int logCount, const std::string& project,
                         const std::string& archivePath, const RestoreOptions& options,
                         bool confirm, zip::TZipReader& reader, RunPrompts& prompts,
                         const RunHooks& hooks);

}  // namespace core
