// Tests for the wildcard matcher and the wildcard detector.
#include "zip/MatchWildcard.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>

namespace zip {
namespace {

struct MatchCase {
  const char* pattern;
  std::string text;
  bool expected;
};

std::ostream& operator<<(std::ostream& os, const MatchCase& c) {
  return os << "pattern '" << c.pattern << "' text '" << c.text << "'";
}

class MatchWildcardTest : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchWildcardTest, Matches) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(MatchWildcard(c.pattern, c.text), c.expected);
}

const MatchCase kCases[] = {
    // Basics.
    {"*.txt", "A.TXT", true},
    {"*.*", "abc", false},
    {"*.*", "abc.", true},
    {"a?c", "abc", true},
    {"ab", "abc", false},
    {"abc", "ab", false},
    {"", "", true},
    {"", "a", false},
    {"?", "", false},
    {"*", "", true},
    {"*", "anything at all", true},
    {"a*", "a", true},
    {"a**", "a", false},
    {"a*c", "abbbc", true},
    {"a*c", "abbbd", false},
    {"*?", "a", false},
    {"*?", "ab", true},
    {"*??", "ab", false},
    {"*??", "abc", true},
    // Sets.
    {"<a-c>x", "bx", true},
    {"<!a-c>x", "bx", false},
    {"<^a>x", "bx", true},
    {"<^a>x", "ax", false},
    {"<^a-c>", "d", true},
    {"<ab>", "b", true},
    {"<a-c>", "d", false},
    {"<c-a>", "b", false},
    {"<-a>", "-", true},
    {"x<ab>y", "xay", true},
    {"<a-\xff>", "\xc3", true},  // bytes compare unsigned
    // Malformed sets never match.
    {"<>", "a", false},
    {"<!>", "a", false},
    {"<ab", "a", false},
    {"<ab", "b", false},
    {"<!ab", "c", false},
    {"<a->", "a", false},
    {"<a->b>", "b", false},
    {"<a-", "a", false},
    {"*<", "a", false},
    {"*<b", "b", false},
    {"*<>", "a", false},
    {"*<c-a>x", "x", false},
    // A star set filters the bytes the star passes over.
    {"*<b>", "b", true},
    {"*<b>", "bb", true},
    {"*<b>", "ab", false},
    {"*<b>", "", false},
    {"*<b>c", "bc", true},
    {"*<b>c", "c", true},
    {"*<b>c", "abc", false},
    {"*<a-c>x", "cabx", true},
    {"*<a-c>x", "cadx", false},
    {"*<!b>c", "aac", true},
    {"*<!b>c", "abc", false},
    {"*<^a-c>", "xyz", true},
    {"*<^a-c>", "xbz", false},
    {"*<a->", "a-a", true},        // ">" closes the set rather than ending a range
    {"*<!a>c*<b>", "xcbb", true},  // the second set is not negated
    {"*<!a>c*<b>", "xcab", false},
    // A failed attempt at the rest clears the star set, so later skipped bytes go unchecked.
    {"*<b>c", "bcac", true},
    // When the rest is never found the scan resumes one byte on in both strings; a short text can
    // then run out with the rest of the pattern unread.
    {"*<b>x", "b", true},
    {"*<b>x", "bb", false},
    // Case folding touches ASCII A-Z only.
    {"ABC", "abc", true},
    {"abc", "ABC", true},
    {"<A-C>", "b", true},
    {"[", "{", false},
    {"@", "`", false},
    {"\xc3\x84", "\xc3\xa4", false},
    {"\xc3\x84", "\xc3\x84", true},
    // "\" is an ordinary byte, so full paths match.
    {"c:\\data\\*.doc", "C:\\Data\\Report.DOC", true},
    {"*\\*.txt", "dir\\a.txt", true},
    {"*\\*.txt", "a.txt", false},
    {"\\", "/", false},
};

INSTANTIATE_TEST_SUITE_P(Cases, MatchWildcardTest, testing::ValuesIn(kCases));

std::string UpperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// Random short masks and names over the special characters: no crash or sanitizer report, and
// changing the case of the letters never changes the answer.
TEST(MatchWildcardRandomTest, SurvivesArbitraryInput) {
  constexpr char kAlphabet[] = "ab*?<>!^-";
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> length(0, 8);
  std::uniform_int_distribution<int> pick(0, sizeof(kAlphabet) - 2);
  auto random_string = [&] {
    std::string s(length(rng), ' ');
    for (char& c : s) c = kAlphabet[pick(rng)];
    return s;
  };
  for (int n = 0; n < 5000; ++n) {
    const std::string pattern = random_string();
    const std::string text = random_string();
    const bool result = MatchWildcard(pattern, text);
    EXPECT_EQ(MatchWildcard(UpperAscii(pattern), text), result) << pattern << " / " << text;
    EXPECT_EQ(MatchWildcard(pattern, UpperAscii(text)), result) << pattern << " / " << text;
  }
}

TEST(HasWildcardTest, DetectsMaskCharacters) {
  for (const char* text : {"*", "a?", "<a>", "x>", "a|b", "dir\\*.txt"}) {
    EXPECT_TRUE(HasWildcard(text)) << text;
  }
  for (const char* text : {"", "abc", "dir\\file.txt", "[x]", "a-b!^"}) {
    EXPECT_FALSE(HasWildcard(text)) << text;
  }
}

}  // namespace
}  // namespace zip
