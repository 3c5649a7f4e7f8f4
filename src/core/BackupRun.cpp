// The backup run: checks, the archive path and the existing-archive rule, the writer set-up with
// the newer-files filter, then the completion (message, log, ring) and the advances of the running
// number and the last-backup time.
#include "core/BackupRun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/ActivityLog.h"
#include "core/DateText.h"
#include "core/IniFile.h"
#include "core/RetentionRing.h"
#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/Paths.h"
#include "zip/TZipWriter.h"
#include "zip/Text.h"

namespace core {

namespace {

constexpr int kMessageSeconds = 4;

std::string SkippedNote(int skippedFiles) {
  if (skippedFiles <= 0) return {};
  return " (" + std::to_string(skippedFiles) + " files skipped)";
}

// Sets the writer's options from the tab, in the order the run gives them.
void ConfigureWriter(zip::TZipWriter& writer, const std::string& path, const BackupTabModel& tab) {
  writer.SetZipName(path);
  writer.SetRecurse(tab.radioyes);
  writer.SetStorePaths(tab.checkBoxpath);
  const std::string comment = zip::Trim(tab.editcomment);
  if (tab.checkBoxcomment && !comment.empty()) writer.SetArchiveComment(comment);
  writer.FilesList = tab.listboxBackup;
  writer.ExcludeList = tab.listBoxNobackup;
  const std::string password = zip::Trim(tab.editPassword);
  writer.Password = (tab.checkBoxPassword && !password.empty()) ? password : std::string();
  writer.PackLevel = tab.trackbar1.value;
  writer.AddDirEntriesOnRecurse = false;
}

// Stores what a successful run advances in the project's record: the number the archive carries
// (Number suffix) and the last-backup time ("Use last backup date").
void StoreAdvances(const DataFolder& folder, const std::string& project, const BackupTabModel& run,
                   bool storeValue, bool storeTime) {
  if (!storeValue && !storeTime) return;
  const std::string section = ProjectSection(project);
  IniFile(folder.ProjectIni()).Edit([&](IniDocument& doc) {
    if (storeValue) doc.WriteInteger(section, kKeyValue, run.rxSpinvalue.value);
    if (storeTime)
      doc.WriteString(section, kKeyNewDateTime,
                      FormatDate(run.dateTimePickerToday) + " " +
                          FormatTime(run.dateTimePickerTime));
  });
}

}  // namespace

bool FileOlderThan(const std::string& path, const zip::DateTime& threshold) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return zip::DateTime::FromTimeT(st.st_mtime) < threshold;
}

std::int64_t FileSizeInKb(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw zip::EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
  struct stat st {};
  const int rc = ::fstat(fd, &st);
  const int err = errno;
  ::close(fd);
  if (rc != 0) throw zip::EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(err));
  return static_cast<std::int64_t>(st.st_size) / 1024;
}

std::string BackupSucceededText(const std::string& project, const std::string& archivePath,
                                std::int64_t sizeKb, int skippedFiles) {
  return "Backup Files Succeeds!\rProject Name: '" + project + "'\rFile Name:    '" +
         zip::ExtractFileName(archivePath) + "'\rFile Size:    '" + std::to_string(sizeKb) +
         "Kb'" + SkippedNote(skippedFiles);
}

BackupResult RunBackup(const DataFolder& folder, const std::string& project,
                       const GlobalSettings& settings, BackupTabModel& tab, RunPrompts& prompts,
                       const RunHooks& hooks) {
  BackupResult result;
  if (zip::Trim(project).empty()) return result;
  if (settings.promptBeforeBackup &&
      !prompts.AskYesNo("Do you want to backup the project '" + project + "'?",
                        QuestionKind::Information))
    return result;
  if (auto message = ValidateProject(tab)) {
    prompts.ShowError(*message);
    result.outcome = BackupOutcome::Invalid;
    result.message = *message;
    return result;
  }

  // The run keeps to the project as it was when it started.
  BackupTabModel run = tab;
  const ArchiveSuffix suffix = CheckedSuffix(run);
  auto fail = [&](const std::string& text, bool log) {
    result.outcome = BackupOutcome::Failed;
    result.message = text;
    prompts.ReportError(text);
    if (!log) return;
    try {
      AppendLog(folder, settings.logCount, hooks.Now(), kOperateBackup, kStatusFails, project,
                result.archivePath + "  " + text);
    } catch (const std::exception& e) {
      prompts.ReportError(e.what());
    }
  };

  try {
    if (suffix == ArchiveSuffix::Date) ComposeTabFileName(run, settings, hooks.Now());
    result.archivePath = zip::Trim(run.editFilename);
    const std::string& path = result.archivePath;
    if (zip::FileExists(path)) {
      if (!settings.isOverWrite) {
        prompts.ShowTimedMessage(path + " exists,backup will be interrupted!",
                                 MessageKind::Warning, kMessageSeconds);
        AppendLog(folder, settings.logCount, hooks.Now(), kOperateBackup, kStatusInterrupt,
                  project, ArchiveExistsLogInfo(path));
        result.outcome = BackupOutcome::Interrupted;
        return result;
      }
      // Updating an old archive that cannot be removed would mix old and new entries.
      if (!zip::DeleteFile(path)) {
        fail("Cannot delete the existing archive '" + path + "': " + std::strerror(errno), true);
        return result;
      }
    }
  } catch (const std::exception& e) {
    fail(e.what(), false);
    return result;
  }

  zip::TZipWriter writer;
  bool completed = false;
  try {
    ConfigureWriter(writer, result.archivePath, run);
  } catch (const std::exception& e) {
    fail(e.what(), true);
    return result;
  }
  writer.ProcessMessages = hooks.Pump();
  writer.OnTotalPercentDone = [&](zip::TZipReader&, int percent) { hooks.Progress(percent); };
  // The pickers together hold the threshold: the date of one, the time of day of the other.
  run.dateTimePickerToday = CombineDateAndTime(run.dateTimePickerToday, run.dateTimePickerTime);
  const zip::DateTime threshold = run.dateTimePickerToday;
  writer.OnStartZip = [&](zip::TZipWriter&, const std::string& name, zip::TZipHeaderInfo&,
                          bool& skip) {
    if (run.checkBoxAddNewer) skip = FileOlderThan(name, threshold);
  };
  writer.OnZipComplete = [&](zip::TZipWriter&, int count) {
    completed = true;
    result.fileCount = count;
  };

  hooks.EnableRunControls(false);
  struct LeaveBusy {
    const RunHooks& hooks;
    ~LeaveBusy() {
      hooks.EnableRunControls(true);
      hooks.Progress(0);
    }
  } leaveBusy{hooks};

  try {
    writer.Zip();
  } catch (const std::exception& e) {
    fail(e.what(), true);
    return result;
  }
  if (!completed) {
    fail("User canceled Zip operation", true);
    return result;
  }

  result.outcome = BackupOutcome::Succeeded;
  result.skippedFiles = writer.SkippedFiles();
  try {
    const std::string& zipName = writer.ZipName();
    result.sizeKb = FileSizeInKb(zipName);
    prompts.ShowTimedMessage(
        BackupSucceededText(project, zipName, result.sizeKb, result.skippedFiles),
        MessageKind::Information, kMessageSeconds);
    AppendLog(folder, settings.logCount, hooks.Now(), kOperateBackup, kStatusSucceeds, project,
              ArchiveLogInfo(zipName, result.sizeKb * 1024) + SkippedNote(result.skippedFiles));
    RecordArchiveInRing(folder, project, suffix, run.spStore.value, zipName);

    const bool storeValue = suffix == ArchiveSuffix::Number;
    if (run.checkBoxToday) {
      const zip::DateTime now = hooks.Now();
      run.dateTimePickerToday = now;
      run.dateTimePickerTime = now;
    }
    StoreAdvances(folder, project, run, storeValue, run.checkBoxToday);
    if (storeValue) run.rxSpinvalue.Set(std::int64_t{run.rxSpinvalue.value} +
                                        run.rxSpinIncrease.value);
    ComposeTabFileName(run, settings, hooks.Now());
  } catch (const std::exception& e) {
    // The archive is made; what the completion did before the error stands.
    result.message = e.what();
    prompts.ReportError(e.what());
  }
  tab.rxSpinvalue = run.rxSpinvalue;
  tab.dateTimePickerToday = run.dateTimePickerToday;
  tab.dateTimePickerTime = run.dateTimePickerTime;
  tab.editFilename = run.editFilename;
  return result;
}

}  // namespace core
