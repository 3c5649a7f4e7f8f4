// Tests of source-list entries: file or wildcard entry, and the composed wildcard entry.
#include <gtest/gtest.h>

#include "core/SourceList.h"

namespace core {
namespace {

TEST(SourceListTest, EntryKind) {
  EXPECT_TRUE(IsFileEntry("/home/u/notes.txt"));
  EXPECT_TRUE(IsFileEntry("notes"));
  for (const char* wildcard :
       {"/home/u/*.txt", "/home/u/a?c", "/home/u/<ab>.c", "/home/u/x>", "/home/u/", ""})
    EXPECT_FALSE(IsFileEntry(wildcard)) << wildcard;
  // Only the name part counts.
  EXPECT_TRUE(IsFileEntry("/home/*/notes.txt"));
}

TEST(SourceListTest, WildcardEntryHasOneSeparator) {
  EXPECT_EQ(WildcardEntry("/home/u", " *.txt "), "/home/u/*.txt");
  EXPECT_EQ(WildcardEntry("/home/u/", "*.*"), "/home/u/*.*");
  EXPECT_EQ(WildcardEntry("/", "*.c"), "/*.c");
  EXPECT_EQ(WildcardEntry("/home/u", ""), "/home/u/");
}

}  // namespace
}  // namespace core
