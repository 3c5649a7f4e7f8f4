// Tests of the INI-file service: the reading rules, writes that keep everything else, atomic
// replacement, failures, and the data-folder lock between threads.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "core/DataFolderLock.h"
#include "core/IniFile.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

enum class As { Text, Integer, Bool };

struct ReadCase {
  const char* label;
  std::string file;
  const char* section;
  const char* key;
  As as;
  int defaultValue;  // for Integer and Bool
  std::string expected;
};

std::string LongValue() {
  // 2046 ASCII characters, then a two-byte character (the 2047th), then more.
  return std::string(2046, 'a') + "\xC3\xA9" + "zz";
}

const ReadCase kReadCases[] = {
    {"NamesIgnoreCase", "[common]\nproject count=3\n", "Common", "Project Count", As::Integer, 0,
     "3"},
    {"FirstKeyWins", "[A]\nk=1\nK=2\n", "A", "k", As::Text, 0, "1"},
    {"FirstSectionWins", "[A]\nk=1\n[a]\nk=2\nj=5\n", "A", "j", As::Text, 0, ""},
    {"BlanksAroundNamesAndValue", "  [ A ]  \n  k  =  v w  \n", "A", "k", As::Text, 0, "v w"},
    {"CrLfLines", "[A]\r\nk=v\r\nn=7\r\n", "A", "n", As::Integer, 0, "7"},
    {"ByteOrderMark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", As::Text, 0, "v"},
    {"EqualsInValue", "[A]\nk=a=b\n", "A", "k", As::Text, 0, "a=b"},
    {"CommentIsNoKey", "[A]\n;k=5\n", "A", ";k", As::Integer, 9, "9"},
    {"LineWithoutEqualsIsNoKey", "[A]\nk\n", "A", "k", As::Text, 0, ""},
    {"KeyOfOtherSection", "[A]\nk=1\n[B]\n", "B", "k", As::Integer, 4, "4"},
    {"MissingFileReadsDefault", "", "A", "k", As::Integer, 50, "50"},
    {"ValueCutTo2047Characters", "[A]\nk=" + LongValue() + "\n", "A", "k", As::Text, 0,
     std::string(2046, 'a') + "\xC3\xA9"},
    {"HexWith0x", "[A]\nk=0x1F\n", "A", "k", As::Integer, 0, "31"},
    {"HexWithDollar", "[A]\nk=$ff\n", "A", "k", As::Integer, 0, "255"},
    {"NegativeHex", "[A]\nk=-$10\n", "A", "k", As::Integer, 0, "-16"},
    {"HexIs32Bits", "[A]\nk=$FFFFFFFF\n", "A", "k", As::Integer, 0, "-1"},
    {"NegativeDecimal", "[A]\nk=-12\n", "A", "k", As::Integer, 0, "-12"},
    {"TrailingTextIsNotANumber", "[A]\nk=12abc\n", "A", "k", As::Integer, 7, "7"},
    {"EmptyIsNotANumber", "[A]\nk=\n", "A", "k", As::Integer, 7, "7"},
    {"BareHexMarkIsNotANumber", "[A]\nk=0x\n", "A", "k", As::Integer, 7, "7"},
    {"Beyond32BitsIsNotANumber", "[A]\nk=2147483648\n", "A", "k", As::Integer, 7, "7"},
    {"BoolAnyNonZeroIsTrue", "[A]\nk=2\n", "A", "k", As::Bool, 0, "1"},
    {"BoolZeroIsFalse", "[A]\nk=0\n", "A", "k", As::Bool, 1, "0"},
    {"BoolTextReadsDefault", "[A]\nk=yes\n", "A", "k", As::Bool, 0, "0"},
    {"BoolMissingReadsDefault", "[A]\n", "A", "k", As::Bool, 1, "1"},
};

class IniReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsValue) {
  const ReadCase& c = GetParam();
  TempDir dir;
  const std::string path = dir / "t.ini";
  if (!c.file.empty()) WriteFile(path, c.file);
  IniFile ini(path);
  std::string got;
  switch (c.as) {
    case As::Text:
      got = ini.ReadString(c.section, c.key);
      break;
    case As::Integer:
      got = std::to_string(ini.ReadInteger(c.section, c.key, c.defaultValue));
      break;
    case As::Bool:
      got = ini.ReadBool(c.section, c.key, c.defaultValue != 0) ? "1" : "0";
      break;
  }
  EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, IniReadTest, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(IniWriteTest, ChangesOnlyTheLinesItWrites) {
  TempDir dir;
  const std::string path = dir / "t.ini";
  WriteFile(path,
            "; written by hand\r\n"
            "[Common]\r\n"
            "Unknown = keep me\r\n"
            "project count = 1\r\n"
            "\r\n"
            "[Other]\r\n"
            "x=1\r\n");
  IniFile ini(path);
  ini.WriteInteger("COMMON", "Project Count", 2);     // existing key, other spelling
  ini.WriteString("Common", "Last Project", "beta");  // new key in an existing section
  ini.WriteBool("New", "Flag", true);                 // new section
  EXPECT_EQ(ReadFile(path),
            "; written by hand\n"
            "[Common]\n"
            "Unknown = keep me\n"
            "project count=2\n"
            "Last Project=beta\n"
            "\n"
            "[Other]\n"
            "x=1\n"
            "\n"
            "[New]\n"
            "Flag=1\n");
}

TEST(IniWriteTest, CreatesFolderAndFileAndReadsBack) {
  TempDir dir;
  const std::string path = dir / "a/b/t.ini";
  IniFile ini(path);
  ini.WriteString("S", "k", "  padded value  ");
  EXPECT_EQ(ini.ReadString("s", "K"), "padded value");
  EXPECT_EQ(ReadFile(path), "[S]\nk=  padded value  \n");
}

TEST(IniWriteTest, LineBreaksCannotStartANewLine) {
  TempDir dir;
  IniFile ini(dir / "t.ini");
  ini.WriteString("A", "k", "x\n[B]\r\ny=1");
  EXPECT_FALSE(ini.SectionExists("B"));
  EXPECT_EQ(ini.ReadString("A", "k"), "x [B]  y=1");
}

TEST(IniWriteTest, EraseSectionRemovesEveryCopyAndNothingElse) {
  TempDir dir;
  const std::string path = dir / "t.ini";
  WriteFile(path, "[A]\nk=1\n[Ring]\nMax=2\n[B]\nj=2\n[ring]\nN1=x\n");
  IniFile ini(path);
  ini.EraseSection("RING");
  EXPECT_EQ(ReadFile(path), "[A]\nk=1\n[B]\nj=2\n");
}

TEST(IniWriteTest, EditWithoutChangeWritesNothing) {
  TempDir dir;
  IniFile missing(dir / "missing.ini");
  missing.EraseSection("A");
  EXPECT_FALSE(fs::exists(missing.FileName()));

  // A CRLF file read and left unchanged keeps its bytes.
  const std::string path = dir / "crlf.ini";
  WriteFile(path, "[A]\r\nk=1\r\n");
  IniFile(path).Edit([](IniDocument& doc) { doc.WriteInteger("A", "k", 1); });
  EXPECT_EQ(ReadFile(path), "[A]\r\nk=1\r\n");
}

TEST(IniWriteTest, ReadListFollowsCountSkipsEmptyAndIsBoundedBySize) {
  IniDocument doc = IniDocument::Parse(
      "[C]\nCount0=b\nCount1=\nCount2=a\nCount3=beyond\nCount01=padded\nwildcard0=w\n");
  EXPECT_EQ(doc.ReadList("c", "count", 0, 3), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(doc.ReadList("C", "Count", 1, 2), (std::vector<std::string>{"a"}));
  // A count from a damaged file: answered from the keys present, not by two billion look-ups.
  EXPECT_EQ(doc.ReadList("C", "Count", 0, 2147483647).size(), 3u);
}

TEST(IniAtomicTest, ReplacementLeavesNoTemporaryAndKeepsModeAndLink) {
  TempDir dir;
  const std::string real = dir / "data/project.ini";
  WriteFile(real, "[A]\nk=1\n");
  ::chmod(real.c_str(), 0644);
  const std::string link = dir / "link.ini";
  fs::create_symlink(real, link);
  IniFile ini(link);
  for (int i = 0; i < 20; ++i) ini.WriteInteger("A", "k", i);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(real), "[A]\nk=19\n");
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir / "data"))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"project.ini"});
}

TEST(IniAtomicTest, FailedWriteThrowsAndLeavesFileAsItWas) {
  TempDir dir;
  // A folder that cannot be made: its parent is a file.
  WriteFile(dir / "plain", "x");
  IniFile blocked(dir / "plain/sub/project.ini");
  try {
    blocked.WriteString("A", "k", "v");
    FAIL() << "no error";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked.FileName());
  }

  // An existing file that cannot be read is not replaced by one holding only the new key.
  const std::string unreadable = dir / "dir.ini";
  fs::create_directory(unreadable);
  EXPECT_THROW(IniFile(unreadable).WriteString("A", "k", "v"), EIniFileException);
  EXPECT_TRUE(fs::is_directory(unreadable));

  // A change that throws writes nothing.
  const std::string path = dir / "t.ini";
  WriteFile(path, "[A]\nk=1\n");
  EXPECT_THROW(IniFile(path).Edit([](IniDocument& doc) {
    doc.WriteInteger("A", "k", 2);
    throw std::runtime_error("stop");
  }),
               std::runtime_error);
  EXPECT_EQ(ReadFile(path), "[A]\nk=1\n");
}

// Each thread increments a counter many times with a read under its own lock and a single-key
// write that takes the lock again: a lost update or a self-deadlock would show.
TEST(DataFolderLockTest, SerialisesThreadsAndIsReentrant) {
  TempDir dir;
  const std::string path = dir / "counter.ini";
  constexpr int kThreads = 4, kRounds = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      IniFile ini(path);
      for (int i = 0; i < kRounds; ++i) {
        // Another spelling of the folder must share the same lock.
        DataFolderLock lock(dir.Path().string() + "/./");
        int n = ini.ReadInteger("C", "n", 0);
        ini.WriteInteger("C", "n", n + 1);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(IniFile(path).ReadInteger("C", "n", 0), kThreads * kRounds);
}

}  // namespace
}  // namespace core
