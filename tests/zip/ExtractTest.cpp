// Extraction: selection, events, destination folders, overwrite modes, passwords, CRC failures,
// dates and attributes, and the guarantees that nothing lands outside the destination and that a
// failed entry never destroys an existing file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TestArchive.h"
#include "TestSupport.h"
#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/Prompts.h"
#include "zip/TZipReader.h"

using namespace zip;
using testsupport::EntryPlan;
using testsupport::ReadFile;
using testsupport::TestArchive;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

// A reader on an archive written to a temp folder, extracting into <tmp>/out, recording events.
struct Fixture {
  testsupport::TempDir tmp;
  TZipReader reader;
  std::vector<std::string> events;
  std::vector<int> totals;

  explicit Fixture(const std::string& archive) {
    WriteFile(tmp / "a.zip", archive);
    reader.SetZipName(tmp / "a.zip");
    reader.SetDestDir(tmp / "out");
    reader.OnStartUnZipInfo = [this](TZipReader&, int n, std::int64_t total, bool&) {
      events.push_back("info " + std::to_string(n) + " " + std::to_string(total));
    };
    reader.OnSkippingFile = [this](TZipReader& r, TSkipReason why, const std::string& name, int,
                                   bool&) {
      events.push_back("skip " + std::to_string(why) + " " + Rel(name));
      (void)r;
    };
    reader.OnEndUnZip = [this](TZipReader&, int, const std::string& name) {
      events.push_back("end " + Rel(name));
    };
    reader.OnBadCRC = [this](TZipReader&, std::uint32_t, std::uint32_t, int i) {
      events.push_back("crc " + std::to_string(i));
    };
    reader.OnUnZipComplete = [this](TZipReader&, int n) {
      events.push_back("complete " + std::to_string(n));
    };
    reader.OnTotalPercentDone = [this](TZipReader&, int p) { totals.push_back(p); };
  }
  std::string Out(const std::string& rel) { return tmp / ("out/" + rel); }
  std::string Rel(const std::string& path) {
    std::string root = tmp / "out/";
    return path.rfind(root, 0) == 0 ? path.substr(root.size()) : path;
  }
};

std::string Mixed() {
  TestArchive a;
  a.Add({"docs/", ""});
  a.Add({"docs/readme.txt", "read me\n"});
  a.Add({"docs/big.txt", std::string(100000, 'z'), true});
  a.Add({"empty.txt", ""});
  return a.Finish();
}

}  // namespace

TEST(Extract, AllEntriesWithFoldersEventsAndProgress) {
  Fixture f(Mixed());
  f.reader.DoAll = true;
  f.reader.RecreateDirs = true;
  f.reader.FilesList = {"*.nothing"};
  EXPECT_EQ(f.reader.UnZip(), 4);  // the directory entry counts too
  EXPECT_EQ(f.events,
            (std::vector<std::string>{"info 3 100008", "end docs/readme.txt", "end docs/big.txt",
                                      "end empty.txt", "complete 4"}));
  EXPECT_EQ(ReadFile(f.Out("docs/big.txt")), std::string(100000, 'z'));
  EXPECT_TRUE(fs::exists(f.Out("empty.txt")));
  EXPECT_TRUE(f.reader.FilesList.empty());
  ASSERT_FALSE(f.totals.empty());
  EXPECT_EQ(f.totals.back(), 100);
  for (int p : f.totals) EXPECT_LE(p, 100);
  // The entry's date becomes the file's last-write time.
  EXPECT_EQ(FileDateTime(f.Out("docs/readme.txt")), *DateTime::FromParts(2025, 4, 11, 13, 33, 20));
}

TEST(Extract, SelectionByPatternAndFlatFolders) {
  Fixture f(Mixed());
  f.reader.FilesList = {"DOCS/*.TXT"};
  EXPECT_EQ(f.reader.UnZip(), 2);
  EXPECT_TRUE(fs::exists(f.Out("readme.txt")));  // RecreateDirs off: flat
  EXPECT_TRUE(fs::exists(f.Out("big.txt")));
  EXPECT_FALSE(fs::exists(f.Out("empty.txt")));
  EXPECT_TRUE(f.reader.FilesList.empty());

  // Only directory entries, RecreateDirs off: nothing selected.
  Fixture dirs(TestArchive().Add({"d/", ""}).Add({"e/", ""}).Finish());
  dirs.reader.DoAll = true;
  EXPECT_EQ(dirs.reader.UnZip(), 0);
  EXPECT_EQ(dirs.events, (std::vector<std::string>{"info 0 0", "complete 0"}));
}

TEST(Extract, DestinationFolderRules) {
  struct Case {
    const char* stored;
    const char* root;
    const char* expected;  // relative to out/
  };
  const Case cases[] = {
      {"C:/data/f.txt", "", "data/f.txt"},    {"/data/f.txt", "", "data/f.txt"},
      {"data/f.txt", "data", "f.txt"},        {"DATA/sub/f.txt", "data/", "sub/f.txt"},
      {"other/f.txt", "data", "other/f.txt"},
  };
  for (const auto& c : cases) {
    Fixture f(TestArchive().Add({c.stored, "x"}).Finish());
    f.reader.DoAll = true;
    f.reader.RecreateDirs = true;
    f.reader.SetRootDir(c.root);
    EXPECT_EQ(f.reader.UnZip(), 1) << c.stored;
    EXPECT_TRUE(fs::exists(f.Out(c.expected))) << c.stored << " -> " << c.expected;
  }
}

TEST(Extract, NothingLandsOutsideTheDestination) {
  Fixture f(TestArchive()
                .Add({"../escape.txt", "evil"})
                .Add({"a/../../escape2.txt", "evil"})
                .Add({"link/inside.txt", "evil"})
                .Add({"link/newdir/"})
                .Add({"link/sub/deep.txt", "evil"})
                .Add({"ok.txt", "fine"})
                .Finish());
  fs::create_directories(f.tmp / "out");
  fs::create_directories(f.tmp / "elsewhere");
  fs::create_directory_symlink(f.tmp / "elsewhere", f.Out("link"));
  f.reader.DoAll = true;
  f.reader.RecreateDirs = true;
  EXPECT_EQ(f.reader.UnZip(), 1);
  EXPECT_FALSE(fs::exists(f.tmp / "escape.txt"));
  EXPECT_FALSE(fs::exists(f.tmp / "escape2.txt"));
  EXPECT_FALSE(fs::exists(f.tmp / "elsewhere/inside.txt"));
  // Not even a folder is made through the link.
  EXPECT_TRUE(fs::is_empty(f.tmp / "elsewhere"));
  EXPECT_TRUE(fs::exists(f.Out("ok.txt")));
  EXPECT_EQ(std::count_if(f.events.begin(), f.events.end(),
                          [](const std::string& e) { return e.rfind("skip 3 ", 0) == 0; }),
            5);
}

TEST(Extract, OverwriteModes) {
  struct Case {
    TUZOverwriteMode mode;
    int fileAgeSeconds;  // the existing file's date relative to the entry's
    bool replaced;
  };
  const Case cases[] = {
      {Always, 0, true},    {Never, 0, false},   {ifNewer, 0, false}, {ifNewer, -10, true},
      {ifNewer, 10, false}, {ifOlder, 0, false}, {ifOlder, 10, true}, {ifOlder, -10, false},
  };
  DateTime entryDate = *DateTime::FromParts(2025, 4, 11, 13, 33, 20);
  for (const auto& c : cases) {
    Fixture f(TestArchive().Add({"f.txt", "new"}).Finish());
    WriteFile(f.Out("f.txt"), "old");
    time_t t = entryDate.AddSeconds(c.fileAgeSeconds).ToTimeT();
    struct timespec ts[2] = {{t, 0}, {t, 0}};
    utimensat(AT_FDCWD, f.Out("f.txt").c_str(), ts, 0);
    f.reader.DoAll = true;
    f.reader.OverwriteMode = c.mode;
    f.reader.UnZip();
    EXPECT_EQ(ReadFile(f.Out("f.txt")), c.replaced ? "new" : "old")
        << c.mode << " " << c.fileAgeSeconds;
    if (!c.replaced) {
      EXPECT_EQ(f.events[1], "skip 1 f.txt");
    }
  }
  // Prompt: the handler decides; without one, the message box does.
  Fixture p(TestArchive().Add({"f.txt", "new"}).Add({"g.txt", "new"}).Finish());
  WriteFile(p.Out("f.txt"), "old");
  WriteFile(p.Out("g.txt"), "old");
  p.reader.DoAll = true;
  std::vector<std::string> asked;
  SetMessageBoxHandler(
      [&](const std::string& text, const std::string& caption, MsgKind, MsgButtons) {
        asked.push_back(caption + ": " + text);
        return asked.size() == 1 ? MsgResult::Yes : MsgResult::No;
      });
  p.reader.UnZip();
  SetMessageBoxHandler({});
  EXPECT_EQ(asked, (std::vector<std::string>{"File Exists Alert: Replace existing file f.txt?",
                                             "File Exists Alert: Replace existing file g.txt?"}));
  EXPECT_EQ(ReadFile(p.Out("f.txt")), "new");
  EXPECT_EQ(ReadFile(p.Out("g.txt")), "old");
}

TEST(Extract, PasswordsAndRetries) {
  std::string archive = TestArchive()
                            .Add({"s.txt", "secret data", true, "right"})
                            .Add({"plain.txt", "plain"})
                            .Finish();
  {
    Fixture f(archive);
    f.reader.DoAll = true;
    f.reader.Password = "wrong";
    EXPECT_EQ(f.reader.UnZip(), 1);
    EXPECT_FALSE(fs::exists(f.Out("s.txt")));
    EXPECT_EQ(f.events[1], "skip 0 s.txt");
  }
  {
    Fixture f(archive);
    f.reader.DoAll = true;
    f.reader.Password = "wrong";
    int asked = 0;
    f.reader.OnBadPassword = [&](TZipReader&, int, std::string& pw) {
      ++asked;
      pw = "right";
    };
    EXPECT_EQ(f.reader.UnZip(), 2);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(f.reader.Password, "right");
    EXPECT_EQ(ReadFile(f.Out("s.txt")), "secret data");
  }
}

TEST(Extract, DamagedDataNeverReplacesAnExistingFile) {
  TestArchive a;
  a.Add({"f.txt", "fresh content"});
  std::string bytes = a.Finish();
  bytes[30 + 5 + 2] ^= 0x55;  // corrupt a data byte
  Fixture f(bytes);
  WriteFile(f.Out("f.txt"), "precious");
  f.reader.DoAll = true;
  f.reader.OverwriteMode = Always;
  EXPECT_EQ(f.reader.UnZip(), 0);
  EXPECT_EQ(f.events[1], "crc 0");
  EXPECT_EQ(ReadFile(f.Out("f.txt")), "precious");
  // No temporary file is left behind.
  int files = 0;
  for (auto& e : fs::directory_iterator(f.tmp / "out")) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST(Extract, UnknownMethodAndTruncatedData) {
  std::vector<std::string> shown;
  SetMessageBoxHandler(
      [&](const std::string& text, const std::string& caption, MsgKind, MsgButtons) {
        shown.push_back(caption + ": " + text);
        return MsgResult::OK;
      });
  EntryPlan odd{"odd.bin", "data"};
  odd.method = 99;
  Fixture f(TestArchive().Add(odd).Finish());
  f.reader.DoAll = true;
  EXPECT_EQ(f.reader.UnZip(), 0);
  SetMessageBoxHandler({});
  EXPECT_EQ(shown, std::vector<std::string>{"Zip Error: Unknown Compression Method"});
  EXPECT_FALSE(fs::exists(f.Out("odd.bin")));

  // Data that ends before the entry's compressed size: the run ends with an error, and the
  // completion event still reports the count.
  TestArchive t;
  t.Add({"cut.txt", std::string(5000, 'c')});
  std::string bytes = t.Finish();
  std::size_t dataStart = 30 + 7;
  std::string cut = bytes.substr(0, dataStart + 100) + bytes.substr(dataStart + 5000);
  std::uint32_t cdOffset = static_cast<std::uint32_t>(dataStart + 100);
  for (int k = 0; k < 4; ++k)
    cut[cut.size() - 22 + 16 + k] = static_cast<char>((cdOffset >> (8 * k)) & 0xFF);
  Fixture g(cut);
  g.reader.DoAll = true;
  EXPECT_THROW(g.reader.UnZip(), EFatalUnzipError);
  EXPECT_EQ(g.events.back(), "complete 0");
  EXPECT_FALSE(fs::exists(g.Out("cut.txt")));
}

TEST(Extract, AttributesFromTheEntry) {
  TestArchive a;
  a.Add({"ro.txt", "read only"});
  std::string bytes = a.Finish();
  // Mark the entry read-only (DOS attribute 0x01) in its central header.
  std::size_t cd = bytes.find("PK\x01\x02");
  bytes[cd + 38] = 0x21;
  Fixture f(bytes);
  f.reader.DoAll = true;
  EXPECT_EQ(f.reader.UnZip(), 1);
  struct stat st {};
  ASSERT_EQ(stat(f.Out("ro.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  // Replacing it needs ReplaceReadOnly (unless running with privileges that ignore modes).
  f.reader.SetZipName(f.tmp / "a.zip");
  f.reader.DoAll = true;
  f.reader.OverwriteMode = Always;
  if (geteuid() != 0) {
    EXPECT_EQ(f.reader.UnZip(), 0);
  }
  f.reader.DoAll = true;
  f.reader.ReplaceReadOnly = true;
  EXPECT_EQ(f.reader.UnZip(), 1);
}
