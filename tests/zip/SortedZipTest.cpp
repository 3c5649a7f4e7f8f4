// Sorted views of archive entries: the order of every sort mode and its tie-breaks.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "zip/TSortedZip.h"

using namespace zip;

namespace {

struct Row {
  const char* dir;
  const char* name;
  std::uint32_t dos;
  std::int64_t packed, size, offset;
};

// Entries owned by a ByNone directory (as the reader keeps them), in archive order.
class SortedZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const Row rows[] = {
        {"b/", "x.txt", 0x5A8B6C2A, 50, 100, 0},    // 2025-04-11, rate 50
        {"a/", "y.txt", 0x5A8C6C2A, 10, 100, 200},  // 2025-04-12, rate 10
        {"", "Z.txt", 0x00000000, 50, 0, 400},      // unconvertible date (day 0), rate 0
        {"A/", "x.txt", 0x5A8B6C2A, 90, 100, 600},  // same name as "a/" in other case, rate 90
        {"b/", "w.txt", 0x5A8A6C2A, 10, 300, 100},  // 2025-04-10, rate 3
    };
    for (int i = 0; i < 5; ++i) {
      auto e = std::make_unique<TZipHeaderInfo>();
      e->SetDirectory(rows[i].dir);
      e->SetFileName(rows[i].name);
      e->DateTime = rows[i].dos;
      e->CompressedSize = rows[i].packed;
      e->UncompressedSize = rows[i].size;
      e->LocalHeaderOffset = rows[i].offset;
      e->CRC32 = static_cast<std::uint32_t>(i);  // tag: insertion order
      entries.push_back(e.get());
      directory.AddOwned(std::move(e));
    }
  }

  // Tags of the entries of a view of the given mode, built by adding in insertion order.
  std::vector<std::uint32_t> View(TZipSortMode mode) {
    TSortedZip view(dupAccept, false, mode);
    for (auto* e : entries) view.Add(e);
    std::vector<std::uint32_t> tags;
    for (auto* e : view) tags.push_back(e->CRC32);
    return tags;
  }

  TSortedZip directory{dupError, true, ByNone};
  std::vector<TZipHeaderInfo*> entries;
};

}  // namespace

TEST_F(SortedZipTest, EveryModeOrdersAsDocumented) {
  using V = std::vector<std::uint32_t>;
  // ByNone: archive order by local header offset.
  V archiveOrder;
  for (auto* e : directory) archiveOrder.push_back(e->CRC32);
  EXPECT_EQ(archiveOrder, (V{0, 4, 1, 2, 3}));
  // Names ascending, case-insensitive; "A/x.txt" equals nothing but sorts with "a/".
  EXPECT_EQ(View(ByName), (V{3, 1, 4, 0, 2}));
  // Equal file names ("x.txt" twice) end up in reverse insertion order.
  EXPECT_EQ(View(ByFileName), (V{4, 3, 0, 1, 2}));
  EXPECT_EQ(View(ByDirectoryName), (V{2, 3, 1, 4, 0}));
  // Newest first; equal dates keep insertion order; the unconvertible date sorts oldest.
  EXPECT_EQ(View(ByDate), (V{1, 0, 3, 4, 2}));
  // Largest first; equal sizes keep insertion order.
  EXPECT_EQ(View(ByCompressedSize), (V{3, 0, 2, 1, 4}));
  EXPECT_EQ(View(ByUnCompressedSize), (V{4, 0, 1, 3, 2}));
  // Least compressed (highest percentage) first; rate 0 for an empty uncompressed size.
  EXPECT_EQ(View(ByRate), (V{3, 0, 1, 4, 2}));
}

TEST_F(SortedZipTest, DirectoryRefusesASecondEntryAtTheSameOffset) {
  auto dup = std::make_unique<TZipHeaderInfo>();
  dup->LocalHeaderOffset = 200;
  EXPECT_THROW(
      {
        try {
          directory.AddOwned(std::move(dup));
        } catch (const EListError& e) {
          EXPECT_STREQ(e.what(), "Duplicate Object index");
          throw;
        }
      },
      EListError);
  EXPECT_EQ(directory.Count(), 5);
  // Entries on a later volume sort after every entry of an earlier one.
  auto later = std::make_unique<TZipHeaderInfo>();
  later->DiskNumberStart = 1;
  later->CRC32 = 9;
  directory.AddOwned(std::move(later));
  EXPECT_EQ(directory.Last()->CRC32, 9u);
}
