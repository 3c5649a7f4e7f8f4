// Tests of the directory walk: order, masks, hidden entries, links and deep trees, on trees
// built in a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

#include "zip/TDirSearch.h"

namespace zip {
namespace {

namespace fs = std::filesystem;

using testsupport::TempDir;

void WriteFile(const fs::path& path, std::size_t size) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

struct Entry {
  std::string name;
  std::int64_t size;
};

std::vector<Entry> Walk(const std::string& start, bool recurse, const std::string& mask) {
  TDirSearch search(start, recurse, mask);
  std::vector<Entry> result;
  for (;;) {
    std::int64_t size = -1;
    std::string name = search.NextFile(size);
    if (name.empty()) break;
    result.push_back({name, name.back() == '/' ? -1 : size});
  }
  return result;
}

// Names relative to root, in walk order.
std::vector<std::string> Relative(const std::vector<Entry>& entries, const std::string& root) {
  std::vector<std::string> names;
  for (const Entry& e : entries) {
    EXPECT_EQ(e.name.rfind(root + "/", 0), 0u) << e.name;
    names.push_back(e.name.substr(root.size() + 1));
  }
  return names;
}

std::set<std::string> AsSet(const std::vector<std::string>& names) {
  return {names.begin(), names.end()};
}

// root: a.txt(3) readme(5) .hidden(1) sub/{b.txt(2) deep/c.dat(4)} sub2/d.txt(6) .git/x.txt(7)
class DirSearchTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::path r = dir_.Path().string();
    WriteFile(r / "a.txt", 3);
    WriteFile(r / "readme", 5);
    WriteFile(r / ".hidden", 1);
    WriteFile(r / "sub" / "b.txt", 2);
    WriteFile(r / "sub" / "deep" / "c.dat", 4);
    WriteFile(r / "sub2" / "d.txt", 6);
    WriteFile(r / ".git" / "x.txt", 7);
  }
  std::string root() const { return dir_.Path().string(); }

 private:
  TempDir dir_;
};

TEST_F(DirSearchTreeTest, RecursiveWalkReturnsEachDirectoryBeforeItsWholeSubtree) {
  std::vector<Entry> entries = Walk(root(), true, "*.*");
  std::vector<std::string> names = Relative(entries, root());
  EXPECT_EQ(AsSet(names),
            (std::set<std::string>{"a.txt", "readme", ".hidden", "sub/", "sub/b.txt", "sub/deep/",
                                   "sub/deep/c.dat", "sub2/", "sub2/d.txt"}));
  EXPECT_EQ(names.size(), 9u) << "an entry was returned twice";

  // Every directory is followed directly by its complete subtree.
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].back() != '/') continue;
    std::size_t end = i + 1;
    while (end < names.size() && names[end].rfind(names[i], 0) == 0) ++end;
    for (std::size_t j = end; j < names.size(); ++j)
      EXPECT_NE(names[j].rfind(names[i], 0), 0u) << names[j] << " came after leaving " << names[i];
  }

  std::map<std::string, std::int64_t> sizes;
  for (std::size_t i = 0; i < names.size(); ++i) sizes[names[i]] = entries[i].size;
  EXPECT_EQ(sizes["a.txt"], 3);
  EXPECT_EQ(sizes["readme"], 5);
  EXPECT_EQ(sizes[".hidden"], 1);
  EXPECT_EQ(sizes["sub/deep/c.dat"], 4);
  EXPECT_EQ(sizes["sub2/d.txt"], 6);
}

TEST_F(DirSearchTreeTest, MaskSelectsFilesAndRecursionAddsDirectories) {
  struct Case {
    std::string mask;
    bool recurse;
    std::set<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"*.*", false, {"a.txt", "readme", ".hidden"}},
      {"*", false, {"a.txt", "readme", ".hidden"}},
      {"*.", false, {"readme"}},
      {"*.txt", false, {"a.txt"}},
      // The name is matched with its appended ".", so a plain name needs the dot in the mask.
      {"README.", false, {"readme"}},
      {"README", false, {}},
      {"*.none", false, {}},
      // Directories are returned whatever the mask; files below them are still filtered.
      {"*.txt", true, {"a.txt", "sub/", "sub/b.txt", "sub/deep/", "sub2/", "sub2/d.txt"}},
      {"*.", true, {"readme", "sub/", "sub/deep/", "sub2/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("mask " + c.mask + (c.recurse ? " recursive" : ""));
    std::vector<std::string> names = Relative(Walk(root() + "/", c.recurse, c.mask), root());
    EXPECT_EQ(AsSet(names), c.expected);
    EXPECT_EQ(names.size(), c.expected.size());
  }
}

TEST_F(DirSearchTreeTest, WalkStaysOverOnceFinished) {
  TDirSearch search(root(), false, "*.*");
  std::int64_t size = 0;
  int count = 0;
  while (!search.NextFile(size).empty()) ++count;
  EXPECT_EQ(count, 3);
  EXPECT_EQ(search.NextFile(size), "");
}

TEST(DirSearchTest, LinkToFileIsAFileAndLinksToDirectoriesAreNotFollowed) {
  TempDir dir;
  fs::path r = dir.Path().string();
  WriteFile(r / "target.bin", 9);
  WriteFile(r / "real" / "inside.txt", 1);
  fs::create_symlink(r / "target.bin", r / "file.lnk");
  fs::create_directory_symlink(r / "real", r / "dirlink");
  fs::create_directory_symlink(r, r / "real" / "loop");  // would loop if followed
  fs::create_symlink(r / "missing", r / "broken.lnk");

  std::vector<Entry> entries = Walk(dir.Path().string(), true, "*.*");
  std::map<std::string, std::int64_t> found;
  for (const Entry& e : entries) found[e.name.substr(dir.Path().string().size() + 1)] = e.size;
  EXPECT_EQ(found, (std::map<std::string, std::int64_t>{
                       {"target.bin", 9}, {"file.lnk", 9}, {"real/", -1}, {"real/inside.txt", 1}}));
}

TEST(DirSearchTest, MissingStartFolderEndsAtOnce) {
  TempDir dir;
  TDirSearch search(dir.Path().string() + "/absent", true, "*.*");
  std::int64_t size = 42;
  EXPECT_EQ(search.NextFile(size), "");
  EXPECT_EQ(search.NextFile(size), "");
  EXPECT_EQ(size, 42);
}

TEST(DirSearchTest, DeepTreeIsWalkedCompletely) {
  TempDir dir;
  constexpr int kDepth = 30;
  fs::path p = dir.Path().string();
  for (int i = 0; i < kDepth; ++i) {
    p /= "d" + std::to_string(i);
    WriteFile(p / "f.txt", static_cast<std::size_t>(i));
  }
  std::vector<Entry> entries = Walk(dir.Path().string(), true, "*.txt");
  EXPECT_EQ(entries.size(), 2u * kDepth);
  auto deepest = std::find_if(entries.begin(), entries.end(),
                              [&](const Entry& e) { return e.name == p.string() + "/f.txt"; });
  ASSERT_NE(deepest, entries.end());
  EXPECT_EQ(deepest->size, kDepth - 1);
}

TEST(SearchDataTest, EnumeratesEveryEntryOfOneLevelThenCloses) {
  TempDir dir;
  WriteFile(fs::path(dir.Path().string()) / "one", 1);
  WriteFile(fs::path(dir.Path().string()) / "sub" / "inner", 1);

  TSearchData level(dir.Path().string(), "*.x");
  EXPECT_EQ(level.Directory(), dir.Path().string() + "/");
  EXPECT_EQ(level.Mask(), "*.x");
  std::map<std::string, bool> seen;
  while (level.FindResult() == 0) {
    EXPECT_FALSE(level.Closed());
    seen[level.Name()] = level.IsDirectory();
    level.Advance();
  }
  EXPECT_EQ(seen, (std::map<std::string, bool>{
                      {".", true}, {"..", true}, {"one", false}, {"sub", true}}));
  EXPECT_TRUE(level.Exhausted());
  EXPECT_TRUE(level.Closed());
  level.Advance();  // no effect once exhausted
  EXPECT_TRUE(level.Exhausted());

  TSearchData missing(dir.Path().string() + "/absent", "*");
  EXPECT_EQ(missing.FindResult(), ENOENT);
}

}  // namespace
}  // namespace zip
