// The backup and restore runs with recorded prompts and an injected clock: what they ask, show
// and log, the busy state around the work, and what they advance.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/ActivityLog.h"
#include "core/BackupRun.h"
#include "core/DateText.h"
#include "core/IniFile.h"
#include "core/RestoreRun.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

zip::DateTime At(int h, int m, int s) { return *zip::DateTime::FromParts(2026, 3, 14, h, m, s); }

// Records every prompt; questions get the answer set in `answer`.
struct RecordingPrompts : core::RunPrompts {
  bool answer = true;
  std::vector<std::string> seen;
  bool AskYesNo(const std::string& text, core::QuestionKind) override {
    seen.push_back("ask:" + text);
    return answer;
  }
  void ShowInformation(const std::string& text) override { seen.push_back("info:" + text); }
  void ShowError(const std::string& text) override { seen.push_back("error:" + text); }
  void ShowTimedMessage(const std::string& text, core::MessageKind kind, int seconds) override {
    seen.push_back("timed" + std::to_string(static_cast<int>(kind)) + "/" +
                   std::to_string(seconds) + ":" + text);
  }
};

struct Fixture {
  TempDir dir;
  core::DataFolder folder{dir / "home"};
  core::GlobalSettings settings;
  core::BackupTabModel tab;
  RecordingPrompts prompts;
  std::vector<std::string> busy;
  zip::DateTime now = At(9, 0, 0);
  core::RunHooks hooks;

  Fixture() {
    std::filesystem::create_directories(dir / "src");
    WriteFile(dir / "src/a.txt", "some text to keep\n");
    tab.editPrefix = "p";
    tab.currentSavePath = dir / "out/";
    std::filesystem::create_directories(dir / "out");
    tab.listboxBackup = {dir / "src/*.*"};
    tab.checkBoxPassword = false;
    core::ComposeTabFileName(tab, settings, now);
    hooks.clock = [this] {
      now = now.AddSeconds(1);
      return now;
    };
    hooks.enableRunControls = [this](bool on) { busy.push_back(on ? "idle" : "busy"); };
    hooks.progress = [this](int p) {
      if (p == 0) busy.push_back("progress0");
    };
  }
  core::BackupResult Backup() {
    return core::RunBackup(folder, "Proj", settings, tab, prompts, hooks);
  }
};

}  // namespace

// The question comes first and No stops everything; Yes runs with the busy state around the
// writer, and the Date suffix names the archive after the run's start, not the older field.
TEST(BackupRun, ConfirmationBusyStateAndDateName) {
  Fixture f;
  f.settings.promptBeforeBackup = true;
  f.tab.radioUserNumber = false;
  f.tab.radioUseDate = true;
  f.prompts.answer = false;
  EXPECT_EQ(f.Backup().outcome, core::BackupOutcome::NotStarted);
  EXPECT_EQ(f.prompts.seen, std::vector<std::string>{"ask:Do you want to backup the project 'Proj'?"});
  EXPECT_TRUE(f.busy.empty());
  EXPECT_FALSE(std::filesystem::exists(f.folder.LogFile()));

  f.prompts.answer = true;
  f.now = At(10, 15, 29);
  const core::BackupResult r = f.Backup();
  ASSERT_EQ(r.outcome, core::BackupOutcome::Succeeded) << r.message;
  EXPECT_EQ(r.archivePath, f.dir / "out/p03-14_10h15m30s.zip");
  EXPECT_EQ(f.busy, (std::vector<std::string>{"busy", "idle", "progress0"}));
  ASSERT_EQ(f.prompts.seen.size(), 3u);
  EXPECT_EQ(f.prompts.seen[2], "timed2/4:Backup Files Succeeds!\rProject Name: 'Proj'\r"
                               "File Name:    'p03-14_10h15m30s.zip'\rFile Size:    '0Kb'");
}

// With "Use last backup date" the pickers and NewDateTime take the moment the run ended; the
// number box advances by its step and stops at 1000, so the next run meets its own archive.
TEST(BackupRun, AdvancesNumberAndLastBackupTime) {
  Fixture f;
  f.tab.checkBoxToday = true;
  f.tab.rxSpinIncrease.Set(7);
  f.tab.rxSpinvalue.Set(995);
  core::ComposeTabFileName(f.tab, f.settings, f.now);
  ASSERT_EQ(f.Backup().outcome, core::BackupOutcome::Succeeded);
  const core::IniDocument ini = core::IniFile(f.folder.ProjectIni()).Load();
  EXPECT_EQ(ini.ReadString("Proj", "Value"), "995");
  EXPECT_EQ(ini.ReadString("Proj", "NewDateTime"), "2026-03-14 " + core::FormatTime(f.tab.dateTimePickerTime));
  EXPECT_EQ(f.tab.dateTimePickerTime, f.tab.dateTimePickerToday);
  EXPECT_EQ(f.tab.rxSpinvalue.value, 1000);
  EXPECT_EQ(f.tab.editFilename, f.dir / "out/p1000.zip");
  ASSERT_EQ(f.Backup().outcome, core::BackupOutcome::Succeeded);
  EXPECT_EQ(f.tab.editFilename, f.dir / "out/p1000.zip");
  EXPECT_EQ(f.Backup().outcome, core::BackupOutcome::Interrupted);
  EXPECT_EQ(f.prompts.seen.back(),
            "timed0/4:" + (f.dir / "out/p1000.zip") + " exists,backup will be interrupted!");
}

// Overwriting on: the old archive is replaced by a new one made from scratch.
TEST(BackupRun, OverwriteReplacesTheOldArchive) {
  Fixture f;
  f.settings.isOverWrite = true;
  WriteFile(f.tab.editFilename, "not an archive, it must go");
  const std::string path = f.tab.editFilename;
  ASSERT_EQ(f.Backup().outcome, core::BackupOutcome::Succeeded);
  EXPECT_EQ(ReadFile(path).substr(0, 2), "PK");
}

// The restore asks with the padded confirmation; "Never" into a folder where every file exists
// writes nothing and still succeeds; a blank password keeps the one of the previous restore.
TEST(RestoreRun, ConfirmationNeverModeAndRememberedPassword) {
  Fixture f;
  f.tab.checkBoxpath = false;
  f.tab.checkBoxPassword = true;
  f.tab.editPassword = f.tab.editConfirmPassword = "pw";
  ASSERT_EQ(f.Backup().outcome, core::BackupOutcome::Succeeded);
  const std::string archive = f.tab.editFilename.substr(0, f.tab.editFilename.size() - 5) + "2.zip";
  ASSERT_TRUE(std::filesystem::exists(archive)) << archive;

  core::RestoreOptions options;
  options.extractTo = f.dir / "dest";
  options.overwriteMode = zip::Prompt;
  options.useOriginalFolder = false;
  EXPECT_EQ(core::RestoreConfirmationText("p2.zip", options),
            "Do you want to restore the file 'p2.zip'?\r"
            "Extract to:          '" + (f.dir / "dest") + "'\r"
            "Use original folder: 'No'\r"
            "Overwrite Mode:      'Prompt Before  Overwrite'");

  zip::TZipReader reader;
  core::RestoreOptions blank = options;
  blank.extractTo = "  ";
  EXPECT_EQ(core::RunRestore(f.folder, 50, "Proj", archive, blank, true, reader, f.prompts,
                             f.hooks)
                .outcome,
            core::RestoreOutcome::NotStarted);
  EXPECT_EQ(f.prompts.seen.back(), "info:Please select the folder to extract to!");
  f.prompts.seen.clear();
  f.prompts.answer = false;
  EXPECT_EQ(core::RunRestore(f.folder, 50, "Proj", archive, options, true, reader, f.prompts,
                             f.hooks)
                .outcome,
            core::RestoreOutcome::NotStarted);
  EXPECT_FALSE(std::filesystem::exists(f.dir / "dest"));

  options.password = "pw";
  options.overwriteMode = zip::Never;
  auto first = core::RunRestore(f.folder, 50, "Proj", archive, options, false, reader, f.prompts,
                                f.hooks);
  EXPECT_EQ(first.outcome, core::RestoreOutcome::Succeeded);
  EXPECT_EQ(ReadFile(f.dir / "dest/a.txt"), "some text to keep\n");

  WriteFile(f.dir / "dest/a.txt", "mine");
  options.password = "  ";
  auto second = core::RunRestore(f.folder, 50, "Proj", archive, options, false, reader,
                                 f.prompts, f.hooks);
  EXPECT_EQ(second.outcome, core::RestoreOutcome::Succeeded);
  EXPECT_EQ(second.extracted, 0);
  EXPECT_EQ(ReadFile(f.dir / "dest/a.txt"), "mine");
  options.overwriteMode = zip::Always;
  auto third = core::RunRestore(f.folder, 50, "Proj", archive, options, false, reader, f.prompts,
                                f.hooks);
  EXPECT_EQ(third.outcome, core::RestoreOutcome::Succeeded) << "the remembered password works";
  EXPECT_EQ(ReadFile(f.dir / "dest/a.txt"), "some text to keep\n");
  EXPECT_EQ(f.prompts.seen.back(),
            "timed2/4:Restore Files Succeeds!\rProject Name: 'Proj'\rFilename:     'p2.zip'");
  const core::ActivityLog log = core::LoadLog(f.folder, 50);
  ASSERT_EQ(log.rows.size(), 4u);
  EXPECT_EQ(log.rows[0].information, archive + "  0Kb");
}
