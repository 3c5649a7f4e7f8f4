// Tests of the file-system helpers: percentages, file times, folders, temporary files, moving or
// copying files into place, on fixtures built in a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "zip/FileUtils.h"
#include "zip/Prompts.h"

namespace zip {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the given parent, removed with its contents at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& parent = testing::TempDir()) {
    std::string pattern = (fs::path(parent) / "fileutilsXXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = buffer.data();
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct Shown {
  std::string text, caption;
  MsgKind kind;
  MsgButtons buttons;
};

// Installs a message-box handler that records every message, and removes it at the end.
class RecordMessages {
 public:
  RecordMessages() {
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption, MsgKind kind,
                                MsgButtons buttons) {
      shown.push_back({text, caption, kind, buttons});
      return MsgResult::OK;
    });
  }
  RecordMessages(const RecordMessages&) = delete;
  RecordMessages& operator=(const RecordMessages&) = delete;
  ~RecordMessages() { SetMessageBoxHandler(nullptr); }
  std::vector<Shown> shown;
};

TEST(PercentTest, RoundsToNearestWithHalvesToEvenAndCaps) {
  struct Case {
    std::int64_t part, whole;
    int expected;
  };
  const std::vector<Case> cases = {
      {0, 10, 0},
      {1, 3, 33},
      {2, 3, 67},
      {1, 8, 12},
      {3, 8, 38},
      {5, 8, 62},
      {1, 200, 0},  // 0.5 and 1.5: halves go to the even neighbour
      {3, 200, 2},
      {1, 0, 0},
      {5, -4, 0},
      {10, 10, 100},
      {11, 10, 100},
      {999, 1000, 100},
      {-1, 4, -25},
      {std::int64_t{1} << 40, std::int64_t{1} << 41, 50},
      {INT64_MAX / 2, INT64_MAX, 50},  // 49.99...
      {INT64_MAX - 1, INT64_MAX, 100},
      {INT64_MAX, INT64_MAX, 100},
      // 10^18 * 100 overflows 64 bits; 0.125 and 0.375 of it must still round to even.
      {125'000'000'000'000'000, 1'000'000'000'000'000'000, 12},
      {375'000'000'000'000'000, 1'000'000'000'000'000'000, 38},
      {125'000'000'000'000'001, 1'000'000'000'000'000'000, 13},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Percent(c.part, c.whole), c.expected) << c.part << " of " << c.whole;
}

TEST(FileDateTimeTest, ReadsModificationTimeAsDosTime) {
  TempDir dir;
  const std::string file = dir / "stamped.txt";
  WriteFile(file, "x");
  struct Case {
    DateParts set, expected;
  };
  const std::vector<Case> cases = {
      {{2021, 6, 15, 13, 45, 30}, {2021, 6, 15, 13, 45, 30}},
      {{2003, 1, 2, 3, 4, 59}, {2003, 1, 2, 3, 4, 58}},  // odd seconds round down
      {{1975, 5, 5, 12, 0, 0}, {1980, 1, 1, 0, 0, 0}},   // before DOS time begins
  };
  for (const Case& c : cases) {
    std::time_t t = DateTime::FromParts(c.set)->ToTimeT();
    struct timeval times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(utimes(file.c_str(), times), 0);
    EXPECT_EQ(FileDateTime(file), *DateTime::FromParts(c.expected)) << c.set.year;
  }
}

TEST(FileDateTimeTest, MissingFileOrFolderGivesEndOf2099) {
  TempDir dir;
  const DateTime end2099 = *DateTime::FromParts(2099, 12, 31, 23, 59, 58);
  EXPECT_EQ(FileDateTime(dir / "missing"), end2099);
  EXPECT_EQ(FileDateTime(dir.path()), end2099);
}

TEST(FileQueriesTest, DistinguishFilesFoldersLinksAndMissingNames) {
  TempDir dir;
  WriteFile(dir / "file", "12345");
  fs::create_directory(dir / "folder");
  fs::create_symlink(dir / "file", dir / "filelink");
  fs::create_directory_symlink(dir / "folder", dir / "folderlink");
  struct Case {
    std::string name;
    bool isFile, isFolder;
    std::int64_t size;
  };
  const std::vector<Case> cases = {
      {dir / "file", true, false, 5},      {dir / "filelink", true, false, 5},
      {dir / "folder", false, true, -1},   {dir / "folderlink", false, true, -1},
      {dir / "missing", false, false, -1}, {"", false, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FileExists(c.name), c.isFile);
    EXPECT_EQ(DirectoryExists(c.name), c.isFolder);
    EXPECT_EQ(FileSizeOf(c.name), c.size);
  }
}

TEST(ForceDirectoriesTest, CreatesMissingLevelsAndFailsThroughAFile) {
  TempDir dir;
  EXPECT_TRUE(ForceDirectories(dir / "a/b/c/"));
  EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
  EXPECT_TRUE(ForceDirectories(dir / "a/b"));  // already there
  EXPECT_TRUE(ForceDirectories(dir.path()));
  EXPECT_FALSE(ForceDirectories(""));
  WriteFile(dir / "plain", "x");
  EXPECT_FALSE(ForceDirectories(dir / "plain"));
  EXPECT_FALSE(ForceDirectories(dir / "plain/under"));
}

TEST(TempFileNameTest, CreatesAnEmptyUniqueFileInTheFolder) {
  TempDir dir;
  const std::string first = TempFileName(dir.path());
  const std::string second = TempFileName(dir.path() + "/");
  for (const std::string& name : {first, second}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(fs::path(name).parent_path(), fs::path(dir.path()));
    EXPECT_EQ(fs::path(name).filename().string().rfind("OVZ", 0), 0u);
    EXPECT_EQ(FileSizeOf(name), 0);
  }
  EXPECT_NE(first, second);
  EXPECT_EQ(TempFileName(dir / "absent"), "");
}

TEST(TempFileNameTest, EmptyFolderMeansTmpdir) {
  TempDir dir;
  const char* old = getenv("TMPDIR");
  const std::string saved = old != nullptr ? old : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  const std::string name = TempFileName("");
  if (old != nullptr)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_EQ(fs::path(name).parent_path(), fs::path(dir.path()));
  EXPECT_TRUE(FileExists(name));
}

TEST(MoveOrCopyFileTest, RenameReplacesTargetOnTheSameFileSystem) {
  TempDir dir;
  RecordMessages messages;
  WriteFile(dir / "src", "new content");
  WriteFile(dir / "dst", "old");
  EXPECT_TRUE(MoveOrCopyFile(dir / "src", dir / "dst"));
  EXPECT_EQ(ReadFile(dir / "dst"), "new content");
  EXPECT_FALSE(fs::exists(dir / "src"));
  EXPECT_FALSE(fs::exists(dir / "dst$$$"));
  EXPECT_TRUE(messages.shown.empty());

  WriteFile(dir / "src2", "more");
  EXPECT_TRUE(MoveOrCopyFile(dir / "src2", dir / "fresh"));  // no target yet
  EXPECT_EQ(ReadFile(dir / "fresh"), "more");
}

// A folder named target + "$$$" makes moving the old target aside fail, which forces the copy.
TEST(MoveOrCopyFileTest, FailedRenameFallsBackToCopyAndKeepsSource) {
  TempDir dir;
  RecordMessages messages;
  WriteFile(dir / "dst", "old target");
  fs::create_directory(dir / "dst$$$");
  WriteFile(dir / "dst$$$/keep", "x");

  const std::string big(200'000, 'b');  // spans several copy buffers
  WriteFile(dir / "src", big);
  EXPECT_TRUE(MoveOrCopyFile(dir / "src", dir / "dst"));
  EXPECT_EQ(ReadFile(dir / "dst"), big);
  EXPECT_EQ(ReadFile(dir / "src"), big);
  EXPECT_TRUE(messages.shown.empty());

  // An empty source copies no bytes: the error box appears, yet the copy itself worked.
  WriteFile(dir / "empty", "");
  EXPECT_TRUE(MoveOrCopyFile(dir / "empty", dir / "dst"));
  EXPECT_EQ(FileSizeOf(dir / "dst"), 0);
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST(MoveOrCopyFileTest, MissingSourceShowsErrorAndFails) {
  TempDir dir;
  RecordMessages messages;
  WriteFile(dir / "dst", "untouched");
  EXPECT_FALSE(MoveOrCopyFile(dir / "nosuch", dir / "dst"));
  EXPECT_EQ(ReadFile(dir / "dst"), "untouched");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "Could not copy from " + (dir / "nosuch") + " -> " + (dir / "dst"));
  EXPECT_EQ(messages.shown[0].caption, "Error");
  EXPECT_EQ(messages.shown[0].kind, MsgKind::Error);
  EXPECT_EQ(messages.shown[0].buttons, MsgButtons::OK);
}

TEST(MoveOrCopyFileTest, CopiesAcrossFileSystems) {
  TempDir here;
  struct stat a {};
  struct stat b {};
  if (stat("/dev/shm", &b) != 0 || !S_ISDIR(b.st_mode) || stat(here.path().c_str(), &a) != 0 ||
      a.st_dev == b.st_dev)
    GTEST_SKIP() << "no second file system (/dev/shm) next to " << here.path();
  TempDir there("/dev/shm");
  RecordMessages messages;
  WriteFile(here / "src", "across");
  WriteFile(there / "dst", "old");
  EXPECT_TRUE(MoveOrCopyFile(here / "src", there / "dst"));
  EXPECT_EQ(ReadFile(there / "dst"), "across");
  EXPECT_EQ(ReadFile(here / "src"), "across");
  EXPECT_FALSE(fs::exists(there / "dst$$$"));
  EXPECT_TRUE(messages.shown.empty());
}

TEST(DiskFreeTest, PositiveForAFolderAndMinusOneForAMissingPath) {
  TempDir dir;
  EXPECT_GT(DiskFree(dir.path()), 0);
  EXPECT_EQ(DiskFree(dir / "absent"), -1);
}

}  // namespace
}  // namespace zip
