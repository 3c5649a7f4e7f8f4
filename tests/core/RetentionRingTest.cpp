// Tests of the retention ring with real archives in a temporary folder: the steady state, a
// lowered and a raised keep count, renaming and erasing, and the cases where deleting would lose
// an archive the ring still holds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/IniFile.h"
#include "core/RetentionRing.h"

namespace core {
namespace {

namespace fs = std::filesystem;

class RetentionRingTest : public testing::Test {
 protected:
  RetentionRingTest() : folder_(dir_.Path().string() + "/data") {}

  std::string Archive(const std::string& name) const { return dir_ / ("bak/" + name + ".zip"); }

  // Makes the archive on disk, then records it as a backup run does.
  void Backup(const std::string& name, int keep, const std::string& project = "Docs") {
    testsupport::WriteFile(Archive(name), name);
    RecordArchiveInRing(folder_, project, ArchiveSuffix::Number, keep, Archive(name));
  }

  // The archives present on disk, by name, sorted.
  std::vector<std::string> OnDisk() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / "bak"))
      names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  IniFile Store() const { return IniFile(folder_.StoreNumberFile()); }
  std::string Slot(int n, const std::string& project = "Docs") const {
    return Store().ReadString(project, "N" + std::to_string(n));
  }
  int Key(const char* key, const std::string& project = "Docs") const {
    return Store().ReadInteger(project, key, -1);
  }

  testsupport::TempDir dir_;
  DataFolder folder_;
};

using Names = std::vector<std::string>;

TEST_F(RetentionRingTest, KeepThreeOverSixBackupsLeavesNewestThree) {
  Backup("a1", 2);
  EXPECT_EQ(Key("Max"), 2);
  EXPECT_EQ(Key("Head"), 1);
  EXPECT_EQ(Slot(1), Archive("a1"));

  for (const char* name : {"a2", "a3"}) Backup(name, 3);
  EXPECT_EQ(Key("Head"), 3);
  EXPECT_EQ(OnDisk(), (Names{"a1", "a2", "a3"}));
  Backup("a4", 3);
  EXPECT_EQ(Key("Head"), 1);
  EXPECT_EQ(Slot(1), Archive("a4"));
  EXPECT_EQ(OnDisk(), (Names{"a2", "a3", "a4"}));
  for (const char* name : {"a5", "a6"}) Backup(name, 3);
  EXPECT_EQ(OnDisk(), (Names{"a4", "a5", "a6"}));
}

TEST_F(RetentionRingTest, LoweredKeepCountCutsOldestAtOnce) {
  for (int i = 1; i <= 7; ++i) Backup("a" + std::to_string(i), 5);
  EXPECT_EQ(Key("Head"), 2);
  EXPECT_EQ(OnDisk(), (Names{"a3", "a4", "a5", "a6", "a7"}));
  Backup("a8", 3);
  EXPECT_EQ(OnDisk(), (Names{"a6", "a7", "a8"}));
  EXPECT_EQ(Key("Max"), 3);
  EXPECT_EQ(Key("Head"), 1);
  EXPECT_EQ(Slot(1), Archive("a8"));
  EXPECT_EQ(Slot(2), Archive("a6"));
  EXPECT_EQ(Slot(3), Archive("a7"));
  // Slots above Max stay, naming the archives already deleted.
  EXPECT_EQ(Slot(4), Archive("a4"));
  EXPECT_EQ(Slot(5), Archive("a5"));
}

TEST_F(RetentionRingTest, RaisedKeepCountGrowsIntoNewSlots) {
  for (int i = 1; i <= 4; ++i) Backup("a" + std::to_string(i), 3);
  EXPECT_EQ(Key("Head"), 1);
  Backup("a5", 5);
  EXPECT_EQ(OnDisk(), (Names{"a3", "a4", "a5"}));
  Backup("a6", 5);
  EXPECT_EQ(OnDisk(), (Names{"a4", "a5", "a6"}));
  Backup("a7", 5);
  Backup("a8", 5);
  EXPECT_EQ(Slot(4), Archive("a7"));
  EXPECT_EQ(Slot(5), Archive("a8"));
  EXPECT_EQ(OnDisk(), (Names{"a4", "a5", "a6", "a7", "a8"}));
  Backup("a9", 5);
  EXPECT_EQ(OnDisk(), (Names{"a5", "a6", "a7", "a8", "a9"}));
}

TEST_F(RetentionRingTest, RaisedWhenFullTakesNewSlotsWithoutDeleting) {
  for (int i = 1; i <= 3; ++i) Backup("a" + std::to_string(i), 3);
  Backup("a4", 5);
  Backup("a5", 5);
  EXPECT_EQ(OnDisk(), (Names{"a1", "a2", "a3", "a4", "a5"}));
  Backup("a6", 5);
  EXPECT_EQ(OnDisk(), (Names{"a2", "a3", "a4", "a5", "a6"}));
}

TEST_F(RetentionRingTest, NoneSuffixNeverTouchesTheRing) {
  testsupport::WriteFile(Archive("a1"), "x");
  RecordArchiveInRing(folder_, "Docs", ArchiveSuffix::None, 2, Archive("a1"));
  EXPECT_FALSE(fs::exists(folder_.StoreNumberFile()));
}

TEST_F(RetentionRingTest, RenameMovesRingAndEraseKeepsArchives) {
  Backup("a1", 3);
  Backup("a2", 3);
  RenameRing(folder_, "Docs", "Papers");
  EXPECT_FALSE(Store().SectionExists("Docs"));
  EXPECT_EQ(Key("Max", "Papers"), 3);
  EXPECT_EQ(Key("Head", "Papers"), 2);
  EXPECT_EQ(Slot(2, "Papers"), Archive("a2"));

  // A name that differs only in case keeps the ring, under the new spelling.
  RenameRing(folder_, "Papers", "PAPERS");
  EXPECT_EQ(Store().Load().SectionNames(), Names{"PAPERS"});
  EXPECT_EQ(Slot(1, "PAPERS"), Archive("a1"));

  // A stale ring under the new name lends it no slots.
  Store().WriteString("Old", "N3", Archive("stale"));
  RenameRing(folder_, "PAPERS", "Old");
  EXPECT_EQ(Slot(3, "Old"), "");
  EXPECT_EQ(Slot(2, "Old"), Archive("a2"));

  // A project without a ring gets an empty one.
  RenameRing(folder_, "Nothing", "Fresh");
  EXPECT_EQ(Key("Max", "Fresh"), 2);
  EXPECT_EQ(Key("Head", "Fresh"), 0);

  EraseRing(folder_, "Old");
  EXPECT_FALSE(Store().SectionExists("Old"));
  EXPECT_EQ(OnDisk(), (Names{"a1", "a2"}));
  Backup("b1", 3, "Old");
  EXPECT_EQ(Key("Head", "Old"), 1);
  EXPECT_EQ(Slot(2, "Old"), "");
}

// The same path made again (a number reset by the user, a dated name a year later) must survive
// its old slot coming round, in whatever spelling it was recorded.
TEST_F(RetentionRingTest, NeverDeletesTheArchiveJustMade) {
  Backup("a1", 2);
  Backup("a2", 2);
  testsupport::WriteFile(Archive("a1"), "new content");
  const std::string otherSpelling = dir_ / "bak/./a1.zip";
  RecordArchiveInRing(folder_, "Docs", ArchiveSuffix::Date, 2, otherSpelling);
  EXPECT_EQ(OnDisk(), (Names{"a1", "a2"}));
  EXPECT_EQ(testsupport::ReadFile(Archive("a1")), "new content");
}

TEST_F(RetentionRingTest, NeverDeletesAPathAnotherSlotHolds) {
  Backup("a1", 3);
  Backup("a2", 3);
  Backup("a1", 3);  // slots: a1, a2, a1
  Backup("a3", 3);  // slot 1 comes round: a1 is still held by slot 3
  EXPECT_EQ(OnDisk(), (Names{"a1", "a2", "a3"}));
  Backup("a4", 3);  // slot 2: a2 goes
  EXPECT_EQ(OnDisk(), (Names{"a1", "a3", "a4"}));
  Backup("a5", 3);  // slot 3: a1 is held by no other slot now
  EXPECT_EQ(OnDisk(), (Names{"a3", "a4", "a5"}));
}

// An older ring may hold "NoFile<n>" stand-ins; they name nothing the ring made, so a file of that
// name in the current directory stays. A cut stores empty slots instead of stand-ins.
TEST_F(RetentionRingTest, PlaceholdersAreNeitherDeletedNorStored) {
  const fs::path cwd = fs::current_path();
  fs::current_path(dir_.Path());
  testsupport::WriteFile(dir_ / "NoFile1", "not an archive");
  testsupport::WriteFile(folder_.StoreNumberFile(),
                         "[Docs]\nMax=2\nHead=2\nN1=NoFile1\nN2=" + Archive("a0") + "\n");
  Backup("a1", 2);
  fs::current_path(cwd);
  EXPECT_TRUE(fs::exists(dir_ / "NoFile1"));
  EXPECT_EQ(Slot(1), Archive("a1"));

  Backup("b1", 5, "Cut");
  Backup("b2", 5, "Cut");
  Backup("b3", 3, "Cut");  // the cut lists slots 3, 4, 5 as never filled
  EXPECT_EQ(testsupport::ReadFile(folder_.StoreNumberFile()).find("NoFile2"), std::string::npos);
  EXPECT_EQ(Slot(3, "Cut"), Archive("b2"));
  EXPECT_EQ(Slot(2, "Cut"), Archive("b1"));
  EXPECT_EQ(Slot(1, "Cut"), Archive("b3"));
  EXPECT_EQ(OnDisk(), (Names{"a1", "b1", "b2", "b3"}));
}

TEST_F(RetentionRingTest, FailedRingWriteDeletesNothing) {
  Backup("a1", 2);
  Backup("a2", 2);
  // The data folder is replaced by a file: StoreNumber.txt cannot be read or written.
  fs::remove_all(folder_.Path());
  testsupport::WriteFile(dir_ / "data", "");
  testsupport::WriteFile(Archive("a3"), "a3");
  EXPECT_THROW(RecordArchiveInRing(folder_, "Docs", ArchiveSuffix::Number, 2, Archive("a3")),
               EIniFileException);
  EXPECT_EQ(OnDisk(), (Names{"a1", "a2", "a3"}));
}

}  // namespace
}  // namespace core
