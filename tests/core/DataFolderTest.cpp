// Tests of finding the data folder: the order of the sources, the portable install, the override
// over the environment, and the home folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "TestSupport.h"
#include "core/DataFolder.h"

namespace core {
namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(DataFolderTest, SourcesInOrder) {
  TempDir portable, plain;
  WriteFile(portable / "project.ini", "");
  const std::string p = portable.Path().string();

  DataFolderSources s;
  s.home = "/home/u";
  EXPECT_EQ(ResolveDataFolder(s), "/home/u/.config/ovaruz/");
  s.xdgConfigHome = "relative/cfg";  // ignored: not absolute
  EXPECT_EQ(ResolveDataFolder(s), "/home/u/.config/ovaruz/");
  s.xdgConfigHome = "/cfg";
  EXPECT_EQ(ResolveDataFolder(s), "/cfg/ovaruz/");
  s.exeFolder = plain.Path().string();  // no project.ini there
  EXPECT_EQ(ResolveDataFolder(s), "/cfg/ovaruz/");
  s.exeFolder = p;
  EXPECT_EQ(ResolveDataFolder(s), p + "/");
  s.ovaruzHome = "/env/home";
  EXPECT_EQ(ResolveDataFolder(s), "/env/home/");
  s.overrideFolder = "/cli/home/";
  EXPECT_EQ(ResolveDataFolder(s), "/cli/home/");
}

TEST(DataFolderTest, OverrideWinsOverEnvironmentAndFilesFollowFolder) {
  ScopedEnv env("OVARUZ_HOME", "/from/env");
  EXPECT_EQ(ProgramFolder(), "/from/env/");
  SetDataFolderOverride("/from/code");
  EXPECT_EQ(ProgramFolder(), "/from/code/");
  EXPECT_EQ(DataFolder::Current().ProjectIni(), "/from/code/project.ini");
  EXPECT_EQ(DataFolder::Current().LogFile(), "/from/code/log.txt");
  EXPECT_EQ(DataFolder::Current().StoreNumberFile(), "/from/code/StoreNumber.txt");
  SetDataFolderOverride("");
  EXPECT_EQ(ProgramFolder(), "/from/env/");
}

TEST(DataFolderTest, HomeFolderHasTrailingSeparator) {
  ScopedEnv env("HOME", "/some/where");
  EXPECT_EQ(HomeFolder(), "/some/where/");
}

}  // namespace
}  // namespace core
