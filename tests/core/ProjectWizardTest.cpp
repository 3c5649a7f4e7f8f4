// Tests of the add-project wizard's logic: the step checks and their messages, the preview for
// each suffix, and what Finish writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/ArchiveName.h"
#include "core/IniFile.h"
#include "core/ProjectWizard.h"

namespace core {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using Names = std::vector<std::string>;

using testsupport::At;

// A wizard that passes every check, named name.
WizardModel Filled(const std::string& name) {
  WizardModel m = NewWizardModel();
  m.comboproject = name;
  m.tab.editPrefix = name;
  m.tab.listboxBackup = {"/data/a.txt"};
  return m;
}

struct StepCase {
  const char* label;
  int step;
  void (*change)(WizardModel&);
  const char* message;  // nullptr: the step passes
};

void PrintTo(const StepCase& c, std::ostream* os) {
  *os << c.label;
}

class WizardStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(WizardStepTest, RefusesWithItsMessage) {
  const StepCase& c = GetParam();
  WizardModel m = Filled("New");
  c.change(m);
  const auto message = CheckWizardStep(c.step, m, Names{"Alpha", "Daily"});
  if (c.message == nullptr) {
    EXPECT_FALSE(message) << *message;
  } else {
    ASSERT_TRUE(message);
    EXPECT_EQ(*message, c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WizardStepTest,
    ::testing::Values(StepCase{"EmptyName", 1, [](WizardModel& m) { m.comboproject = ""; },
                               "Please input a new project name!"},
                      StepCase{"BlankName", 1, [](WizardModel& m) { m.comboproject = "  \t"; },
                               "Please input a new project name!"},
                      StepCase{"ExistingOtherCaseAndBlanks", 1,
                               [](WizardModel& m) { m.comboproject = " dAILY "; },
                               "Project 'dAILY' exists,please input another name!"},
                      StepCase{"NewName", 1, [](WizardModel& m) { m.comboproject = "Dailyx"; },
                               nullptr},
                      StepCase{"NoSources", 2, [](WizardModel& m) { m.tab.listboxBackup.clear(); },
                               "Please select files to backup"},
                      StepCase{"ExclusionsOptional", 3, [](WizardModel&) {}, nullptr},
                      StepCase{"BlankPrefix", 4, [](WizardModel& m) { m.tab.editPrefix = "  "; },
                               "Please enter the prefix of backup filename"},
                      StepCase{"PasswordsDiffer", 5,
                               [](WizardModel& m) {
                                 m.tab.checkBoxPassword = true;
                                 m.tab.editPassword = "secret";
                                 m.tab.editConfirmPassword = "Secret";
                               },
                               "Confirm password is not matching"},
                      StepCase{"PasswordsDifferOnlyInBlanks", 5,
                               [](WizardModel& m) {
                                 m.tab.checkBoxPassword = true;
                                 m.tab.editPassword = " secret";
                                 m.tab.editConfirmPassword = "secret  ";
                               },
                               nullptr},
                      StepCase{"PasswordsDifferButUnchecked", 5,
                               [](WizardModel& m) {
                                 m.tab.editPassword = "a";
                                 m.tab.editConfirmPassword = "b";
                               },
                               nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WizardTest, StepOneFillsOnlyAnEmptyPrefixWithTheNameAsTyped) {
  WizardModel m = NewWizardModel();
  m.comboproject = " Docs ";
  ASSERT_FALSE(CheckWizardStep(1, m, {}));
  EXPECT_EQ(m.tab.editPrefix, " Docs ");

  // A prefix typed before going back to step 1 is kept.
  m.comboproject = "Other";
  m.tab.editPrefix = "mine";
  ASSERT_FALSE(CheckWizardStep(1, m, {}));
  EXPECT_EQ(m.tab.editPrefix, "mine");
}

struct PreviewCase {
  const char* label;
  bool none, date, number;
  bool pad;
  int width;
  int next;
  const char* name;  // after the folder
};

void PrintTo(const PreviewCase& c, std::ostream* os) {
  *os << c.label;
}

class WizardPreviewTest : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(WizardPreviewTest, ComposesFolderPrefixSuffix) {
  const PreviewCase& c = GetParam();
  WizardModel m = NewWizardModel();
  m.saveFolder = "  /backups  ";
  m.tab.editPrefix = " Docs ";
  m.tab.radioUseNone = c.none;
  m.tab.radioUseDate = c.date;
  m.tab.radioUserNumber = c.number;
  m.tab.rxSpinvalue.Set(c.next);
  GlobalSettings settings;
  settings.isAppend0 = c.pad;
  settings.width = c.width;
  EXPECT_EQ(ComposeWizardFileName(m, settings, At(2024, 7, 4, 9, 5, 3)),
            std::string("/backups/") + c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Suffixes, WizardPreviewTest,
    ::testing::Values(
        PreviewCase{"None", true, false, false, false, 2, 1, "Docs.zip"},
        PreviewCase{"Date", false, true, false, false, 2, 1, "Docs07-04_09h05m03s.zip"},
        PreviewCase{"Number", false, false, true, false, 4, 7, "Docs7.zip"},
        PreviewCase{"NumberPadded", false, false, true, true, 4, 7, "Docs0007.zip"},
        PreviewCase{"NumberWiderThanPad", false, false, true, true, 2, 123, "Docs123.zip"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WizardTest, DefaultPreviewIsHomeFolderNameAndOne) {
  WizardModel m = NewWizardModel();
  m.comboproject = "Docs";
  ASSERT_FALSE(CheckWizardStep(1, m, {}));
  EXPECT_EQ(ComposeWizardFileName(m, GlobalSettings(), At(2024, 1, 1)),
            DefaultSavePath() + "Docs1.zip");
}

TEST(WizardTest, FinishWithDefaultsWritesExactlyTheDocumentedKeys) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  WriteFile(folder.ProjectIni(),
            "[Common]\nProject Count=2\nCount0=beta\nCount1=Alpha\nLast Project=beta\n");
  WizardModel m = Filled("  Docs ");
  m.tab.listBoxNobackup = {"/data/*.tmp"};
  m.tab.editFilename = ComposeWizardFileName(m, GlobalSettings(), At(2024, 1, 1));

  EXPECT_EQ(FinishWizard(folder, m, Names{"Alpha", "beta"}), "Docs");

  const std::string home = DefaultSavePath();
  EXPECT_EQ(ReadFile(folder.ProjectIni()),
            "[Common]\n"
            "Project Count=3\n"
            "Count0=Alpha\n"
            "Count1=beta\n"
            "Last Project=Docs\n"
            "Count2=Docs\n"
            "\n"
            "[Docs]\n"
            "Filename prefix=Docs\n"
            "Suffix=2\n"
            "Increase Value=1\n"
            "Value=0\n"
            "Save Path=" +
                home +
                "\n"
                "Backup Directory Count=1\n"
                "Backup0=/data/a.txt\n"
                "No Backup Directory Count=1\n"
                "NoBackup0=/data/*.tmp\n"
                "Whether include Subdirectory=1\n"
                "Whether password Project=0\n"
                "Whether store path in Zip=1\n"
                "Whether store comment in Zip=0\n"
                "BackupMode=3\n"
                "PackLevel=6\n"
                "Store Number=50\n"
                "isUseNew=0\n"
                "isUseToday=0\n"
                "NewDateTime=1980-01-01 00:00:00\n");
}

TEST(WizardTest, PasswordAndCommentStoredOnlyWhenCheckedAndNotBlank) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  const zip::DateTime now = At(2024, 1, 1);

  WizardModel typedThenUnchecked = Filled("One");
  typedThenUnchecked.tab.editPassword = typedThenUnchecked.tab.editConfirmPassword = "secret";
  typedThenUnchecked.tab.editcomment = "a comment";
  FinishWizard(folder, typedThenUnchecked, {});

  WizardModel checked = Filled("Two");
  checked.tab.checkBoxPassword = true;
  checked.tab.editPassword = checked.tab.editConfirmPassword = " secret ";
  checked.tab.checkBoxcomment = true;
  checked.tab.editcomment = "  kept as typed ";
  FinishWizard(folder, checked, Names{"One"});

  WizardModel blank = Filled("Three");
  blank.tab.checkBoxPassword = true;
  blank.tab.editPassword = blank.tab.editConfirmPassword = "  ";
  blank.tab.checkBoxcomment = true;
  blank.tab.editcomment = "   ";
  FinishWizard(folder, blank, Names{"One", "Two"});

  const IniDocument doc = IniFile(folder.ProjectIni()).Load();
  EXPECT_FALSE(doc.ReadBool("One", kKeyUsePassword, true));
  EXPECT_EQ(doc.ReadString("One", kKeyPassword, "none"), "none");
  EXPECT_EQ(doc.ReadString("One", kKeyComment, "none"), "none");

  const std::string stored = doc.ReadString("Two", kKeyPassword);
  EXPECT_EQ(stored, ScramblePassword("secret", PasswordKey("Two"), true));
  EXPECT_EQ(ReadProjectRecord(doc, "Two", now).comment.empty(), false);
  EXPECT_NE(ReadFile(folder.ProjectIni()).find("Comment=  kept as typed \n"), std::string::npos);

  EXPECT_TRUE(doc.ReadBool("Three", kKeyUsePassword, false));
  EXPECT_EQ(doc.ReadString("Three", kKeyPassword, "none"), "none");
  EXPECT_EQ(doc.ReadString("Three", kKeyComment, "none"), "none");

  EXPECT_EQ(doc.ReadInteger(kCommonSection, "Project Count", 0), 3);
  EXPECT_EQ(doc.ReadList(kCommonSection, "Count", 0, 3), (Names{"One", "Three", "Two"}));
}

TEST(WizardTest, FinishWritesEachScheduleModeAndTheNumberKeys) {
  struct Case {
    int mode;
    const char* value;
  };
  for (const Case& c : {Case{0, "07:30:00"}, Case{1, "45"}, Case{2, "Friday"}}) {
    TempDir dir;
    DataFolder folder(dir.Path().string());
    WizardModel m = Filled("Sched");
    m.scheduleMode = c.mode;
    m.dateTimePicker1 = At(1980, 1, 1, 7, 30, 0);
    m.spinEditNumber.Set(45);
    m.cbWeekly = "Friday";
    m.tab.rxSpinvalue.Set(10);
    m.tab.rxSpinIncrease.Set(3);
    m.tab.trackbar1.Set(9);
    FinishWizard(folder, m, {});
    const IniDocument doc = IniFile(folder.ProjectIni()).Load();
    EXPECT_EQ(doc.ReadInteger("Sched", kKeyBackupMode, -1), c.mode);
    EXPECT_EQ(doc.ReadString("Sched", kKeyStartTimeOrIncrease), c.value);
    EXPECT_EQ(doc.ReadInteger("Sched", kKeyValue, -1), 7);
    EXPECT_EQ(doc.ReadInteger("Sched", kKeyIncreaseValue, -1), 3);
    EXPECT_EQ(doc.ReadInteger("Sched", kKeyPackLevel, -1), 9);
  }
}

TEST(WizardTest, SavePathIsTheFolderOfTheEditedPreviewOrTheSaveFolder) {
  WizardModel m = Filled("P");
  m.saveFolder = "/chosen";
  m.tab.editFilename = "  /typed/elsewhere/name.zip ";
  EXPECT_EQ(WizardRecord(m).savePath, "/typed/elsewhere/");
  // A bare file name names no folder: the archives go to the save folder, not to whatever the
  // current directory happens to be.
  m.tab.editFilename = "name.zip";
  EXPECT_EQ(WizardRecord(m).savePath, "/chosen/");
}

TEST(WizardTest, FinishReplacesALeftoverSectionOfTheSameName) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  WriteFile(folder.ProjectIni(), "[Docs]\nPassword=#1#2\nComment=old\nBackup5=/stale\n");
  FinishWizard(folder, Filled("docs"), {});
  const std::string text = ReadFile(folder.ProjectIni());
  EXPECT_EQ(text.find("Password="), std::string::npos);
  EXPECT_EQ(text.find("/stale"), std::string::npos);
  EXPECT_NE(text.find("[docs]\n"), std::string::npos);
}

TEST(WizardTest, StepCaption) {
  EXPECT_EQ(WizardStepCaption(1), "Add project wizard - Step 1 of 6");
  EXPECT_EQ(WizardStepCaption(6), "Add project wizard - Step 6 of 6");
}

}  // namespace
}  // namespace core
