// The archive writer: expanding the files list (patterns, recursion, exclusions), stored paths,
// compression levels, encryption, comments, events, updating an existing archive, failures that
// must leave no trace, and the names and attributes Unix peers rely on. Archives are checked
// through an independent parse of their records and extracted with the library's reader.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "TestArchive.h"
#include "TestSupport.h"
#include "zip/Crc32.h"
#include "zip/Exceptions.h"
#include "zip/TZipWriter.h"
#include "zip/ZipFormat.h"

using namespace zip;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

constexpr time_t kOld = 1614834368;  // 2021-03-04 05:06:08 UTC, an even second
constexpr time_t kNewer = kOld + 3600;

void SetTime(const std::string& path, time_t t) {
  const timespec times[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

std::string Noise(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

std::string TextOf(std::size_t n) {
  std::string s;
  for (int i = 0; s.size() < n; ++i) s += "line " + std::to_string(i) + " of some text\n";
  s.resize(n);
  return s;
}

// --- An independent reading of the records the writer produced ---

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b.at(at + i));
  return static_cast<std::uint32_t>(v);
}

struct RawEntry {
  std::string name;
  std::uint16_t madeBy = 0, flag = 0, method = 0, internal = 0;
  std::uint32_t crc = 0, external = 0;
  std::uint64_t packed = 0, size = 0, offset = 0;
  std::string comment;
  std::string data;  // the packed bytes after the local header
};

struct RawArchive {
  std::string bytes;
  std::vector<RawEntry> entries;
  std::string comment;

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
  }
  std::set<std::string> NameSet() const {
    auto n = Names();
    return {n.begin(), n.end()};
  }
  const RawEntry& Get(const std::string& name) const {
    for (const auto& e : entries)
      if (e.name == name) return e;
    throw std::runtime_error("no entry " + name);
  }
};

// Reads the end record, every central header and the local header it points
// to. Local headers must agree with their central headers, and the entries must sit back to back
// in front of the central directory.
RawArchive ParseArchive(const std::string& path) {
  RawArchive a;
  a.bytes = ReadFile(path);
  const std::string& b = a.bytes;
  if (b.size() < 22) throw std::runtime_error("too short: " + path);
  std::size_t end = b.size() - 22;
  while (Le(b, end, 4) != kEndCentralSignature) {
    if (end == 0) throw std::runtime_error("no end record: " + path);
    --end;
  }
  EXPECT_EQ(end + 22 + Le(b, end + 20, 2), b.size()) << "bytes after the end record";
  a.comment = b.substr(end + 22, Le(b, end + 20, 2));
  const std::size_t total = Le(b, end + 10, 2), cdOffset = Le(b, end + 16, 4);
  std::size_t p = cdOffset, expectedLocal = 0;
  for (std::size_t i = 0; i < total; ++i) {
    if (Le(b, p, 4) != kCentralHeaderSignature) throw std::runtime_error("bad central header");
    RawEntry e;
    e.madeBy = static_cast<std::uint16_t>(Le(b, p + 4, 2));
    e.flag = static_cast<std::uint16_t>(Le(b, p + 8, 2));
    e.method = static_cast<std::uint16_t>(Le(b, p + 10, 2));
    e.crc = Le(b, p + 16, 4);
    e.packed = Le(b, p + 20, 4);
    e.size = Le(b, p + 24, 4);
    std::size_t nameLen = Le(b, p + 28, 2), extraLen = Le(b, p + 30, 2),
                commentLen = Le(b, p + 32, 2);
    e.internal = static_cast<std::uint16_t>(Le(b, p + 36, 2));
    e.external = Le(b, p + 38, 4);
    e.offset = Le(b, p + 42, 4);
    e.name = b.substr(p + 46, nameLen);
    e.comment = b.substr(p + 46 + nameLen + extraLen, commentLen);
    p += 46 + nameLen + extraLen + commentLen;

    const std::size_t l = e.offset;
    EXPECT_EQ(l, expectedLocal) << e.name << ": gap or overlap before the local header";
    EXPECT_EQ(Le(b, l, 4), kLocalHeaderSignature) << e.name;
    EXPECT_EQ(Le(b, l + 6, 2), e.flag) << e.name;
    EXPECT_EQ(Le(b, l + 8, 2), e.method) << e.name;
    EXPECT_EQ(Le(b, l + 14, 4), e.crc) << e.name;
    EXPECT_EQ(Le(b, l + 18, 4), e.packed) << e.name;
    EXPECT_EQ(Le(b, l + 22, 4), e.size) << e.name;
    std::size_t localName = Le(b, l + 26, 2), localExtra = Le(b, l + 28, 2);
    EXPECT_EQ(b.substr(l + 30, localName), e.name);
    std::size_t data = l + 30 + localName + localExtra;
    e.data = b.substr(data, e.packed);
    expectedLocal = data + e.packed + ((e.flag & kFlagDataDescriptor) ? 16 : 0);
    a.entries.push_back(e);
  }
  EXPECT_EQ(expectedLocal, cdOffset) << "gap or overlap before the central directory";
  return a;
}

// Every file and folder below root by "/"-separated relative path; folders end with "/".
std::map<std::string, std::string> ReadTree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    std::string rel = fs::relative(e.path(), root).generic_string();
    if (e.is_directory())
      tree[rel + "/"] = "";
    else
      tree[rel] = ReadFile(e.path().string());
  }
  return tree;
}

// Extracts the whole archive with the library's reader; the tree it leaves.
std::map<std::string, std::string> Unpack(const std::string& archive,
                                          const std::string& password = "") {
  TempDir out;
  TZipReader r;
  r.SetZipName(archive);
  r.Password = password;
  r.SetDestDir(out.Path().string());
  r.RecreateDirs = true;
  r.OverwriteMode = Always;
  r.DoAll = true;
  r.UnZip();
  return ReadTree(out.Path());
}

// Names in the folder that look like the writer's temporary files.
std::vector<std::string> TempFilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().starts_with("OVZ")) names.push_back(e.path().string());
  return names;
}

// Strips the leading "/" the writer never stores.
std::string Stored(const std::string& path) {
  return path.substr(path.find_first_not_of('/'));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Expanding the files list

class WriterGather : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(root_ + "a.txt", "a");
    WriteFile(root_ + "b.log", "b");
    WriteFile(root_ + "noext", "n");
    WriteFile(root_ + "sub/c.txt", "c");
    WriteFile(root_ + "sub/deep/d.txt", "d");
  }

  // Zips lines with paths relative to root_ and the given recursion; the stored names.
  std::vector<std::string> ZipLines(const std::vector<std::string>& lines, bool recurse) {
    TZipWriter w;
    w.SetZipName(tmp_ / ("out" + std::to_string(n_++) + ".zip"));
    w.SetRootDir(root_);
    w.SetRelativePaths(true);
    w.SetRecurse(recurse);
    w.FilesList = lines;
    w.Zip();
    EXPECT_TRUE(w.FilesList.empty());
    return ParseArchive(w.ZipName()).Names();
  }

  TempDir tmp_;
  std::string root_ = tmp_ / "root/";
  int n_ = 0;
};

TEST_F(WriterGather, LinesExpandToFilesFolderEntriesAndPatterns) {
  using Names = std::set<std::string>;
  const std::string r = root_;
  const Names top = {"a.txt"}, allTxt = {"a.txt", "sub/c.txt", "sub/deep/d.txt"};
  struct Case {
    std::vector<std::string> lines;
    bool recurse;
    Names expected;
  };
  const Case cases[] = {
      {{r + "a.txt"}, false, top},
      {{"a.txt"}, false, top},  // a bare name is taken from RootDir
      {{r + "*.txt"}, false, top},
      {{r + "*.txt"}, true, allTxt},
      {{r + "|*.txt"}, true, top},
      {{r + ">*.txt"}, false, allTxt},
      {{"|" + r + "*.txt"}, true, top},
      {{">" + r + "*.txt"}, false, allTxt},
      {{r + "*.*"}, false, {"a.txt", "b.log", "noext"}},
      {{r + "sub/*"}, true, {"sub/c.txt", "sub/deep/d.txt"}},
      {{"*.log"}, false, {"b.log"}},  // a bare pattern walks RootDir
      {{r + "sub/"}, false, {"sub/"}},
      {{r + "sub/", r + "sub/deep/"}, false, {"sub/", "sub/deep/"}},
      {{r + "no-such-folder/*"}, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.lines) + (c.recurse ? " recursive" : ""));
    auto names = ZipLines(c.lines, c.recurse);
    EXPECT_EQ(Names(names.begin(), names.end()), c.expected);
    EXPECT_EQ(names.size(), c.expected.size()) << "an entry twice";
  }
}

TEST_F(WriterGather, PlainLinesComeFirstThenTheWalkAndMissingFilesAreReported) {
  TZipWriter w;
  w.SetZipName(tmp_ / "order.zip");
  w.SetRootDir(root_);
  w.SetRelativePaths(true);
  std::vector<std::string> missing;
  w.OnNoSuchFile = [&](TZipWriter&, const std::string& name) { missing.push_back(name); };
  int infoFiles = -1;
  std::int64_t infoBytes = -1;
  w.OnStartZipInfo = [&](TZipWriter&, int n, std::int64_t bytes, TEndCentral&, bool&) {
    infoFiles = n;
    infoBytes = bytes;
  };
  w.FilesList = {root_ + "sub/*.txt", root_ + "b.log", root_ + "gone.txt", root_ + "a.txt",
                 root_ + "sub/"};
  EXPECT_EQ(w.Zip(), 5);
  auto names = ParseArchive(w.ZipName()).Names();
  ASSERT_EQ(names.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
            (std::vector<std::string>{"b.log", "a.txt", "sub/"}));
  EXPECT_EQ(std::set<std::string>(names.begin() + 3, names.end()),
            (std::set<std::string>{"sub/c.txt", "sub/deep/d.txt"}));
  EXPECT_EQ(missing, std::vector<std::string>{root_ + "gone.txt"});
  EXPECT_EQ(infoFiles, 5);
  EXPECT_EQ(infoBytes, 4);
}

TEST_F(WriterGather, ExclusionsMatchTheNameOrTheWholePath) {
  WriteFile(root_ + "x.bak", "x");
  WriteFile(root_ + "old/y.bak", "y");
  WriteFile(root_ + "old/keep.txt", "k");
  WriteFile(root_ + "Upper.TXT", "u");
  const std::string lowerRoot = [&] {
    std::string s = root_;
    std::transform(s.begin(), s.end(), s.begin(), ::tolower);
    return s;
  }();
  struct Case {
    std::vector<std::string> exclude;
    std::set<std::string> gone;
  };
  const Case cases[] = {
      {{"*.bak"}, {"x.bak", "old/y.bak"}},
      // With a "/" the whole path is matched, and "*" runs over "/" into subfolders.
      {{root_ + "*.bak"}, {"x.bak", "old/y.bak"}},
      {{root_ + "old/*"}, {"old/y.bak", "old/keep.txt"}},
      {{"*/old/*"}, {"old/y.bak", "old/keep.txt"}},
      {{"old/*"}, {}},  // a relative path never matches a full path
      {{"keep.txt", "UPPER.txt"}, {"old/keep.txt", "Upper.TXT"}},
      {{lowerRoot + "upper.txt"}, {"Upper.TXT"}},
      {{"*"},
       {"a.txt", "b.log", "noext", "sub/c.txt", "sub/deep/d.txt", "x.bak", "old/y.bak",
        "old/keep.txt", "Upper.TXT"}},
  };
  const std::set<std::string> all = {"a.txt",     "b.log",          "noext",
                                     "sub/c.txt", "sub/deep/d.txt", "x.bak",
                                     "old/y.bak", "old/keep.txt",   "Upper.TXT"};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.exclude));
    TZipWriter w;
    w.SetZipName(tmp_ / ("ex" + std::to_string(n++) + ".zip"));
    w.SetRootDir(root_);
    w.SetRelativePaths(true);
    w.ExcludeList = c.exclude;
    // Plain lines are excluded the same way as walked files.
    w.FilesList = {root_ + "x.bak", root_ + "Upper.TXT", root_ + "*"};
    w.Zip();
    std::set<std::string> want;
    std::set_difference(all.begin(), all.end(), c.gone.begin(), c.gone.end(),
                        std::inserter(want, want.end()));
    EXPECT_EQ(ParseArchive(w.ZipName()).NameSet(), want);
  }
}

TEST_F(WriterGather, NoCompressListStoresMatchingFiles) {
  WriteFile(root_ + "big.txt", TextOf(20000));
  WriteFile(root_ + "big.dat", TextOf(20000));
  TZipWriter w;
  w.SetZipName(tmp_ / "nc.zip");
  w.NoCompressList = {"*.DAT"};
  w.FilesList = {root_ + "big.txt", root_ + "big.dat"};
  w.Zip();
  auto a = ParseArchive(w.ZipName());
  EXPECT_EQ(a.Get("big.txt").method, kMethodDeflated);
  EXPECT_EQ(a.Get("big.dat").method, kMethodStored);
  EXPECT_EQ(a.Get("big.dat").data, TextOf(20000));
}

// The archive lies in the folder being zipped: neither the walk nor a plain line adds it, also
// when it exists already and is being updated.
TEST_F(WriterGather, TheArchiveNeverAddsItself) {
  const std::string arc = root_ + "self.zip";
  for (const std::string& line : {root_ + "*.*", arc}) {
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(line + (run == 0 ? ", new archive" : ", update"));
      TZipWriter w;
      w.SetZipName(arc);
      w.FilesList = {root_ + "a.txt", line};
      w.Zip();
      EXPECT_FALSE(ParseArchive(arc).NameSet().contains("self.zip"));
    }
    fs::remove(arc);
  }
}

// ---------------------------------------------------------------------------------------------
// Stored paths

TEST(WriterPaths, StoredNamesFollowThePathOptions) {
  TempDir tmp;
  const std::string root = tmp / "Root/";
  const std::string file = root + "sub/f.txt";
  const std::string outside = tmp / "other/g.txt";
  WriteFile(file, "f");
  WriteFile(outside, "g");
  std::string upperRoot = root;
  std::transform(upperRoot.begin(), upperRoot.end(), upperRoot.begin(), ::toupper);
  struct Case {
    const char* what;
    bool paths, relative;
    std::string rootDir, input, stored;
  };
  const Case cases[] = {
      {"no paths", false, false, "", file, "f.txt"},
      {"full paths", true, false, "", file, Stored(file)},
      {"relative", true, true, root, file, "sub/f.txt"},
      {"relative, root in other case", true, true, upperRoot, file, "sub/f.txt"},
      {"relative, file outside the root", true, true, root, outside, Stored(outside)},
      {"folder entry, full path", true, false, "", root + "sub/", Stored(root + "sub/")},
      {"folder entry, relative", true, true, root, root + "sub/", "sub/"},
      {"folder entry, no paths: nothing to store", false, false, "", root + "sub/", ""},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TZipWriter w;
    w.SetZipName(tmp / ("p" + std::to_string(n++) + ".zip"));
    w.SetRootDir(c.rootDir);
    w.SetStorePaths(c.paths);
    w.SetRelativePaths(c.relative);
    w.FilesList = {c.input};
    EXPECT_EQ(w.Zip(), c.stored.empty() ? 0 : 1);
    const auto names = ParseArchive(w.ZipName()).Names();
    EXPECT_EQ(names,
              c.stored.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.stored});
  }
}

TEST(WriterPaths, CoupledOptionsStayConsistent) {
  TZipWriter w;
  w.SetRelativePaths(true);
  EXPECT_TRUE(w.StorePaths());
  EXPECT_TRUE(w.Recurse());
  w.SetStoreVolumes(true);
  w.SetStorePaths(false);
  EXPECT_FALSE(w.RelativePaths());
  EXPECT_FALSE(w.StoreVolumes());
  EXPECT_TRUE(w.Recurse()) << "switching paths off leaves recursion alone";
  w.SetStoreVolumes(true);
  EXPECT_TRUE(w.StorePaths());
  EXPECT_FALSE(w.RelativePaths());
  w.SetRelativePaths(false);
  EXPECT_TRUE(w.StorePaths());
}

TEST(WriterPaths, ASecondFileWithTheSameStoredNameIsLeftOut) {
  TempDir tmp;
  WriteFile(tmp / "one/x.txt", "first");
  WriteFile(tmp / "two/x.txt", "second, longer");
  WriteFile(tmp / "two/y.txt", "y");
  TZipWriter w;
  w.SetZipName(tmp / "dup.zip");
  std::vector<std::string> skipped;
  w.OnSkippingFile = [&](TZipReader&, TSkipReason why, const std::string& name, int index, bool&) {
    EXPECT_EQ(why, srNotOverwritten);
    EXPECT_EQ(index, -1);
    skipped.push_back(name);
  };
  int lastPercent = -1;
  w.OnTotalPercentDone = [&](TZipReader&, int p) { lastPercent = p; };
  w.FilesList = {tmp / "one/x.txt", tmp / "two/x.txt", tmp / "two/y.txt"};
  EXPECT_EQ(w.Zip(), 2);
  EXPECT_EQ(skipped, std::vector<std::string>{tmp / "two/x.txt"});
  auto a = ParseArchive(w.ZipName());
  EXPECT_EQ(a.Names(), (std::vector<std::string>{"x.txt", "y.txt"}));
  EXPECT_EQ(a.Get("x.txt").size, 5u);
  EXPECT_EQ(lastPercent, 100) << "the left-out bytes no longer count";
}

// ---------------------------------------------------------------------------------------------
// Compression and encryption

TEST(WriterCompression, LevelsChooseMethodFlagsAndTextMark) {
  TempDir tmp;
  const std::map<std::string, std::string> files = {
      {"text.txt", TextOf(100000)},
      // Does not shrink and fits in one chunk: stored, with the level's flag bits kept.
      {"small.bin", Noise(1000, 1)},
      {"noise.bin", Noise(100000, 2)},
      {"zeros.bin", std::string(50000, '\0')},
      {"empty.txt", ""},
  };
  for (const auto& [name, data] : files) WriteFile(tmp / ("src/" + name), data);
  for (int level = 0; level <= 9; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    TZipWriter w;
    w.PackLevel = level;
    w.SetZipName(tmp / ("l" + std::to_string(level) + ".zip"));
    w.FilesList = {tmp / "src/*"};
    ASSERT_EQ(w.Zip(), 5);
    auto a = ParseArchive(w.ZipName());
    const std::uint16_t levelBits = level == 0   ? 0
                                    : level <= 2 ? kFlagFast
                                    : level >= 8 ? kFlagMaximum
                                                 : 0;
    for (const auto& e : a.entries) {
      SCOPED_TRACE(e.name);
      EXPECT_EQ(e.flag & (kFlagFast | kFlagMaximum), levelBits);
      EXPECT_EQ(e.size, files.at(e.name).size());
      if (level == 0 || e.name == "small.bin" || e.name == "empty.txt") {
        EXPECT_EQ(e.method, kMethodStored);
        EXPECT_EQ(e.packed, e.size);
        EXPECT_TRUE(e.data == files.at(e.name));
      } else {
        EXPECT_EQ(e.method, kMethodDeflated);
      }
      if (level == 0) {
        EXPECT_EQ(e.internal, 0);
      } else if (e.name == "text.txt") {
        EXPECT_EQ(e.internal, 1);
      } else if (e.name != "empty.txt") {
        EXPECT_EQ(e.internal, 0);
      }
      EXPECT_EQ(e.crc, Crc32Of(files.at(e.name).data(), files.at(e.name).size()));
    }
    if (level > 0) {
      EXPECT_LT(a.Get("text.txt").packed, 30000u);
    }
    auto back = Unpack(w.ZipName());
    EXPECT_EQ(back.size(), files.size());
    for (const auto& [name, data] : files) EXPECT_TRUE(back[name] == data) << name;
  }
}

TEST(WriterCompression, APasswordEncryptsEveryFileButNoFolder) {
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", TextOf(5000));
  WriteFile(tmp / "src/b.bin", Noise(300, 3));
  WriteFile(tmp / "src/e.txt", "");
  fs::create_directories(tmp / "src/dir");
  for (int level : {0, 6}) {
    SCOPED_TRACE("level " + std::to_string(level));
    TZipWriter w;
    w.PackLevel = level;
    w.Password = "secret";
    w.SetZipName(tmp / ("enc" + std::to_string(level) + ".zip"));
    w.SetRootDir(tmp / "src");
    w.SetRelativePaths(true);
    w.FilesList = {tmp / "src/dir/", tmp / "src/*.*"};
    ASSERT_EQ(w.Zip(), 4);
    auto a = ParseArchive(w.ZipName());
    for (const auto& e : a.entries) {
      SCOPED_TRACE(e.name);
      if (e.name == "dir/") {
        EXPECT_EQ(e.flag & kFlagEncrypted, 0);
        EXPECT_EQ(e.packed, 0u);
        continue;
      }
      EXPECT_NE(e.flag & kFlagEncrypted, 0);
      if (e.method == kMethodStored) {
        EXPECT_EQ(e.packed, e.size + kEncryptionHeaderSize);
      }
    }
    EXPECT_EQ(a.Get("e.txt").packed, 12u);

    auto back = Unpack(w.ZipName(), "secret");
    EXPECT_TRUE(back["a.txt"] == TextOf(5000));
    EXPECT_TRUE(back["b.bin"] == Noise(300, 3));
    EXPECT_TRUE(back.contains("e.txt"));
    TZipReader r;
    r.SetZipName(w.ZipName());
    r.Password = "wrong";
    std::vector<TEntryProblem> problems;
    r.TestEntries(problems);
    EXPECT_GE(problems.size(), 2u) << "a wrong password is noticed";
  }
}

// ---------------------------------------------------------------------------------------------
// Comments

TEST(WriterComments, AnEmptyListMakesAnArchiveWithoutEntries) {
  for (const std::string comment : {"", "a comment"}) {
    TempDir tmp;
    TZipWriter w;
    w.SetZipName(tmp / "empty.zip");
    w.SetArchiveComment(comment);
    int completed = -1;
    w.OnZipComplete = [&](TZipWriter&, int n) { completed = n; };
    EXPECT_EQ(w.Zip(), 0);
    EXPECT_EQ(completed, 0);
    EXPECT_EQ(fs::file_size(tmp / "empty.zip"), 22 + comment.size());
    auto a = ParseArchive(tmp / "empty.zip");
    EXPECT_TRUE(a.entries.empty());
    EXPECT_EQ(a.comment, comment);
    EXPECT_FALSE(w.CommentChanged());
  }
}

// An update keeps the archive comment and the comments of the entries it copies.
TEST(WriterComments, EntryCommentsSurviveAnUpdate) {
  for (bool loaded : {false, true}) {
    SCOPED_TRACE(loaded ? "directory loaded" : "fresh writer");
    TempDir tmp;
    testsupport::TestArchive old;
    old.Add({"one.txt", "one", false, "", "about one"});
    old.Add({"two.txt", "two", true, "", ""});
    WriteFile(tmp / "c.zip", old.Finish("old comment"));
    WriteFile(tmp / "new.txt", "new");

    TZipWriter w;
    w.SetZipName(tmp / "c.zip");
    if (loaded) w.LoadZipDirectory();
    w.FilesList = {tmp / "new.txt"};
    // In a child process, so that a crash fails this test alone.
    EXPECT_EXIT(std::exit(w.Zip() == 1 ? 0 : 1), ::testing::ExitedWithCode(0), "");
    auto a = ParseArchive(tmp / "c.zip");
    EXPECT_EQ(a.comment, "old comment");
    EXPECT_EQ(a.Names(), (std::vector<std::string>{"one.txt", "two.txt", "new.txt"}));
    if (a.entries.size() == 3) {
      EXPECT_EQ(a.Get("one.txt").comment, "about one");
    }
  }
}

// A comment set before an update replaces the archive comment, whether the writer has the
// archive loaded or not.
TEST(WriterComments, ACommentSetBeforeAnUpdateIsWritten) {
  for (bool loaded : {false, true}) {
    SCOPED_TRACE(loaded ? "directory loaded" : "fresh writer");
    TempDir tmp;
    testsupport::TestArchive old;
    old.Add({"one.txt", "one"});
    WriteFile(tmp / "c.zip", old.Finish("old comment"));
    WriteFile(tmp / "more.txt", "more");
    TZipWriter w;
    w.SetZipName(tmp / "c.zip");
    if (loaded) w.LoadZipDirectory();
    w.SetArchiveComment("new comment");
    w.FilesList = {tmp / "more.txt"};
    EXPECT_EQ(w.Zip(), 1);
    auto a = ParseArchive(tmp / "c.zip");
    EXPECT_EQ(a.comment, "new comment");
    EXPECT_EQ(a.Names(), (std::vector<std::string>{"one.txt", "more.txt"}));
    EXPECT_FALSE(w.CommentChanged());
  }
}

// A comment not yet written goes into the current archive before the writer takes another name.
TEST(WriterComments, ChangingTheNameWritesThePendingComment) {
  for (bool sameWriter : {true, false}) {
    SCOPED_TRACE(sameWriter ? "writer that made the archive" : "fresh writer");
    TempDir tmp;
    WriteFile(tmp / "f.txt", "f");
    TZipWriter maker;
    maker.SetZipName(tmp / "first.zip");
    maker.FilesList = {tmp / "f.txt"};
    maker.Zip();
    auto before = ParseArchive(tmp / "first.zip");

    TZipWriter fresh;
    TZipWriter& w = sameWriter ? maker : fresh;
    w.SetZipName(tmp / "first.zip");
    w.SetArchiveComment("pending");
    w.SetZipName(tmp / "second.zip");
    EXPECT_FALSE(fs::exists(tmp / "second.zip"));
    auto after = ParseArchive(tmp / "first.zip");
    EXPECT_EQ(after.comment, "pending");
    ASSERT_EQ(after.entries.size(), 1u);
    EXPECT_TRUE(after.entries[0].data == before.entries[0].data);
  }
}

// ---------------------------------------------------------------------------------------------
// Events

TEST(WriterEvents, ANewArchiveRaisesInfoThenEachEntryThenComplete) {
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", TextOf(200000));
  WriteFile(tmp / "src/b.bin", Noise(70000, 4));
  WriteFile(tmp / "src/c.txt", "");
  fs::create_directories(tmp / "src/d");
  TZipWriter w;
  w.SetZipName(tmp / "ev.zip");
  w.SetStorePaths(true);
  std::vector<std::string> log;
  w.OnStartZipInfo = [&](TZipWriter&, int n, std::int64_t bytes, TEndCentral&, bool&) {
    log.push_back("info " + std::to_string(n) + " " + std::to_string(bytes));
  };
  w.OnStartZip = [&](TZipWriter&, const std::string& name, TZipHeaderInfo&, bool&) {
    log.push_back("start " + name);
  };
  w.OnEndZip = [&](TZipWriter&, const std::string& name, std::int64_t size, std::int64_t,
                   std::int64_t) { log.push_back("end " + name + " " + std::to_string(size)); };
  w.OnZipComplete = [&](TZipWriter&, int n) { log.push_back("complete " + std::to_string(n)); };
  std::vector<int> percents;
  w.OnTotalPercentDone = [&](TZipReader&, int p) { percents.push_back(p); };
  w.FilesList = {tmp / "src/d/", tmp / "src/a.txt", tmp / "src/b.bin", tmp / "src/c.txt"};
  EXPECT_EQ(w.Zip(), 4);
  const std::vector<std::string> expected = {
      "info 4 270000",
      "start " + (tmp / "src/d/"),
      "end " + (tmp / "src/d/") + " 0",
      "start " + (tmp / "src/a.txt"),
      "end " + (tmp / "src/a.txt") + " 200000",
      "start " + (tmp / "src/b.bin"),
      "end " + (tmp / "src/b.bin") + " 70000",
      "start " + (tmp / "src/c.txt"),
      "end " + (tmp / "src/c.txt") + " 0",
      "complete 4",
  };
  EXPECT_EQ(log, expected);
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);
  EXPECT_TRUE(w.FilesList.empty());
}

// In an update the listed files are announced before any of them is written, counted as they
// were after gathering, and StopNow cancels before anything is written.
// In an update, replaced entries are written while the old entries are gone through; the start
// event then announces the files that are left, and cancelling still leaves the old archive.
TEST(WriterEvents, AnUpdateAnnouncesTheFilesLeftAfterReplacements) {
  TempDir tmp;
  WriteFile(tmp / "b.txt", "old b");
  SetTime(tmp / "b.txt", kOld);
  TZipWriter maker;
  maker.SetZipName(tmp / "u.zip");
  maker.FilesList = {tmp / "b.txt"};
  maker.Zip();
  const std::string before = ReadFile(tmp / "u.zip");
  WriteFile(tmp / "b.txt", "new b");
  SetTime(tmp / "b.txt", kNewer);
  WriteFile(tmp / "d.txt", "d");

  for (bool stop : {true, false}) {
    SCOPED_TRACE(stop ? "StopNow" : "go on");
    TZipWriter w;
    w.SetZipName(tmp / "u.zip");
    std::vector<std::string> log;
    w.OnStartZipInfo = [&](TZipWriter&, int n, std::int64_t, TEndCentral&, bool& stopNow) {
      log.push_back("info " + std::to_string(n));
      stopNow = stop;
    };
    w.OnStartZip = [&](TZipWriter&, const std::string& name, TZipHeaderInfo&, bool&) {
      log.push_back("start " + fs::path(name).filename().string());
    };
    w.FilesList = {tmp / "b.txt", tmp / "d.txt"};
    if (stop) {
      EXPECT_THROW(w.Zip(), EUserCanceled);
      EXPECT_EQ(log, (std::vector<std::string>{"start b.txt", "info 1"}));
      EXPECT_TRUE(ReadFile(tmp / "u.zip") == before);
    } else {
      EXPECT_EQ(w.Zip(), 2);
      EXPECT_EQ(log, (std::vector<std::string>{"start b.txt", "info 1", "start d.txt"}));
    }
  }
}

TEST(WriterEvents, StartZipCanEditTheHeaderOrSkipTheFile) {
  TempDir tmp;
  WriteFile(tmp / "a.txt", "a");
  WriteFile(tmp / "b.txt", "b");
  WriteFile(tmp / "c.txt", "c");
  TZipWriter w;
  w.SetZipName(tmp / "edit.zip");
  w.OnStartZip = [](TZipWriter&, const std::string& name, TZipHeaderInfo& h, bool& skip) {
    if (name.ends_with("a.txt")) {
      h.SetDirectory("renamed");
      h.SetFileName("A.txt");
      h.SetFileComment("edited");
    }
    skip = name.ends_with("b.txt");
  };
  std::vector<std::string> ended;
  w.OnEndZip = [&](TZipWriter&, const std::string& name, std::int64_t, std::int64_t, std::int64_t) {
    ended.push_back(fs::path(name).filename());
  };
  w.FilesList = {tmp / "a.txt", tmp / "b.txt", tmp / "c.txt"};
  EXPECT_EQ(w.Zip(), 2);
  EXPECT_EQ(ended, (std::vector<std::string>{"a.txt", "c.txt"}));
  auto a = ParseArchive(w.ZipName());
  EXPECT_EQ(a.Names(), (std::vector<std::string>{"renamed/A.txt", "c.txt"}));
  EXPECT_EQ(a.Get("renamed/A.txt").comment, "edited");
  EXPECT_EQ(Unpack(w.ZipName())["renamed/A.txt"], "a");
}

// ---------------------------------------------------------------------------------------------
// Failures leave the old archive as it was, or nothing for a new one, and no temporary file

TEST(WriterFailure, AFailedRunLeavesNoTrace) {
  struct Case {
    const char* what;
    bool update;
    int failAt;  // 0: StopNow; n > 0: OnStartZip throws at the n-th file; -1: OnEndZip throws
  };
  const Case cases[] = {
      {"new, StopNow", false, 0},
      {"new, start handler throws", false, 2},
      {"new, end handler throws", false, -1},
      {"update, StopNow", true, 0},
      {"update, start handler throws", true, 2},
      {"update, end handler throws", true, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir tmp;
    WriteFile(tmp / "src/a.txt", TextOf(100000));
    WriteFile(tmp / "src/b.txt", "b");
    WriteFile(tmp / "src/c.txt", "c");
    const std::string arc = tmp / "arc.zip";
    std::string before;
    if (c.update) {
      TZipWriter maker;
      maker.SetZipName(arc);
      maker.SetArchiveComment("kept");
      maker.FilesList = {tmp / "src/a.txt"};
      maker.Zip();
      before = ReadFile(arc);
      SetTime(tmp / "src/a.txt", time(nullptr) + 3600);  // newer: it is to be replaced
    }
    TZipWriter w;
    w.SetZipName(arc);
    int started = 0;
    w.OnStartZipInfo = [&](TZipWriter&, int, std::int64_t, TEndCentral&, bool& stop) {
      stop = c.failAt == 0;
    };
    w.OnStartZip = [&](TZipWriter&, const std::string&, TZipHeaderInfo&, bool&) {
      if (++started == c.failAt) throw std::runtime_error("injected");
    };
    w.OnEndZip = [&](TZipWriter&, const std::string&, std::int64_t, std::int64_t, std::int64_t) {
      if (c.failAt < 0) throw std::runtime_error("injected");
    };
    bool completed = false;
    w.OnZipComplete = [&](TZipWriter&, int) { completed = true; };
    w.FilesList = {tmp / "src/a.txt", tmp / "src/b.txt", tmp / "src/c.txt"};
    if (c.failAt == 0) {
      try {
        w.Zip();
        ADD_FAILURE() << "no error";
      } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled Zip operation");
      }
    } else {
      EXPECT_THROW(w.Zip(), std::runtime_error);
    }
    EXPECT_FALSE(completed);
    EXPECT_TRUE(w.FilesList.empty());
    if (c.update) {
      EXPECT_TRUE(ReadFile(arc) == before) << "the old archive changed";
    } else {
      EXPECT_FALSE(fs::exists(arc));
    }
    EXPECT_EQ(TempFilesIn(tmp.Path()), std::vector<std::string>{});

    // The writer is usable afterwards.
    w.OnStartZipInfo = nullptr;
    w.OnStartZip = nullptr;
    w.OnEndZip = nullptr;
    w.FilesList = {tmp / "src/b.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(ParseArchive(arc).entries.size(), c.update ? 2u : 1u);
    EXPECT_EQ(TempFilesIn(tmp.Path()), std::vector<std::string>{});
  }
}

// ---------------------------------------------------------------------------------------------
// Updating an existing archive

TEST(WriterUpdate, ActionsKeepReplaceOrAddEntries) {
  struct Case {
    TZipAction action;
    std::vector<std::string> names;     // archive order afterwards
    std::set<std::string> replaced;     // entries holding the new file content
    std::vector<std::string> onUpdate;  // "keep NAME" / "replace NAME" in order
    int count;
  };
  const Case cases[] = {
      {zaUpdate,
       {"a.txt", "b.txt", "c.txt", "e.txt", "d.txt"},
       {"b.txt"},
       {"replace b.txt", "keep c.txt"},
       3},
      {zaReplace,
       {"a.txt", "b.txt", "c.txt", "e.txt", "d.txt"},
       {"b.txt", "c.txt"},
       {"replace b.txt", "replace c.txt"},
       4},
      {zaFreshen, {"a.txt", "b.txt", "c.txt"}, {"b.txt"}, {"replace b.txt", "keep c.txt"}, 1},
  };
  for (bool loaded : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE("action " + std::to_string(c.action) +
                   (loaded ? ", writer that made the archive" : ", fresh writer"));
      TempDir tmp;
      for (const char* n : {"a.txt", "b.txt", "c.txt"}) {
        WriteFile(tmp / n, TextOf(3000) + n);
        SetTime(tmp / n, kOld);
      }
      const std::string arc = tmp / "u.zip";
      TZipWriter maker;
      maker.SetZipName(arc);
      maker.FilesList = {tmp / "a.txt", tmp / "b.txt", tmp / "c.txt"};
      maker.Zip();
      const auto before = ParseArchive(arc);

      WriteFile(tmp / "b.txt", "b changed");
      SetTime(tmp / "b.txt", kNewer);
      WriteFile(tmp / "c.txt", "c changed, same time");
      SetTime(tmp / "c.txt", kOld);
      WriteFile(tmp / "d.txt", "d new");
      WriteFile(tmp / "e.txt", "e new");

      TZipWriter fresh;
      TZipWriter& w = loaded ? maker : fresh;
      w.SetZipName(arc);
      w.ZipAction = c.action;
      std::vector<std::string> updates;
      w.OnUpdate = [&](TZipWriter& z, TUpdateAction what, int index) {
        updates.push_back((what == uaKeeping ? "keep " : "replace ") + z.EntryFileName(index));
      };
      w.FilesList = {tmp / "e.txt", tmp / "c.txt", tmp / "b.txt", tmp / "d.txt"};
      EXPECT_EQ(w.Zip(), c.count);
      EXPECT_EQ(updates, c.onUpdate);
      auto after = ParseArchive(arc);
      EXPECT_EQ(after.Names(), c.names);
      for (const auto& name : c.names) {
        SCOPED_TRACE(name);
        const auto& e = after.Get(name);
        if (name == "d.txt" || name == "e.txt" || c.replaced.contains(name)) {
          EXPECT_TRUE(Unpack(arc)[name] == ReadFile(tmp / name));
        } else {
          // Kept: the packed bytes are copied as they were.
          const auto& old = before.Get(name);
          EXPECT_TRUE(e.data == old.data);
          EXPECT_EQ(e.crc, old.crc);
          EXPECT_EQ(e.flag, old.flag);
        }
      }
      EXPECT_EQ(TempFilesIn(tmp.Path()), std::vector<std::string>{});
    }
  }
}

// Relative paths: a file outside RootDir is stored with its full folder; updating it must find
// that entry again instead of refusing the file as a duplicate.
TEST(WriterUpdate, EntriesStoredOutsideRootDirAreReplaced) {
  TempDir tmp;
  WriteFile(tmp / "root/in.txt", "in");
  WriteFile(tmp / "other/out.txt", "out");
  SetTime(tmp / "root/in.txt", kOld);
  SetTime(tmp / "other/out.txt", kOld);
  auto zipBoth = [&] {
    TZipWriter w;
    w.SetZipName(tmp / "r.zip");
    w.SetRootDir(tmp / "root");
    w.SetRelativePaths(true);
    int skipped = 0;
    w.OnSkippingFile = [&](TZipReader&, TSkipReason, const std::string&, int, bool&) { ++skipped; };
    w.FilesList = {tmp / "root/in.txt", tmp / "other/out.txt"};
    int n = w.Zip();
    EXPECT_EQ(skipped, 0);
    return n;
  };
  EXPECT_EQ(zipBoth(), 2);
  WriteFile(tmp / "other/out.txt", "out, changed");
  SetTime(tmp / "other/out.txt", kNewer);
  EXPECT_EQ(zipBoth(), 1);
  const std::string outName = Stored(tmp / "other/out.txt");
  EXPECT_EQ(ParseArchive(tmp / "r.zip").Names(), (std::vector<std::string>{"in.txt", outName}));
  EXPECT_EQ(Unpack(tmp / "r.zip")[outName], "out, changed");
}

// Entries the writer did not make itself (a data descriptor after the data) are copied with
// their bytes and still decode.
TEST(WriterUpdate, KeptEntriesWithADescriptorStayReadable) {
  TempDir tmp;
  testsupport::TestArchive old;
  old.Add({"plain.txt", TextOf(4000), true});
  WriteFile(tmp / "d.zip", old.Finish());
  // Turn the entry into one with a descriptor: flag bit 3 in both headers and the 16-byte record
  // after the data; the central directory moves up by 16 bytes.
  std::string b = ReadFile(tmp / "d.zip");
  const RawEntry e = ParseArchive(tmp / "d.zip").entries.at(0);
  auto put = [](std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
  };
  std::string descriptor(16, '\0');
  put(descriptor, 0, kDataDescriptorSignature);
  put(descriptor, 4, e.crc);
  put(descriptor, 8, static_cast<std::uint32_t>(e.packed));
  put(descriptor, 12, static_cast<std::uint32_t>(e.size));
  const std::size_t dataEnd = e.offset + 30 + e.name.size() + e.packed;
  b.insert(dataEnd, descriptor);
  b[6] = static_cast<char>(b[6] | kFlagDataDescriptor);
  b[dataEnd + 16 + 8] = static_cast<char>(b[dataEnd + 16 + 8] | kFlagDataDescriptor);
  put(b, b.size() - 22 + 16, static_cast<std::uint32_t>(dataEnd + 16));
  WriteFile(tmp / "d.zip", b);
  const auto check = ParseArchive(tmp / "d.zip");
  ASSERT_EQ(check.entries.size(), 1u);
  ASSERT_NE(check.entries[0].flag & kFlagDataDescriptor, 0);
  ASSERT_TRUE(Unpack(tmp / "d.zip")["plain.txt"] == TextOf(4000));

  WriteFile(tmp / "new.txt", "new");
  TZipWriter w;
  w.SetZipName(tmp / "d.zip");
  w.FilesList = {tmp / "new.txt"};
  EXPECT_EQ(w.Zip(), 1);
  auto after = ParseArchive(tmp / "d.zip");
  EXPECT_EQ(after.Names(), (std::vector<std::string>{"plain.txt", "new.txt"}));
  EXPECT_TRUE(after.Get("plain.txt").data == check.entries[0].data);
  auto back = Unpack(tmp / "d.zip");
  EXPECT_TRUE(back["plain.txt"] == TextOf(4000));
  EXPECT_EQ(back["new.txt"], "new");
}

// ---------------------------------------------------------------------------------------------
// Names and attributes

TEST(WriterNames, Utf8NamesUnixHostAndModes) {
  TempDir tmp;
  const std::string utf8 = "grüße-ünïcödé.txt";
  WriteFile(tmp / ("src/" + utf8), "non-ASCII name");
  WriteFile(tmp / "src/run.sh", "#!/bin/sh\necho hi\n");
  WriteFile(tmp / "src/ro.txt", "read only");
  fs::create_directories(tmp / "src/dir");
  ASSERT_EQ(chmod((tmp / "src/run.sh").c_str(), 0755), 0);
  ASSERT_EQ(chmod((tmp / "src/ro.txt").c_str(), 0444), 0);
  TZipWriter w;
  w.SetZipName(tmp / "n.zip");
  w.SetRootDir(tmp / "src");
  w.SetRelativePaths(true);
  w.FilesList = {tmp / "src/dir/", tmp / "src/*"};
  ASSERT_EQ(w.Zip(), 4);
  auto a = ParseArchive(w.ZipName());
  for (const auto& e : a.entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.madeBy >> 8, kHostUnix);
    EXPECT_EQ((e.flag & 0x800) != 0, e.name == utf8) << "UTF-8 flag (local and central)";
  }
  EXPECT_EQ(a.Get("run.sh").external >> 16, 0100755u);
  EXPECT_EQ(a.Get("ro.txt").external >> 16, 0100444u);
  EXPECT_EQ(a.Get("ro.txt").external & 0x01, 0x01u) << "DOS read-only bit";
  EXPECT_TRUE(S_ISDIR(a.Get("dir/").external >> 16));

  TempDir out;
  TZipReader r;
  r.SetZipName(w.ZipName());
  r.SetDestDir(out.Path().string());
  r.RecreateDirs = true;
  r.DoAll = true;
  EXPECT_EQ(r.UnZip(), 4);
  EXPECT_EQ(ReadFile(out / utf8), "non-ASCII name");
  EXPECT_EQ(fs::status(out / "run.sh").permissions() & fs::perms::owner_exec,
            fs::perms::owner_exec);
  EXPECT_EQ(fs::status(out / "ro.txt").permissions() & fs::perms::owner_write, fs::perms::none);
}

// ---------------------------------------------------------------------------------------------
// Deflating on several threads

namespace {
constexpr std::size_t kBlock = 128 * 1024;  // the input block the worker threads compress

// Zips one file with the given thread count and password; the archive's path.
std::string ZipOne(const fs::path& folder, const std::string& tag, const std::string& data,
                   int threads, const std::string& password) {
  WriteFile(folder / ("src-" + tag + "/f.dat"), data);
  TZipWriter w;
  w.Threads = threads;
  w.Password = password;
  w.SetZipName(folder / (tag + ".zip"));
  w.FilesList = {folder / ("src-" + tag + "/f.dat")};
  EXPECT_EQ(w.Zip(), 1);
  return w.ZipName();
}
}  // namespace

// Sizes around the block and chunk boundaries, compressible and not, plain and encrypted: with
// four threads the entry extracts byte for byte, with our reader and with unzip when present,
// carries the right CRC, and is within 1% of what one thread makes.
TEST(WriterThreads, EntriesOfEverySizeRoundTripAndMatchOneThread) {
  struct Case {
    const char* what;
    std::size_t size;
    bool noise;
    const char* password;
  };
  const Case cases[] = {
      {"empty", 0, false, ""},
      {"one byte", 1, false, ""},
      {"one chunk", 32768, false, ""},
      {"block - 1", kBlock - 1, false, ""},
      {"block", kBlock, false, ""},
      {"block + 1", kBlock + 1, false, ""},
      {"two blocks", 2 * kBlock, false, ""},
      {"many blocks and a bit", 13 * kBlock + 4321, false, ""},
      {"incompressible", 7 * kBlock + 99, true, ""},
      {"encrypted, many blocks", 9 * kBlock + 5, false, "secret"},
      {"encrypted, incompressible", 3 * kBlock + 1, true, "secret"},
  };
  const bool unzip = testsupport::HaveTool("unzip");
  TempDir tmp;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string data = c.noise ? Noise(c.size, 7) : TextOf(c.size);
    std::uint64_t packedByOne = 0;
    for (int threads : {1, 4}) {
      SCOPED_TRACE("threads " + std::to_string(threads));
      const std::string arc = ZipOne(tmp.Path(), std::to_string(n++), data, threads, c.password);
      auto a = ParseArchive(arc);
      ASSERT_EQ(a.entries.size(), 1u);
      const RawEntry& e = a.entries[0];
      EXPECT_EQ(e.size, data.size());
      EXPECT_EQ(e.crc, Crc32Of(data.data(), data.size()));
      auto back = Unpack(arc, c.password);
      EXPECT_TRUE(back["f.dat"] == data);
      if (threads == 1) {
        packedByOne = e.packed;
      } else {
        EXPECT_LE(e.packed, packedByOne + packedByOne / 100 + 16);
      }
      if (unzip) {
        auto r = testsupport::RunCommand(
            "unzip -tq " + (*c.password ? "-P " + std::string(c.password) + " " : "") +
            testsupport::ShellQuote(arc));
        EXPECT_EQ(r.status, 0) << r.output;
      }
    }
  }
}

// Cancelling in the middle of a large file, from the message pump or from a progress handler,
// stops the workers and leaves no archive and no temporary file; the writer works afterwards,
// and the events of a run are the same whatever the thread count.
TEST(WriterThreads, CancellingMidFileLeavesNothingAndEventsMatch) {
  TempDir tmp;
  const std::string big = TextOf(40 * kBlock);
  WriteFile(tmp / "src/a.txt", "first");
  WriteFile(tmp / "src/big.txt", big);
  const std::string arc = tmp / "arc.zip";
  struct Case {
    const char* what;
    bool fromPump;
    int threads;
  };
  const Case cases[] = {
      {"pump, one thread", true, 1},
      {"pump, four threads", true, 4},
      {"progress, one thread", false, 1},
      {"progress, four threads", false, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TZipWriter w;
    w.Threads = c.threads;
    w.SetZipName(arc);
    bool inBig = false;
    int calls = 0;
    auto maybeCancel = [&] {
      if (inBig && ++calls == 5) throw EUserCanceled("User canceled Zip operation");
    };
    w.OnStartZip = [&](TZipWriter&, const std::string& name, TZipHeaderInfo&, bool&) {
      inBig = name.ends_with("big.txt");
    };
    if (c.fromPump)
      w.ProcessMessages = maybeCancel;
    else
      w.OnTotalPercentDone = [&](TZipReader&, int) { maybeCancel(); };
    w.FilesList = {tmp / "src/a.txt", tmp / "src/big.txt"};
    try {
      w.Zip();
      ADD_FAILURE() << "not cancelled";
    } catch (const EUserCanceled& e) {
      EXPECT_STREQ(e.what(), "User canceled Zip operation");
    }
    EXPECT_FALSE(fs::exists(arc));
    EXPECT_EQ(TempFilesIn(tmp.Path()), std::vector<std::string>{});
    EXPECT_TRUE(w.FilesList.empty());
  }

  std::vector<std::string> logs[2];
  for (int k = 0; k < 2; ++k) {
    fs::remove(arc);
    TZipWriter w;
    w.Threads = k == 0 ? 1 : 4;
    w.SetZipName(arc);
    std::vector<std::string>& log = logs[k];
    int last = 0;
    w.OnStartZip = [&](TZipWriter&, const std::string& name, TZipHeaderInfo&, bool&) {
      log.push_back("start " + name);
    };
    w.OnEndZip = [&](TZipWriter&, const std::string& name, std::int64_t size, std::int64_t,
                     std::int64_t) { log.push_back("end " + name + " " + std::to_string(size)); };
    w.OnTotalPercentDone = [&](TZipReader&, int p) {
      EXPECT_GE(p, last);
      last = p;
    };
    w.FilesList = {tmp / "src/a.txt", tmp / "src/big.txt"};
    EXPECT_EQ(w.Zip(), 2);
    EXPECT_EQ(last, 100);
    EXPECT_TRUE(Unpack(arc)["big.txt"] == big);
  }
  EXPECT_EQ(logs[0], logs[1]);
}
