// The Restore tab's logic without widgets: the archive rows of a folder, their sort, the entry
// rows of an archive, and the default restore folder.
#include "core/ArchiveFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TestSupport.h"
#include "core/DateText.h"
#include "zip/DosDateTime.h"
#include "zip/TestArchive.h"

namespace {

using core::ArchiveEntryRow;
using core::ArchiveFileRow;
using testsupport::TempDir;
using testsupport::WriteFile;

std::vector<std::string> Names(const std::vector<ArchiveFileRow>& rows) {
  std::vector<std::string> names;
  for (const auto& r : rows) names.push_back(r.name);
  return names;
}

void SetMTime(const std::string& path, int year, int month, int day, int h, int m, int s) {
  auto dt = zip::DateTime::FromParts(year, month, day, h, m, s);
  ASSERT_TRUE(dt);
  auto t = std::chrono::system_clock::from_time_t(dt->ToTimeT());
  std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::from_sys(t));
}

TEST(FindArchives, ListsZipFilesOfTheFolderOnlyWithKilobytesAndDate) {
  TempDir dir;
  WriteFile(dir / "small.zip", std::string(1023, 'x'));
  WriteFile(dir / "one.zip", std::string(1024, 'x'));
  WriteFile(dir / "UPPER.ZIP", std::string(5000, 'x'));
  WriteFile(dir / "notes.txt", "not an archive");
  WriteFile(dir / "zip", "no extension");
  WriteFile(dir / "sub/inner.zip", "nested");
  std::filesystem::create_directory(dir / "folder.zip");
  SetMTime(dir / "small.zip", 2024, 3, 5, 14, 7, 9);  // DOS keeps even seconds
  SetMTime(dir / "one.zip", 2024, 3, 6, 0, 0, 0);     // midnight shows the date alone

  auto rows = core::FindArchives(dir.Path().string());
  std::sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.name < b.name; });
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].name, "UPPER.ZIP");
  EXPECT_EQ(rows[0].sizeKb, "4");
  EXPECT_EQ(rows[1], (ArchiveFileRow{"one.zip", "1", "2024-03-06"}));
  EXPECT_EQ(rows[2], (ArchiveFileRow{"small.zip", "0", "2024-03-05 14:07:08"}));

  // A trailing separator names the same folder.
  EXPECT_EQ(core::FindArchives(dir.Path().string() + "/").size(), 3u);
}

TEST(FindArchives, MissingOrEmptyFolderGivesNoRows) {
  TempDir dir;
  EXPECT_TRUE(core::FindArchives(dir / "missing").empty());
  EXPECT_TRUE(core::FindArchives(dir.Path().string()).empty());
  EXPECT_TRUE(core::FindArchives("").empty());  // never the root folder
}

struct SortCase {
  const char* label;
  int field;
  bool descending;
  std::vector<ArchiveFileRow> rows;
  std::vector<std::string> expected;
};

class SortArchiveRows : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortArchiveRows, OrdersRows) {
  auto rows = GetParam().rows;
  core::SortArchiveRows(rows, GetParam().field, GetParam().descending);
  EXPECT_EQ(Names(rows), GetParam().expected);
}

const std::vector<ArchiveFileRow> kMixed = {
    {"b.zip", "20", "2024-01-02"},
    {"B.zip", "3", "2024-01-01 23:59:58"},
    {"a.zip", "100", "2023-12-31 08:00:00"},
    {"c.zip", "20", "2024-01-02 00:00:02"},
};

INSTANTIATE_TEST_SUITE_P(
    Fields, SortArchiveRows,
    ::testing::Values(
        // Names compare byte by byte, capitals first.
        SortCase{"NameAscending", 0, false, kMixed, {"B.zip", "a.zip", "b.zip", "c.zip"}},
        SortCase{"NameDescending", 0, true, kMixed, {"c.zip", "b.zip", "a.zip", "B.zip"}},
        // Sizes compare as text: "100" < "20" < "3".
        // The equal sizes of b.zip and c.zip end in the order the exchanges leave them.
        SortCase{"SizeAscending", 1, false, kMixed, {"a.zip", "c.zip", "b.zip", "B.zip"}},
        SortCase{"SizeDescending", 1, true, kMixed, {"B.zip", "b.zip", "c.zip", "a.zip"}},
        // Dates compare as date-times; a date alone is midnight.
        SortCase{"DateAscending", 2, false, kMixed, {"a.zip", "B.zip", "b.zip", "c.zip"}},
        SortCase{"DateDescending", 2, true, kMixed, {"c.zip", "b.zip", "B.zip", "a.zip"}},
        // Equal rows: ascending keeps them, descending exchanges them.
        SortCase{"EqualAscending",
                 2,
                 false,
                 {{"x.zip", "1", "2024-01-01"}, {"y.zip", "1", "2024-01-01"}},
                 {"x.zip", "y.zip"}},
        SortCase{"EqualDescending",
                 2,
                 true,
                 {{"x.zip", "1", "2024-01-01"}, {"y.zip", "1", "2024-01-01"}},
                 {"y.zip", "x.zip"}},
        // An empty first row means no archives: nothing moves.
        SortCase{"EmptyList", 0, true, {{"", "", ""}, {"a.zip", "1", ""}}, {"", "a.zip"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(SortArchiveRowsOrder, EveryPermutationEndsSorted) {
  std::vector<ArchiveFileRow> rows = {{"e.zip", "5", "2024-05-01"},
                                      {"d.zip", "4", "2024-04-01"},
                                      {"c.zip", "3", "2024-03-01"},
                                      {"b.zip", "2", "2024-02-01"},
                                      {"a.zip", "1", "2024-01-01"}};
  std::sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.name < b.name; });
  do {
    for (int field = 0; field <= 2; ++field) {
      auto asc = rows;
      core::SortArchiveRows(asc, field, false);
      EXPECT_EQ(Names(asc),
                (std::vector<std::string>{"a.zip", "b.zip", "c.zip", "d.zip", "e.zip"}));
      auto desc = rows;
      core::SortArchiveRows(desc, field, true);
      EXPECT_EQ(Names(desc),
                (std::vector<std::string>{"e.zip", "d.zip", "c.zip", "b.zip", "a.zip"}));
    }
  } while (std::next_permutation(rows.begin(), rows.end(),
                                 [](auto& a, auto& b) { return a.name < b.name; }));
}

TEST(ListArchiveEntries, RowsInNameOrderWithKilobytesAtLeastOne) {
  TempDir dir;
  const std::uint32_t dos = zip::DateTimeToDos(*zip::DateTime::FromParts(2024, 6, 1, 9, 30, 0));
  testsupport::TestArchive a;
  a.Add({"dir/", "", false, "", "", dos})
      .Add({"a/y.dat", std::string(2048, 'y'), true, "", "", dos})
      .Add({"B.txt", "", false, "", "", dos})
      .Add({"a/x.dat", std::string(1536, 'x'), false, "", "", dos});
  WriteFile(dir / "t.zip", a.Finish());

  zip::TZipReader reader;
  auto rows = core::ListArchiveEntries(reader, dir / "t.zip");
  const std::string date = "2024-06-01 09:30:00";
  EXPECT_EQ(rows, (std::vector<ArchiveEntryRow>{{"x.dat", "1", "a/", date},
                                                {"y.dat", "2", "a/", date},
                                                {"B.txt", "1", "", date},
                                                {"", "1", "dir/", date}}));
}

TEST(ListArchiveEntries, EmptyArchiveAndNonArchiveListNothingDamagedThrows) {
  TempDir dir;
  WriteFile(dir / "empty.zip", testsupport::TestArchive().Finish());
  WriteFile(dir / "text.zip", "just some text, no end record");
  testsupport::TestArchive a;
  a.Add({"f.txt", "data"});
  std::string damaged = a.Finish();
  // Neither the central header nor the local header can be read any more.
  damaged[a.CentralOffset()] = 'X';
  damaged[0] = 'X';
  WriteFile(dir / "damaged.zip", damaged);

  zip::TZipReader reader;
  EXPECT_TRUE(core::ListArchiveEntries(reader, dir / "empty.zip").empty());
  EXPECT_TRUE(core::ListArchiveEntries(reader, dir / "text.zip").empty());
  EXPECT_ANY_THROW(core::ListArchiveEntries(reader, dir / "damaged.zip"));
}

TEST(ListArchiveEntries, NamesDifferingInCaseAreDifferentArchives) {
  TempDir dir;
  testsupport::TestArchive upper, lower;
  upper.Add({"upper.txt", "u"});
  lower.Add({"lower.txt", "l"});
  WriteFile(dir / "A.zip", upper.Finish());
  WriteFile(dir / "a.zip", lower.Finish());
  zip::TZipReader reader;
  EXPECT_EQ(core::ListArchiveEntries(reader, dir / "A.zip").at(0).name, "upper.txt");
  EXPECT_EQ(core::ListArchiveEntries(reader, dir / "a.zip").at(0).name, "lower.txt");
}

TEST(CopyArchiveFile, CopiesOrReplacesKeepingTheDateAndNeverDestroysTheTarget) {
  TempDir dir;
  WriteFile(dir / "src/a.zip", "archive bytes");
  SetMTime(dir / "src/a.zip", 2023, 7, 8, 10, 0, 0);
  std::filesystem::create_directory(dir / "dst");

  ASSERT_TRUE(core::CopyArchiveFile(dir / "src/a.zip", dir / "dst/a.zip"));
  EXPECT_EQ(testsupport::ReadFile(dir / "dst/a.zip"), "archive bytes");
  EXPECT_EQ(std::filesystem::last_write_time(dir / "dst/a.zip"),
            std::filesystem::last_write_time(dir / "src/a.zip"));

  WriteFile(dir / "dst/b.zip", "old target");
  ASSERT_TRUE(core::CopyArchiveFile(dir / "src/a.zip", dir / "dst/b.zip"));
  EXPECT_EQ(testsupport::ReadFile(dir / "dst/b.zip"), "archive bytes");

  // Failures leave everything as it was and no temporary file behind.
  WriteFile(dir / "dst/c.zip", "keep me");
  EXPECT_FALSE(core::CopyArchiveFile(dir / "src/missing.zip", dir / "dst/c.zip"));
  EXPECT_FALSE(core::CopyArchiveFile(dir / "src/a.zip", dir / "src/a.zip"));
  EXPECT_FALSE(core::CopyArchiveFile(dir / "src/a.zip", dir / "nowhere/a.zip"));
  EXPECT_EQ(testsupport::ReadFile(dir / "dst/c.zip"), "keep me");
  EXPECT_EQ(testsupport::ReadFile(dir / "src/a.zip"), "archive bytes");
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir / "dst")) files += e.is_regular_file();
  EXPECT_EQ(files, 3);
}

TEST(TotalFilesCaption, Counts) {
  EXPECT_EQ(core::TotalFilesCaption(0), "(Total 0 files)");
  EXPECT_EQ(core::TotalFilesCaption(12), "(Total 12 files)");
}

struct RestoreFolderCase {
  const char* label;
  std::vector<std::string> backups;
  bool storePaths;
  zip::PathStyle style;
  std::optional<std::string> expected;
};

class DefaultRestoreFolder : public ::testing::TestWithParam<RestoreFolderCase> {};

TEST_P(DefaultRestoreFolder, FromFirstBackupEntry) {
  const auto& c = GetParam();
  EXPECT_EQ(core::DefaultRestoreFolder(c.backups, c.storePaths, c.style), c.expected);
}

constexpr auto kWin = zip::PathStyle::Windows;
constexpr auto kPosix = zip::PathStyle::Native;

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultRestoreFolder,
    ::testing::Values(
        RestoreFolderCase{"NoEntries", {}, true, kPosix, std::nullopt},
        RestoreFolderCase{"PosixFullPaths", {"/home/u/data/*.txt", "/x/y"}, true, kPosix, "/"},
        RestoreFolderCase{"PosixNoPaths", {"/home/u/data/f.txt"}, false, kPosix, "/home/u/data/"},
        RestoreFolderCase{"PosixNoFolderPart", {"f.txt"}, false, kPosix, std::nullopt},
        RestoreFolderCase{"PosixRelative", {"data/f.txt"}, true, kPosix, std::nullopt},
        RestoreFolderCase{"DriveFullPaths", {"C:\\Data\\file.txt"}, true, kWin, "C:\\"},
        RestoreFolderCase{"DriveNoPaths", {" C:\\Data\\file.txt"}, false, kWin, "C:\\Data\\"},
        RestoreFolderCase{"ShortFolderKept", {"C:x.txt"}, true, kWin, std::nullopt},
        RestoreFolderCase{
            "Share", {"\\\\server\\share\\dir\\x.doc"}, true, kWin, "\\\\server\\share"},
        RestoreFolderCase{"ShareRootOnly", {"\\\\server\\x.doc"}, true, kWin, "\\\\server\\"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
