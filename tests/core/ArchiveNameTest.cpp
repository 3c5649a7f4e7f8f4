// Tests of archive naming: folder and separator, trimming, the three suffixes, zero padding.
#include <gtest/gtest.h>

#include <string>

#include "core/ArchiveName.h"

namespace core {
namespace {

struct NameCase {
  const char* label;
  const char* folder;
  const char* prefix;
  ArchiveSuffix suffix;
  int number;
  bool pad;
  int width;
  const char* expected;
};

const NameCase kNameCases[] = {
    {"FolderGetsSeparatorAndPadding", "/bak", "Docs", ArchiveSuffix::Number, 7, true, 3,
     "/bak/Docs007.zip"},
    {"NoPaddingWhenOff", "/bak/", "Docs", ArchiveSuffix::Number, 7, false, 3, "/bak/Docs7.zip"},
    {"NumberNeverCut", "/bak", "Docs", ArchiveSuffix::Number, 1000, true, 2, "/bak/Docs1000.zip"},
    {"WidthOneNeverPads", "/bak", "Docs", ArchiveSuffix::Number, 5, true, 1, "/bak/Docs5.zip"},
    {"HugeWidthIsCapped", "/b", "D", ArchiveSuffix::Number, 1, true, 2000000000,
     "/b/D000000000000000000000000000001.zip"},
    {"DateSuffixHasNoYear", "/bak", "Docs", ArchiveSuffix::Date, 7, true, 3,
     "/bak/Docs07-04_09h05m03s.zip"},
    {"NoneSuffix", "/bak", "Docs", ArchiveSuffix::None, 7, true, 3, "/bak/Docs.zip"},
    {"PrefixAndFolderTrimmed", " \t/bak ", "  Docs \t", ArchiveSuffix::None, 1, false, 2,
     "/bak/Docs.zip"},
    {"EmptyFolderGivesBareName", "   ", "Docs", ArchiveSuffix::Number, 3, false, 2, "Docs3.zip"},
};

class ArchiveNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ArchiveNameTest, Composes) {
  const NameCase& c = GetParam();
  ArchiveNaming naming;
  naming.saveFolder = c.folder;
  naming.prefix = c.prefix;
  naming.suffix = c.suffix;
  naming.number = c.number;
  naming.padNumber = c.pad;
  naming.width = c.width;
  EXPECT_EQ(ComposeArchiveName(naming, *zip::DateTime::FromParts(2024, 7, 4, 9, 5, 3)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ArchiveNameTest, testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace core
