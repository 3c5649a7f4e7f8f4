// Tests of the start-at-login entry under a temporary XDG config folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "core/AutoStart.h"

namespace core {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// Points $XDG_CONFIG_HOME at a temporary folder for one test.
class AutoStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
  }
  void TearDown() override {
    if (hadOld_) {
      setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }
  TempDir dir_;
  bool hadOld_ = false;
  std::string old_;
};

TEST_F(AutoStartTest, EnableWritesTheEntryAndDisableRemovesIt) {
  const std::string file = dir_ / "autostart/tessaly-rududira-backup.desktop";
  EXPECT_EQ(AutoStartFile(), file);
  EXPECT_FALSE(IsAutoStartEnabled("/opt/ovaruz/ovaruz"));

  EnableAutoStart("/opt/ovaruz/ovaruz");
  const std::string text = ReadFile(file);
  EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(text.find("\nName=Tessaly Rududira Backup\n"), std::string::npos);
  EXPECT_NE(text.find("\nExec=/opt/ovaruz/ovaruz\n"), std::string::npos);
  EXPECT_TRUE(IsAutoStartEnabled("/opt/ovaruz/ovaruz"));
  // An entry that starts another program does not count as this one's.
  EXPECT_FALSE(IsAutoStartEnabled("/usr/bin/other"));

  EXPECT_TRUE(DisableAutoStart());
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(IsAutoStartEnabled("/opt/ovaruz/ovaruz"));
  EXPECT_TRUE(DisableAutoStart());  // nothing to remove is no error
}

TEST_F(AutoStartTest, PathsWithReservedCharactersAreQuoted) {
  const std::string exe = "/home/a b/100% \"x\"/$bin\\ovaruz";
  EnableAutoStart(exe);
  EXPECT_NE(ReadFile(AutoStartFile())
                .find("\nExec=\"/home/a b/100%% \\\\\"x\\\\\"/\\\\$bin\\\\\\\\ovaruz\"\n"),
            std::string::npos)
      << ReadFile(AutoStartFile());
  EXPECT_TRUE(IsAutoStartEnabled(exe));
}

TEST_F(AutoStartTest, UnwritableFolderFailsWithTheFixedMessage) {
  WriteFile(dir_ / "autostart", "a file where the folder should be");
  try {
    EnableAutoStart("/opt/ovaruz/ovaruz");
    FAIL() << "no error";
  } catch (const EAutoStartError& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Tessaly Rududira Backup'");
  }
}

TEST_F(AutoStartTest, RelativeConfigHomeIsIgnored) {
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  const std::string file = AutoStartFile();
  EXPECT_EQ(file.front(), '/');
  EXPECT_NE(file.find("/.config/autostart/tessaly-rududira-backup.desktop"), std::string::npos);
}

}  // namespace
}  // namespace core
