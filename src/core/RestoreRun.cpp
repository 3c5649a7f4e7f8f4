// The restore run: confirmation, reader set-up, extraction with the bad-password stop, and the
// outcome's message and log entry.
#include "core/RestoreRun.h"

#include <array>

#include "core/ActivityLog.h"
#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/Paths.h"
#include "zip/Text.h"

namespace core {

namespace {

constexpr int kMessageSeconds = 4;

// The archive's size for the log; a file that cannot be read any more counts as 0 bytes, so the
// outcome is still logged.
std::int64_t SizeForLog(const std::string& path) {
  std::int64_t bytes = zip::FileSizeOf(path);
  return bytes < 0 ? 0 : bytes;
}

// Clears the run's handlers from the caller's reader, however the run ends.
struct ReaderHandlersGuard {
  zip::TZipReader& reader;
  ~ReaderHandlersGuard() {
    reader.OnBadPassword = nullptr;
    reader.OnTotalPercentDone = nullptr;
    reader.OnSkippingFile = nullptr;
    reader.OnBadCRC = nullptr;
    reader.ProcessMessages = nullptr;
  }
};

}  // namespace

std::string OverwriteModeCaption(zip::TUZOverwriteMode mode) {
  static const std::array<const char*, 5> kCaptions = {"Prompt Before  Overwrite", "Always",
                                                       "Never", "If Newer", "If Older"};
  const int i = static_cast<int>(mode);
  return (i >= 0 && i < 5) ? kCaptions[static_cast<std::size_t>(i)] : "";
}

std::string RestoreArchivePath(const std::string& folder, const std::string& fileName) {
  if (folder.empty() || zip::IsPathDelimiter(folder.back())) return folder + fileName;
  return folder + "/" + fileName;
}

std::string RestoreConfirmationText(const std::string& fileName, const RestoreOptions& options) {
  return "Do you want to restore the file '" + fileName + "'?\r" +
         "Extract to:          '" + zip::Trim(options.extractTo) + "'\r" +
         "Use original folder: '" + (options.useOriginalFolder ? "Yes" : "No") + "'\r" +
         "Overwrite Mode:      '" + OverwriteModeCaption(options.overwriteMode) + "'";
}

RestoreResult RunRestore(const DataFolder& folder, int logCount, const std::string& project,
                         const std::string& archivePath, const RestoreOptions& options,
                         bool confirm, zip::TZipReader& reader, RunPrompts& prompts,
                         const RunHooks& hooks) {
  RestoreResult result;
  const std::string fileName = zip::Trim(zip::ExtractFileName(archivePath));
  if (fileName.empty()) {
    prompts.ShowInformation("No Zip file to restore!");
    return result;
  }
  if (zip::Trim(options.extractTo).empty()) {
    // An empty destination would mean the current folder of whatever started the program.
    prompts.ShowInformation("Please select the folder to extract to!");
    return result;
  }
  if (confirm &&
      !prompts.AskYesNo(RestoreConfirmationText(fileName, options), QuestionKind::Warning))
    return result;

  bool badPassword = false;
  {
    ReaderHandlersGuard guard{reader};
    try {
      reader.SetZipName(archivePath);
      reader.SetDestDir(options.extractTo);
      reader.RecreateDirs = options.useOriginalFolder;
      reader.DoAll = true;
      reader.OverwriteMode = options.overwriteMode;
      if (!zip::Trim(options.password).empty()) reader.Password = options.password;
      reader.ProcessMessages = hooks.Pump();
      reader.OnTotalPercentDone = [&](zip::TZipReader&, int percent) { hooks.Progress(percent); };
      reader.OnBadPassword = [&](zip::TZipReader&, int, std::string&) {
        prompts.ShowError("The password is incorrect");
        badPassword = true;
        throw zip::EAbort();
      };
      reader.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason reason, const std::string&,
                                  int, bool&) {
        if (reason != zip::srNotOverwritten) ++result.failedEntries;
      };
      reader.OnBadCRC = [&](zip::TZipReader&, std::uint32_t, std::uint32_t, int) {
        ++result.failedEntries;
      };
    } catch (const std::exception& e) {
      // The reader could not be set up (a cancelled folder choice, for one): nothing ran.
      prompts.ReportError(e.what());
      result.error = e.what();
      return result;
    }
    {
      hooks.EnableRunControls(false);
      try {
        result.extracted = reader.UnZip();
      } catch (const zip::EAbort&) {
        // The bad-password stop: already shown, nothing more to report.
      } catch (const std::exception& e) {
        result.error = e.what();
      }
      hooks.EnableRunControls(true);
      hooks.Progress(0);
    }
  }
  if (badPassword) ++result.failedEntries;

  const bool failed = badPassword || result.failedEntries > 0 || !result.error.empty();
  result.outcome = failed ? RestoreOutcome::Failed : RestoreOutcome::Succeeded;
  const std::string info = ArchiveLogInfo(archivePath, SizeForLog(archivePath));
  try {
    if (failed) {
      prompts.ShowTimedMessage("Restore files fails!", MessageKind::Error, kMessageSeconds);
      AppendLog(folder, logCount, hooks.Now(), kOperateRestore, kStatusFails, project, info);
    } else {
      prompts.ShowTimedMessage("Restore Files Succeeds!\rProject Name: '" + project +
                                   "'\rFilename:     '" + fileName + "'",
                               MessageKind::Information, kMessageSeconds);
      AppendLog(folder, logCount, hooks.Now(), kOperateRestore, kStatusSucceeds, project, info);
    }
  } catch (const std::exception& e) {
    if (result.error.empty()) result.error = e.what();
  }
  if (!result.error.empty()) prompts.ReportError(result.error);
  return result;
}

}  // namespace core
