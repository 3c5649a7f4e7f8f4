// Tests of project records: password scrambling, the defaults of an empty record, reading a
// hand-written record, save and load round trips with the keys a save leaves alone, the checks
// before saving, and the number boxes' rules.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/ArchiveName.h"
#include "core/DateText.h"
#include "core/IniFile.h"
#include "core/ProjectRecord.h"

namespace core {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using Names = std::vector<std::string>;

using testsupport::At;

const zip::DateTime kNow = At(2024, 3, 5, 14, 30, 15);

// ---- scrambling ----

TEST(ScramblePasswordTest, KnownValues) {
  // 'a' ^ 'D' = 37, 'b' ^ 'o' = 13.
  EXPECT_EQ(ScramblePassword("ab", "Docs4", true), "#37#13");
  EXPECT_EQ(ScramblePassword("#37#13", "Docs4", false), "ab");
  // A character equal to its key character gives code 0 and still comes back.
  EXPECT_EQ(ScramblePassword("D", "Docs4", true), "#0");
  EXPECT_EQ(ScramblePassword("#0", "Docs4", false), "D");
  // Any non-digit ends a number; an open number at the end counts; codes wrap at 256.
  EXPECT_EQ(ScramblePassword("#97##98x99", "", false), "abc");
  EXPECT_EQ(ScramblePassword("#353", std::string(1, '\0'), false), "a");
  // A stored value not in "#" form is XORed as it stands: ' ' ^ 'A' = 'a'.
  EXPECT_EQ(ScramblePassword(" ", "A", false), "a");
  EXPECT_EQ(ScramblePassword("", "Docs4", true), "");
}

TEST(ScramblePasswordTest, RoundTripsAnyLength) {
  const std::string key = PasswordKey("Docs");
  ASSERT_EQ(key, "Docs4");
  const std::string cases[] = {
      "x",
      "secret",
      "a password much longer than the five-character key, repeating it",
      "p\xC3\xA4ssw\xC3\xB6rd \xE2\x82\xAC",  // UTF-8 bytes above 127
      std::string("\x01\x7F\x80\xFF", 4),
  };
  for (const std::string& pw : cases) {
    const std::string stored = ScramblePassword(pw, key, true);
    ASSERT_EQ(stored.front(), '#');
    EXPECT_EQ(ScramblePassword(stored, key, false), pw) << pw;
  }
}

TEST(ScramblePasswordTest, KeyIsTrimmedNameAndCharacterCount) {
  EXPECT_EQ(PasswordKey("  Docs \t"), "Docs4");
  EXPECT_EQ(PasswordKey("\xC3\x9C"
                        "ber"),
            "\xC3\x9C"
            "ber4");  // four characters, five bytes
  EXPECT_EQ(PasswordKey("Backup of 2024"), "Backup of 202414");
}

// ---- reading ----

TEST(ProjectRecordTest, RecordWithoutKeysShowsDefaults) {
  TempDir dir;
  WriteFile(dir / "project.ini",
            "[Common]\nProject Count=2\nCount0=Empty\nCount1=Other\n"
            "[Empty]\n"
            "[Other]\nFilename prefix=Other\nSuffix=1\nValue=40\nIncrease Value=5\n");
  const DataFolder folder(dir.Path().string());

  const ProjectRecord r = ReadProjectRecord(IniFile(folder.ProjectIni()).Load(), "Empty", kNow);
  EXPECT_EQ(r.prefix, "");
  EXPECT_EQ(r.suffix, 2);
  EXPECT_EQ(r.increaseValue, 1);
  EXPECT_EQ(r.value, 1);
  EXPECT_EQ(r.savePath, DefaultSavePath());
  EXPECT_TRUE(r.backups.empty());
  EXPECT_TRUE(r.noBackups.empty());
  EXPECT_TRUE(r.includeSubdirectory);
  EXPECT_TRUE(r.usePassword);
  EXPECT_EQ(r.password, "");
  EXPECT_TRUE(r.storePath);
  EXPECT_TRUE(r.storeComment);
  EXPECT_EQ(r.comment, "");
  EXPECT_EQ(r.backupMode, 3);
  EXPECT_EQ(r.startTimeOrIncrease, "");
  EXPECT_EQ(r.packLevel, 6);
  EXPECT_EQ(r.storeNumber, 50);
  EXPECT_FALSE(r.isUseNew);
  EXPECT_FALSE(r.isUseToday);
  EXPECT_EQ(r.newDateTime, kNow);

  // Shown after another project, nothing of that project remains.
  BackupTabModel tab;
  GlobalSettings settings;
  ASSERT_TRUE(LoadProject(folder, "Other", settings, kNow, tab));
  ASSERT_TRUE(LoadProject(folder, "Empty", settings, kNow, tab));
  EXPECT_TRUE(tab.radioUserNumber);
  EXPECT_FALSE(tab.radioUseDate);
  EXPECT_FALSE(tab.radioUseNone);
  EXPECT_EQ(tab.rxSpinvalue.value, 2);
  EXPECT_EQ(tab.rxSpinIncrease.value, 1);
  EXPECT_EQ(tab.currentSavePath, DefaultSavePath());
  EXPECT_EQ(tab.editFilename, DefaultSavePath() + "2.zip");
  EXPECT_TRUE(tab.listboxBackup.empty());
  EXPECT_TRUE(tab.radioyes);
  EXPECT_TRUE(tab.checkBoxPassword);
  EXPECT_EQ(tab.editPassword, "");
  EXPECT_EQ(tab.editConfirmPassword, "");
  EXPECT_TRUE(tab.checkBoxpath);
  EXPECT_TRUE(tab.checkBoxcomment);
  EXPECT_EQ(tab.editcomment, "");
  EXPECT_EQ(tab.backupMode, 3);
  EXPECT_EQ(tab.trackbar1.value, 6);
  EXPECT_EQ(tab.spStore.value, 50);
  EXPECT_FALSE(tab.checkBoxAddNewer);
  EXPECT_EQ(RecordFromTab(tab, "Empty").newDateTime, kNow);
  const BackupTabEnablement e = ComputeEnablement(tab);
  EXPECT_TRUE(e.numberBoxes);
  EXPECT_TRUE(e.editPassword && e.editConfirmPassword && e.editcomment);
  EXPECT_FALSE(e.checkBoxToday || e.dateTimePickerToday || e.dateTimePickerTime);

  EXPECT_FALSE(LoadProject(folder, "  ", settings, kNow, tab));  // no current project
}

TEST(ProjectRecordTest, ReadsHandWrittenRecord) {
  TempDir dir;
  WriteFile(dir / "project.ini",
            "[common]\r\nProject Count=1\r\nCount0=Docs\r\n"
            "[ Docs ]\r\n"
            "Filename prefix=  Docs \r\nSuffix=1\r\nIncrease Value=3\r\nValue=10\r\n"
            "Save Path=/srv/bak/\r\n"
            "Backup Directory Count=3\r\nBackup0=/home/a/*.txt\r\nBackup1=\r\n"
            "Backup2=/home/b.doc\r\nBackup3=/stale\r\n"
            "No Backup Directory Count=1\r\nNoBackup0=*.tmp\r\n"
            "Whether include Subdirectory=0\r\nWhether password Project=1\r\n"
            "Password=#37#13\r\nWhether store path in Zip=0\r\n"
            "Whether store comment in Zip=0\r\nComment=nightly\r\n"
            "BackupMode=1\r\nStartTime_or_Increase=30\r\nPackLevel=9\r\n"
            "Store Number=7\r\nisUseNew=1\r\nisUseToday=1\r\nNewDateTime=2023-11-02 08:05:09\r\n");
  BackupTabModel tab;
  tab.dateTimePickerToday = At(2000, 1, 1, 11, 22, 33);
  tab.dateTimePickerTime = At(2000, 6, 6, 1, 2, 3);
  GlobalSettings settings;
  ASSERT_TRUE(LoadProject(DataFolder(dir.Path().string()), "Docs", settings, kNow, tab));

  EXPECT_EQ(tab.editPrefix, "Docs");
  EXPECT_TRUE(tab.radioUseDate);
  EXPECT_FALSE(tab.radioUserNumber);
  EXPECT_FALSE(ComputeEnablement(tab).numberBoxes);
  EXPECT_EQ(tab.rxSpinIncrease.value, 3);
  EXPECT_EQ(tab.rxSpinvalue.value, 13);
  EXPECT_EQ(tab.editFilename, "/srv/bak/Docs03-05_14h30m15s.zip");
  EXPECT_EQ(tab.listboxBackup, (Names{"/home/a/*.txt", "/home/b.doc"}));
  EXPECT_EQ(tab.listBoxNobackup, (Names{"*.tmp"}));
  EXPECT_FALSE(tab.radioyes);
  EXPECT_EQ(tab.editPassword, "ab");
  EXPECT_EQ(tab.editConfirmPassword, "ab");
  EXPECT_FALSE(tab.checkBoxpath);
  EXPECT_FALSE(tab.checkBoxcomment);
  EXPECT_EQ(tab.editcomment, "nightly");  // shown whatever the option
  EXPECT_EQ(tab.backupMode, 1);
  EXPECT_EQ(tab.startTimeOrIncrease, "30");
  EXPECT_EQ(tab.trackbar1.value, 9);
  EXPECT_EQ(tab.spStore.value, 7);
  EXPECT_TRUE(tab.checkBoxAddNewer);
  EXPECT_TRUE(tab.checkBoxToday);
  // Each picker takes its own part and keeps the other.
  EXPECT_EQ(tab.dateTimePickerToday, At(2023, 11, 2, 11, 22, 33));
  EXPECT_EQ(tab.dateTimePickerTime, At(2000, 6, 6, 8, 5, 9));
  const BackupTabEnablement e = ComputeEnablement(tab);
  EXPECT_TRUE(e.checkBoxToday);
  EXPECT_FALSE(e.dateTimePickerToday || e.dateTimePickerTime);
  EXPECT_FALSE(e.editcomment);
}

TEST(ProjectRecordTest, DamagedValuesReadSafely) {
  const IniDocument doc = IniDocument::Parse(
      "[P]\nSuffix=7\nValue=2147483647\nIncrease Value=abc\nBackupMode=9\nPackLevel=-4\n"
      "Store Number=999999\nNewDateTime=yesterday\nBackup Directory Count=2000000000\n"
      "Backup0=/a\n");
  const ProjectRecord r = ReadProjectRecord(doc, "P", kNow);
  EXPECT_EQ(r.increaseValue, 1);
  EXPECT_EQ(r.newDateTime, kNow);  // unparsable: the current date and time
  EXPECT_EQ(r.backups, (Names{"/a"}));

  BackupTabModel tab;
  tab.radioUseNone = true;
  tab.radioUserNumber = false;
  ShowProjectRecord(r, "P", GlobalSettings(), kNow, tab);
  EXPECT_TRUE(tab.radioUseNone);  // an unknown Suffix leaves the radio buttons
  EXPECT_FALSE(tab.radioUserNumber);
  EXPECT_EQ(tab.rxSpinvalue.value, 1000);
  EXPECT_EQ(tab.backupMode, 3);
  EXPECT_EQ(tab.trackbar1.value, 0);
  EXPECT_EQ(tab.spStore.value, 50000);
  EXPECT_EQ(RecordFromTab(tab, "P").newDateTime, kNow);
}

// ---- number boxes ----

TEST(NumberBoxTest, ClampsAndReadsBadTextAsMinimum) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {{"42", 42},
                        {" 7 ", 7},
                        {"+5", 5},
                        {"0", 1},
                        {"-3", 1},
                        {"5000", 1000},
                        {"abc", 1},
                        {"", 1},
                        {"12x", 1},
                        {"99999999999999999999999", 1000},
                        {"-99999999999999999999", 1}};
  for (const Case& c : cases) {
    NumberBox box{1, 1000, 500};
    box.SetText(c.text);
    EXPECT_EQ(box.value, c.expected) << c.text;
  }
  NumberBox box{2, 50000, 50};
  box.Set(static_cast<std::int64_t>(INT_MAX) + 10);
  EXPECT_EQ(box.value, 50000);
  box.Set(INT_MIN);
  EXPECT_EQ(box.value, 2);
}

// ---- checks ----

BackupTabModel ValidTab() {
  BackupTabModel tab;
  tab.editFilename = "/bak/Docs3.zip";
  tab.editPrefix = "Docs";
  tab.editPassword = "pw";
  tab.editConfirmPassword = "pw";
  tab.listboxBackup = {"/home/a"};
  return tab;
}

TEST(ValidateProjectTest, FirstFailingCheckInOrder) {
  struct Case {
    const char* label;
    void (*change)(BackupTabModel&);
    const char* message;  // nullptr: passes
  };
  const Case cases[] = {
      {"valid", [](BackupTabModel&) {}, nullptr},
      {"blank file name before everything",
       [](BackupTabModel& t) {
         t.editFilename = " \t";
         t.editPrefix = "";
         t.listboxBackup.clear();
       },
       "Please enter the backup filename"},
      {"blank prefix",
       [](BackupTabModel& t) {
         t.editPrefix = "  ";
         t.listboxBackup.clear();
       },
       "Please enter the prefix of backup filename"},
      {"confirmation differs in case",
       [](BackupTabModel& t) {
         t.editConfirmPassword = "PW";
         t.listboxBackup.clear();
       },
       "Confirm password is not matching"},
      {"passwords equal when trimmed", [](BackupTabModel& t) { t.editConfirmPassword = " pw "; },
       nullptr},
      {"mismatch ignored without protection",
       [](BackupTabModel& t) {
         t.checkBoxPassword = false;
         t.editConfirmPassword = "other";
       },
       nullptr},
      {"no sources", [](BackupTabModel& t) { t.listboxBackup.clear(); },
       "Please select files to backup"},
  };
  for (const Case& c : cases) {
    BackupTabModel tab = ValidTab();
    c.change(tab);
    const auto result = ValidateProject(tab);
    if (c.message == nullptr) {
      EXPECT_FALSE(result.has_value()) << c.label;
    } else {
      EXPECT_EQ(result.value_or("(passed)"), c.message) << c.label;
    }
  }
}

// ---- saving ----

TEST(SaveProjectTest, FailedCheckWritesNothing) {
  TempDir dir;
  const DataFolder folder(dir.Path().string());
  BackupTabModel tab = ValidTab();
  tab.listboxBackup.clear();
  tab.editFilename = "/elsewhere/x.zip";
  EXPECT_EQ(SaveProject(folder, "Docs", tab).value_or(""), "Please select files to backup");
  EXPECT_FALSE(std::filesystem::exists(folder.ProjectIni()));
  EXPECT_EQ(tab.currentSavePath, "");
  EXPECT_EQ(tab.editPassword, "pw");
  EXPECT_THROW(SaveProject(folder, " ", tab), std::invalid_argument);
}

TEST(SaveProjectTest, WritesKeysInOrderAndLoadsBack) {
  TempDir dir;
  const DataFolder folder(dir.Path().string());
  BackupTabModel tab = ValidTab();
  tab.editPrefix = "  Docs ";
  tab.editFilename = " /srv/bak/Docs7.zip ";
  tab.rxSpinvalue.Set(7);
  tab.rxSpinIncrease.Set(2);
  tab.listboxBackup = {"/home/a/*.txt", "/home/b.doc"};
  tab.listBoxNobackup = {"*.tmp"};
  tab.editPassword = tab.editConfirmPassword = "ab";
  tab.editcomment = "  nightly ";
  tab.backupMode = 0;
  tab.startTimeOrIncrease = "09:00:00";
  tab.trackbar1.Set(9);
  tab.spStore.Set(5);
  tab.checkBoxAddNewer = true;
  tab.dateTimePickerToday = At(2024, 1, 2, 17, 0, 0);
  tab.dateTimePickerTime = At(1999, 9, 9, 0, 0, 0);  // midnight still writes its time

  ASSERT_FALSE(SaveProject(folder, " Docs ", tab).has_value());
  EXPECT_EQ(tab.currentSavePath, "/srv/bak/");
  EXPECT_EQ(tab.editPassword, "ab");
  EXPECT_EQ(ReadFile(folder.ProjectIni()),
            "[Docs]\n"
            "Filename prefix=Docs\nSuffix=2\nIncrease Value=2\nValue=5\nSave Path=/srv/bak/\n"
            "Backup Directory Count=2\nBackup0=/home/a/*.txt\nBackup1=/home/b.doc\n"
            "No Backup Directory Count=1\nNoBackup0=*.tmp\n"
            "Whether include Subdirectory=1\nWhether password Project=1\nPassword=#37#13\n"
            "Whether store path in Zip=1\nWhether store comment in Zip=1\nComment=  nightly \n"
            "BackupMode=0\nStartTime_or_Increase=09:00:00\nPackLevel=9\nStore Number=5\n"
            "isUseNew=1\nisUseToday=0\nNewDateTime=2024-01-02 00:00:00\n");

  BackupTabModel loaded;
  ASSERT_TRUE(LoadProject(folder, "Docs", GlobalSettings(), kNow, loaded));
  EXPECT_EQ(loaded.rxSpinvalue.value, 7);
  EXPECT_EQ(loaded.rxSpinIncrease.value, 2);
  EXPECT_EQ(loaded.editFilename, "/srv/bak/Docs7.zip");
  EXPECT_EQ(loaded.listboxBackup, tab.listboxBackup);
  EXPECT_EQ(loaded.listBoxNobackup, tab.listBoxNobackup);
  EXPECT_EQ(loaded.editPassword, "ab");
  EXPECT_EQ(loaded.editcomment, "nightly");  // stored as typed, read trimmed
  EXPECT_EQ(loaded.backupMode, 0);
  EXPECT_EQ(loaded.startTimeOrIncrease, "09:00:00");
  EXPECT_EQ(loaded.trackbar1.value, 9);
  EXPECT_EQ(loaded.spStore.value, 5);
  EXPECT_TRUE(loaded.checkBoxAddNewer);
  EXPECT_EQ(RecordFromTab(loaded, "Docs").newDateTime, At(2024, 1, 2));
}

TEST(SaveProjectTest, KeysNotRewrittenKeepTheirValues) {
  TempDir dir;
  const DataFolder folder(dir.Path().string());
  const GlobalSettings settings;
  BackupTabModel tab = ValidTab();
  tab.editPassword = tab.editConfirmPassword = "secret";
  tab.editcomment = "weekly set";
  tab.backupMode = 1;
  tab.startTimeOrIncrease = "30";
  tab.listboxBackup = {"/a", "/b", "/c", "/d", "/e"};
  ASSERT_FALSE(SaveProject(folder, "Docs", tab).has_value());
  const std::string storedPassword = IniFile(folder.ProjectIni()).ReadString("Docs", kKeyPassword);

  // Protection and comment off, schedule None, a shorter source list.
  tab.checkBoxPassword = false;
  tab.checkBoxcomment = false;
  tab.backupMode = 3;
  tab.startTimeOrIncrease = "";
  tab.listboxBackup = {"/a", "/b"};
  ASSERT_FALSE(SaveProject(folder, "Docs", tab).has_value());
  EXPECT_EQ(tab.editPassword, "");
  EXPECT_EQ(tab.editConfirmPassword, "");
  EXPECT_EQ(tab.editcomment, "");
  const IniDocument doc = IniFile(folder.ProjectIni()).Load();
  EXPECT_EQ(doc.ReadString("Docs", kKeyPassword), storedPassword);
  EXPECT_EQ(doc.ReadString("Docs", kKeyComment), "weekly set");
  EXPECT_EQ(doc.ReadString("Docs", kKeyStartTimeOrIncrease), "30");
  EXPECT_EQ(doc.ReadInteger("Docs", kKeyBackupMode, -1), 3);
  EXPECT_EQ(doc.ReadString("Docs", "Backup4"), "/e");
  EXPECT_EQ(doc.ReadInteger("Docs", kKeyBackupCount, -1), 2);

  // Protection on again with empty fields: the old password comes back at the next load.
  tab.checkBoxPassword = true;
  tab.checkBoxcomment = true;
  ASSERT_FALSE(SaveProject(folder, "Docs", tab).has_value());
  BackupTabModel loaded;
  ASSERT_TRUE(LoadProject(folder, "Docs", settings, kNow, loaded));
  EXPECT_EQ(loaded.editPassword, "secret");
  EXPECT_EQ(loaded.editcomment, "weekly set");
  EXPECT_EQ(loaded.listboxBackup, (Names{"/a", "/b"}));
}

TEST(SaveProjectTest, DateSuffixProjectKeepsItsOwnNumber) {
  TempDir dir;
  WriteFile(dir / "project.ini",
            "[Numbered]\nSuffix=2\nValue=40\nIncrease Value=5\n"
            "[Dated]\nFilename prefix=D\nSuffix=1\nValue=3\nIncrease Value=1\n"
            "Backup Directory Count=1\nBackup0=/x\nWhether password Project=0\n");
  const DataFolder folder(dir.Path().string());
  BackupTabModel tab;
  ASSERT_TRUE(LoadProject(folder, "Numbered", GlobalSettings(), kNow, tab));
  ASSERT_TRUE(LoadProject(folder, "Dated", GlobalSettings(), kNow, tab));
  EXPECT_EQ(tab.rxSpinvalue.value, 4);
  EXPECT_EQ(tab.rxSpinIncrease.value, 1);
  ASSERT_FALSE(SaveProject(folder, "Dated", tab).has_value());
  const IniDocument doc = IniFile(folder.ProjectIni()).Load();
  EXPECT_EQ(doc.ReadInteger("Dated", kKeyValue, -1), 3);
  EXPECT_EQ(doc.ReadInteger("Dated", kKeyIncreaseValue, -1), 1);
  EXPECT_EQ(doc.ReadInteger("Dated", kKeySuffix, -1), 1);
}

TEST(SaveProjectTest, PasswordFollowsTheProjectName) {
  TempDir dir;
  const DataFolder folder(dir.Path().string());
  BackupTabModel tab = ValidTab();
  tab.editPassword = tab.editConfirmPassword = "a long password past the key";
  ASSERT_FALSE(SaveProject(folder, "Docs", tab).has_value());
  ASSERT_FALSE(SaveProject(folder, "Renamed", tab).has_value());
  const IniDocument doc = IniFile(folder.ProjectIni()).Load();
  EXPECT_NE(doc.ReadString("Docs", kKeyPassword), doc.ReadString("Renamed", kKeyPassword));
  BackupTabModel loaded;
  ASSERT_TRUE(LoadProject(folder, " Renamed ", GlobalSettings(), kNow, loaded));
  EXPECT_EQ(loaded.editPassword, "a long password past the key");
}

}  // namespace
}  // namespace core
