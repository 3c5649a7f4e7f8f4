// Small text helpers shared by the library and the core: ASCII case mapping, case-insensitive
// comparison, left and right parts, trimming.
#pragma once

#include <string>
#include <string_view>

namespace zip {

char UpCaseChar(char c);
char LowCaseChar(char c);
// Case mapping of ASCII letters only; other bytes (UTF-8 included) stay as they are.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Compares with "a" to "z" raised to upper case, byte values otherwise; a prefix sorts first.
// Negative, zero or positive.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// The last n characters (the whole text if shorter) and the first n characters.
std::string RightPart(std::string_view s, std::size_t n);
std::string LeftPart(std::string_view s, std::size_t n);
// Removes leading and trailing blanks and control characters (bytes up to 0x20).
std::string Trim(std::string_view s);
bool EndsWith(std::string_view s, std::string_view tail);
bool StartsWith(std::string_view s, std::string_view head);

}  // namespace zip
