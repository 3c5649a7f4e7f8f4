// Tests of the global settings: defaults, the project list, the held values, what exit writes,
// and the saved wildcard list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/GlobalSettings.h"
#include "core/IniFile.h"

namespace core {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using Names = std::vector<std::string>;

TEST(GlobalSettingsTest, MissingFileGivesDefaults) {
  TempDir dir;
  GlobalSettings s = LoadGlobalSettings(DataFolder(dir.Path().string()));
  EXPECT_TRUE(s.projects.empty());
  EXPECT_EQ(s.currentProject, "");
  EXPECT_EQ(s.byField, 2);
  EXPECT_FALSE(s.sortDescending);
  EXPECT_FALSE(s.StartMinimized());
  EXPECT_FALSE(s.isAppend0);
  EXPECT_EQ(s.width, 2);
  EXPECT_FALSE(s.isOverWrite);
  EXPECT_FALSE(s.promptBeforeBackup);
  EXPECT_EQ(s.logCount, 50);
  EXPECT_TRUE(s.enableSchedule);
}

TEST(GlobalSettingsTest, LoadsListSortedSkippingEmptyAndChoosesCurrent) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  WriteFile(folder.ProjectIni(),
            "[Common]\nProject Count=4\nCount0=beta\nCount1=\nCount2=Alpha\nCount3=gamma\n"
            "Count4=beyond the count\nLast Project=GAMMA\n");
  GlobalSettings s = LoadGlobalSettings(folder);
  EXPECT_EQ(s.projects, (Names{"Alpha", "beta", "gamma"}));
  EXPECT_EQ(s.currentProject, "gamma");

  IniFile(folder.ProjectIni()).WriteString("Common", "Last Project", "gone");
  EXPECT_EQ(LoadGlobalSettings(folder).currentProject, "Alpha");
}

TEST(GlobalSettingsTest, OutOfRangeValuesKeepHeldOnesOrAreBounded) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  WriteFile(folder.ProjectIni(),
            "[Common]\nBy Field=7\nSort=2\nAuto Run=0\nIs Minimized=1\nLog Count=100000\n");
  GlobalSettings held;
  held.byField = 0;
  held.sortDescending = true;
  GlobalSettings s = LoadGlobalSettings(folder, held);
  EXPECT_EQ(s.byField, 0);
  EXPECT_TRUE(s.sortDescending);
  EXPECT_FALSE(s.StartMinimized());  // Is Minimized counts only with Auto Run
  EXPECT_EQ(s.logCount, kMaxLogCount);

  IniFile(folder.ProjectIni()).WriteInteger("Common", "Auto Run", 1);
  EXPECT_TRUE(LoadGlobalSettings(folder).StartMinimized());
}

TEST(GlobalSettingsTest, ExitWritesSortedListAndHeldValuesThatLoadBack) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  GlobalSettings s;
  s.projects = {"beta", "Alpha"};
  s.currentProject = "beta";
  s.byField = 1;
  s.sortDescending = true;
  s.isAppend0 = true;
  s.width = 4;
  s.isOverWrite = true;
  s.promptBeforeBackup = true;
  s.logCount = 20;
  s.enableSchedule = false;
  SaveGlobalSettings(folder, s);
  EXPECT_EQ(ReadFile(folder.ProjectIni()),
            "[Common]\nIs Append 0=1\nWidth=4\nIsOverWrite=1\nPromptBeforeBackup=1\n"
            "Last Project=beta\nProject Count=2\nCount0=Alpha\nCount1=beta\nBy Field=1\n"
            "Sort=1\nLog Count=20\nEnable schedule=0\n");

  GlobalSettings back = LoadGlobalSettings(folder);
  EXPECT_EQ(back.projects, (Names{"Alpha", "beta"}));
  EXPECT_EQ(back.currentProject, "beta");
  EXPECT_EQ(back.byField, 1);
  EXPECT_TRUE(back.sortDescending);
  EXPECT_TRUE(back.isAppend0);
  EXPECT_EQ(back.width, 4);
  EXPECT_TRUE(back.isOverWrite);
  EXPECT_TRUE(back.promptBeforeBackup);
  EXPECT_EQ(back.logCount, 20);
  EXPECT_FALSE(back.enableSchedule);
}

TEST(GlobalSettingsTest, ExitWithoutProjectsWritesNothing) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  GlobalSettings s;
  s.width = 9;
  SaveGlobalSettings(folder, s);
  EXPECT_FALSE(std::filesystem::exists(folder.ProjectIni()));
}

TEST(GlobalSettingsTest, PreferencesStoreAllTheirValuesAtOnce) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  GlobalSettings s;
  s.autoRun = true;
  s.isMinimized = true;
  s.isAppend0 = true;
  s.width = 5;
  s.logCount = 10;
  SavePreferences(folder, s);
  GlobalSettings back = LoadGlobalSettings(folder);
  EXPECT_TRUE(back.StartMinimized());
  EXPECT_TRUE(back.isAppend0);
  EXPECT_EQ(back.width, 5);
  EXPECT_EQ(back.logCount, 10);
}

TEST(GlobalSettingsTest, ShorterListsLeaveOldKeysUnread) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  SaveWildcards(folder, {"*.doc", "*.txt", "*.XLS", "*.c", "*.h"});
  SaveWildcards(folder, {"*.a", "", "*.b"});
  EXPECT_EQ(LoadWildcards(folder), (Names{"*.a", "*.b"}));
  EXPECT_EQ(IniFile(folder.ProjectIni()).ReadString("Common", "Wildcard4"), "*.h");

  SaveProjectList(folder, {"c", "B", "a"});
  SaveProjectList(folder, {"z"});
  EXPECT_EQ(LoadGlobalSettings(folder).projects, (Names{"z"}));
  EXPECT_EQ(IniFile(folder.ProjectIni()).ReadString("Common", "Count2"), "c");
}

}  // namespace
}  // namespace core
