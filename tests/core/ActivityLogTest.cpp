// Tests of the activity log: newest first, the cut at the limit, clearing, a total above the
// limit, the entry texts, and appends from two processes at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/ActivityLog.h"
#include "core/IniFile.h"

namespace core {
namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

const zip::DateTime kNow = *zip::DateTime::FromParts(2024, 7, 4, 9, 5, 3);

ActivityLog Append(const DataFolder& folder, int limit, const std::string& info) {
  return AppendLog(folder, limit, kNow, kOperateBackup, kStatusSucceeds, "Docs", info);
}

std::vector<std::string> Infos(const ActivityLog& log) {
  std::vector<std::string> infos;
  for (const LogEntry& e : log.rows) infos.push_back(e.information);
  return infos;
}

// A log.txt holding entries "e1" .. "e<n>".
void WriteLog(const DataFolder& folder, int n) {
  std::string text = "[Common]\nLog Total=" + std::to_string(n) + "\n";
  for (int k = 1; k <= n; ++k)
    text +=
        "[Log" + std::to_string(k) + "]\nDate=2024-01-01\nInformation=e" + std::to_string(k) + "\n";
  WriteFile(folder.LogFile(), text);
}

TEST(ActivityLogTest, EntryReachingLimitCutsToFiveNewest) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  ActivityLog log;
  for (int i = 1; i <= 49; ++i) log = Append(folder, 50, "e" + std::to_string(i));
  EXPECT_EQ(log.total, 49);
  EXPECT_EQ(log.rows.front().information, "e49");
  EXPECT_EQ(log.rows.back().information, "e1");

  log = Append(folder, 50, "e50");
  EXPECT_EQ(log.total, 5);
  EXPECT_EQ(Infos(log), (std::vector<std::string>{"e50", "e49", "e48", "e47", "e46"}));
  IniFile file(folder.LogFile());
  EXPECT_EQ(file.ReadString("Log1", "Information"), "e46");
  EXPECT_EQ(file.ReadString("Log5", "Information"), "e50");

  log = Append(folder, 50, "e51");
  EXPECT_EQ(log.total, 6);
  EXPECT_EQ(file.ReadString("Log6", "Information"), "e51");
  EXPECT_EQ(Infos(LoadLog(folder, 50)), Infos(log));
}

TEST(ActivityLogTest, EntryHoldsAllFieldsAndMidnightDateHasNoTime) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  AppendLog(folder, 50, *zip::DateTime::FromParts(2024, 7, 4), kOperateBackup, kStatusInterrupt,
            "Docs", ArchiveExistsLogInfo("/bak/Docs7.zip"));
  AppendLog(folder, 50, kNow, kOperateRestore, kStatusFails, "Docs",
            ArchiveLogInfo("/bak/Docs7.zip", 5000));
  ActivityLog log = LoadLog(folder, 50);
  ASSERT_EQ(log.rows.size(), 2u);
  const LogEntry& restore = log.rows[0];
  EXPECT_EQ(restore.date, "2024-07-04 09:05:03");
  EXPECT_EQ(restore.operate, "Restore");
  EXPECT_EQ(restore.status, "Fails");
  EXPECT_EQ(restore.project, "Docs");
  EXPECT_EQ(restore.information, "/bak/Docs7.zip  4Kb");
  EXPECT_EQ(log.rows[1].date, "2024-07-04");
  EXPECT_EQ(log.rows[1].status, "Interrupt");
  EXPECT_EQ(log.rows[1].information, "'/bak/Docs7.zip' exists,backup interripted");
}

TEST(ActivityLogTest, ClearStartsAgainAtLogOne) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  for (int i = 1; i <= 3; ++i) Append(folder, 50, "old" + std::to_string(i));
  ClearLog(folder);
  EXPECT_TRUE(LoadLog(folder, 50).rows.empty());
  Append(folder, 50, "new");
  ActivityLog log = LoadLog(folder, 50);
  EXPECT_EQ(log.total, 1);
  EXPECT_EQ(Infos(log), std::vector<std::string>{"new"});
}

// The limit lowered from 50 to 10 while 30 entries exist (and the program restarted): the newest
// ten show, the file is left alone, and the next entry keeps itself and the four newest.
TEST(ActivityLogTest, TotalAboveLimitShowsAndKeepsNewest) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  WriteLog(folder, 30);
  ActivityLog log = LoadLog(folder, 10);
  EXPECT_EQ(log.total, 30);
  ASSERT_EQ(log.rows.size(), 10u);
  EXPECT_EQ(log.rows.front().information, "e30");
  EXPECT_EQ(log.rows.back().information, "e21");

  log = Append(folder, 10, "new");
  EXPECT_EQ(Infos(log), (std::vector<std::string>{"new", "e30", "e29", "e28", "e27"}));
}

TEST(ActivityLogTest, LimitBelowPreferencesRangeActsAsMinimum) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  WriteLog(folder, 3);
  EXPECT_EQ(LoadLog(folder, 1).rows.size(), 3u);
  ActivityLog log;
  for (int i = 4; i <= 9; ++i) log = Append(folder, 1, "e" + std::to_string(i));
  EXPECT_EQ(log.total, 9);  // no cut below kMinLogCount
  log = Append(folder, 1, "e10");
  EXPECT_EQ(Infos(log), (std::vector<std::string>{"e10", "e9", "e8", "e7", "e6"}));
}

// Two processes append 50 entries each to one data folder: none is lost or overwritten.
TEST(ActivityLogTest, TwoProcessesAppendingLoseNothing) {
  TempDir dir;
  DataFolder folder(dir.Path().string());
  constexpr int kEach = 50;
  std::vector<pid_t> children;
  for (const char* who : {"a", "b"}) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int rc = 0;
      try {
        for (int i = 0; i < kEach; ++i)
          AppendLog(folder, kMaxLogCount, kNow, kOperateBackup, kStatusSucceeds, who,
                    std::to_string(i));
      } catch (...) {
        rc = 1;
      }
      ::_exit(rc);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ActivityLog log = LoadLog(folder, kMaxLogCount);
  ASSERT_EQ(log.total, 2 * kEach);
  ASSERT_EQ(log.rows.size(), 2u * kEach);
  // Each process's entries are all there, in the order it wrote them.
  std::vector<int> next = {kEach - 1, kEach - 1};
  for (const LogEntry& e : log.rows) {
    int& expected = next[e.project == "a" ? 0 : 1];
    EXPECT_EQ(e.information, std::to_string(expected)) << e.project;
    --expected;
  }
  EXPECT_EQ(next, (std::vector<int>{-1, -1}));
}

}  // namespace
}  // namespace core
