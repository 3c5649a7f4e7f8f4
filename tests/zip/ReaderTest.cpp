// The archive reader: opening, the directory and its sorted views, lazy comments, rereading only
// when the archive changed, incomplete and damaged archives.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestArchive.h"
#include "TestSupport.h"
#include "zip/Exceptions.h"
#include "zip/TZipReader.h"

using namespace zip;
using testsupport::EntryPlan;
using testsupport::TestArchive;

namespace {

std::string ThreeEntries(const std::string& comment = "the archive") {
  TestArchive a;
  a.Add({"b/second.txt", std::string(300, 'b'), true, "", "entry two"});
  a.Add({"a/", ""});
  a.Add({"a/first.txt", "first", false, "", "", 0x5A8C6C2A});
  return a.Finish(comment);
}

std::vector<std::string> Names(TZipReader& r) {
  std::vector<std::string> names;
  for (int i = 0; i < r.EntryCount(); ++i)
    names.push_back(r.EntryDirectory(i) + r.EntryFileName(i));
  return names;
}

}  // namespace

TEST(Reader, ListsEntriesInArchiveOrderOrTheChosenView) {
  testsupport::TempDir tmp;
  testsupport::WriteFile(tmp / "a.zip", ThreeEntries());
  TZipReader r;
  r.SetZipName(tmp / "a.zip");
  r.LoadZipDirectory();
  EXPECT_EQ(Names(r), (std::vector<std::string>{"b/second.txt", "a/", "a/first.txt"}));
  EXPECT_EQ(r.EntryUncompressedSize(0), 300);
  EXPECT_EQ(r.EntryDateTime(2), *DateTime::FromParts(2025, 4, 12, 13, 33, 20));
  EXPECT_EQ(r.EntryComment(0), "entry two");
  EXPECT_EQ(r.EntryComment(1), "");
  EXPECT_EQ(r.ArchiveComment(), "the archive");
  EXPECT_FALSE(r.CommentChanged());
  r.SetArchiveComment("the archive");
  EXPECT_FALSE(r.CommentChanged());
  r.SetEntryComment(1, "new");
  EXPECT_TRUE(r.CommentChanged());
  try {
    r.EntryFileName(3);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Index 3 is out of range");
  }

  TZipReader sorted;
  sorted.SortMode = ByName;
  sorted.SetZipName(tmp / "a.zip");
  sorted.LoadZipDirectory();
  EXPECT_EQ(Names(sorted), (std::vector<std::string>{"a/", "a/first.txt", "b/second.txt"}));
}

TEST(Reader, RereadsOnlyWhenTheArchiveChanged) {
  testsupport::TempDir tmp;
  std::string path = tmp / "a.zip";
  testsupport::WriteFile(path, ThreeEntries());
  TZipReader r;
  r.SetZipName(path);
  r.LoadZipDirectory();
  const TZipHeaderInfo* first = &r.Entry(0);
  r.SetZipName(path);
  r.LoadZipDirectory();
  EXPECT_EQ(&r.Entry(0), first);  // not reread
  // Other letter case names another file here: its own entries are read.
  const std::string upper = tmp.Path().string() + "/A.ZIP";
  testsupport::WriteFile(upper, TestArchive().Add({"upper.txt", "u"}).Finish());
  r.SetZipName(upper);
  r.LoadZipDirectory();
  EXPECT_EQ(Names(r), std::vector<std::string>{"upper.txt"});
  r.SetZipName(path);
  r.LoadZipDirectory();
  EXPECT_EQ(r.EntryCount(), 3);
  // A new last-write time makes the next opening reread it.
  testsupport::WriteFile(path, TestArchive().Add({"only.txt", "x"}).Finish());
  r.LoadZipDirectory();
  EXPECT_EQ(Names(r), std::vector<std::string>{"only.txt"});
}

TEST(Reader, IncompleteArchivesByMode) {
  testsupport::TempDir tmp;
  testsupport::WriteFile(tmp / "empty.zip", "");
  testsupport::WriteFile(tmp / "short.zip", std::string(21, 'x'));
  std::string archive = ThreeEntries();
  // Cut off the central directory: only the local headers remain.
  testsupport::WriteFile(tmp / "cut.zip", archive.substr(0, archive.find("PK\x01\x02")));

  TZipReader r;
  r.SetZipName(tmp / "empty.zip");
  r.LoadZipDirectory();
  EXPECT_EQ(r.EntryCount(), 0);

  r.SetZipName(tmp / "short.zip");
  r.LoadZipDirectory();  // izAssumeMulti without a handler: no error, no entries
  EXPECT_EQ(r.EntryCount(), 0);

  r.IncompleteZipMode = izAssumeNotAZip;
  r.SetZipName(tmp / "cut.zip");
  EXPECT_THROW(r.LoadZipDirectory(), ENotAZipFile);
  EXPECT_EQ(r.ZipName(), "");  // forgotten

  // The handler may change the mode.
  int asked = 0;
  r.OnInCompleteZip = [&](TZipReader&, TIncompleteZipMode& mode) {
    ++asked;
    mode = izAssumeBad;
  };
  r.SetZipName(tmp / "cut.zip");
  r.LoadZipDirectory();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(r.Rebuilt());
  EXPECT_EQ(Names(r), (std::vector<std::string>{"b/second.txt", "a/", "a/first.txt"}));

  r.SetZipName(tmp / "short.zip");
  EXPECT_THROW(r.LoadZipDirectory(), EBadZipFile);
}

TEST(Reader, DamagedCentralDirectoryFallsBackToLocalHeaders) {
  testsupport::TempDir tmp;
  TestArchive a;
  a.Add({"one.txt", "1"}).Add({"two.txt", "22"}).Add({"three.txt", "333"});
  std::string bytes = a.Finish();
  // Break the second central header's signature.
  std::size_t second = bytes.find("PK\x01\x02", static_cast<std::size_t>(a.CentralOffset()) + 4);
  bytes[second + 3] = 'X';
  testsupport::WriteFile(tmp / "broken.zip", bytes);
  TZipReader r;
  r.SetZipName(tmp / "broken.zip");
  r.LoadZipDirectory();
  EXPECT_TRUE(r.Rebuilt());
  EXPECT_EQ(Names(r), (std::vector<std::string>{"one.txt", "two.txt", "three.txt"}));

  // Two central headers pointing at one local header: a duplicate, so rebuilt as well.
  TestArchive b;
  b.Add({"x.txt", "x"});
  std::string one = b.Finish();
  std::size_t cd = one.find("PK\x01\x02");
  std::size_t eocd = one.find("PK\x05\x06");
  std::string central = one.substr(cd, eocd - cd);
  std::string twice = one.substr(0, cd) + central + central + one.substr(eocd);
  twice[twice.size() - 22 + 8] = 2;   // entries on this disk
  twice[twice.size() - 22 + 10] = 2;  // total entries
  twice[twice.size() - 22 + 12] = static_cast<char>(central.size() * 2);
  testsupport::WriteFile(tmp / "dup.zip", twice);
  r.SetZipName(tmp / "dup.zip");
  r.LoadZipDirectory();
  EXPECT_TRUE(r.Rebuilt());
  EXPECT_EQ(Names(r), std::vector<std::string>{"x.txt"});
}

// Every archive in tests/data carries a fault that once crashed or hung the reader: opening,
// listing, testing and extracting each must end normally or with one of the library's errors.
TEST(Reader, HostileArchivesEndWithALibraryError) {
  int seen = 0;
  for (const auto& file : std::filesystem::directory_iterator(OVARUZ_TEST_DATA)) {
    if (file.path().extension() != ".zip") continue;
    ++seen;
    testsupport::TempDir tmp;
    TZipReader r;
    r.IncompleteZipMode = izAssumeBad;
    r.Password = "pw";
    try {
      r.SetZipName(file.path().string());
      r.LoadZipDirectory();
      for (int i = 0; i < r.EntryCount(); ++i) {
        r.EntryComment(i);
        r.EntryDateTime(i);
      }
      r.ArchiveComment();
      std::vector<TEntryProblem> problems;
      r.TestEntries(problems);
      r.SetDestDir(tmp / "out");
      r.DoAll = r.RecreateDirs = true;
      r.OverwriteMode = Always;
      r.UnZip();
    } catch (const Exception&) {
    }
  }
  EXPECT_GT(seen, 0);
}
