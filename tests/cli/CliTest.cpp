// ovaruz-cli as a user runs it: help, version, usage errors, error lines for unreadable archives.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"

using testsupport::RunCli;
using testsupport::ShellQuote;

TEST(Cli, HelpVersionAndUsageErrors) {
  auto help = RunCli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("extract ARCHIVE DEST"), std::string::npos);
  auto version = RunCli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output.rfind("ovaruz-cli ", 0), 0u);
  for (const char* args : {"", "frobnicate", "list", "list a.zip --sort sideways", "extract a.zip",
                           "extract a.zip d --overwrite sometimes", "test --bogus x"}) {
    auto r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.output;
  }
}

TEST(Cli, UnreadableArchivesGiveOneErrorLine) {
  testsupport::TempDir tmp;
  testsupport::WriteFile(tmp / "text.zip", "this is not an archive at all");
  struct Case {
    std::string path;
    const char* text;
  };
  const Case cases[] = {
      {tmp / "missing.zip", "Cannot open file"},
      {tmp / "text.zip", "Not a valid zip file!"},
  };
  for (const auto& c : cases) {
    for (const char* cmd : {"list", "test"}) {
      auto r = RunCli(std::string(cmd) + " " + ShellQuote(c.path));
      EXPECT_EQ(r.status, 1) << r.output;
      EXPECT_NE(r.output.find(c.text), std::string::npos) << r.output;
      EXPECT_NE(r.output.find(c.path), std::string::npos) << r.output;
      EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    }
  }
}

// The log command reads a log.txt written by hand in the program's format from the data folder
// that --home names, newest entry first.
TEST(Cli, LogListsTheActivityLogNewestFirst) {
  testsupport::TempDir home;
  testsupport::WriteFile(
      home / "log.txt",
      "[Common]\r\nLog Total=2\r\n"
      "[Log1]\r\nDate=2026-01-02 03:04:05\r\nOperate=Backup\r\nStatus=Succeeds\r\n"
      "Project=Docs\r\nInformation=first\r\n"
      "[Log2]\r\nDate=2026-01-03\r\nOperate=Restore\r\nStatus=Fails\r\n"
      "Project=\r\nInformation=second\r\n");
  auto r = RunCli("--home " + ShellQuote(home.Path().string()) + " log");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output,
            "2026-01-03\tRestore\tFails\t\tsecond\n"
            "2026-01-02 03:04:05\tBackup\tSucceeds\tDocs\tfirst\n");
}

// The projects command reads a project.ini written by hand in the program's format: one row per
// project in project-box order (sorted without regard to case) with its naming and schedule.
TEST(Cli, ProjectsListNamingAndSchedule) {
  testsupport::TempDir home;
  testsupport::WriteFile(home / "project.ini",
                         "[Common]\nProject Count=2\nCount0=Photos\nCount1=docs\n\n"
                         "[docs]\nFilename prefix=docs-\nSuffix=2\nValue=7\nIncrease Value=1\n"
                         "Save Path=/backup/\nBackupMode=0\nStartTime_or_Increase=09:00:00\n\n"
                         "[Photos]\nFilename prefix=photos\nSuffix=0\nSave Path=/backup/pics/\n"
                         "BackupMode=2\nStartTime_or_Increase=Monday\n");
  auto r = RunCli("--home " + ShellQuote(home.Path().string()) + " projects");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output,
            "docs\tNumber\t/backup/docs-8.zip\tDaily once at 09:00:00\n"
            "Photos\tNone\t/backup/pics/photos.zip\tWeekly every on Monday\n");
}
