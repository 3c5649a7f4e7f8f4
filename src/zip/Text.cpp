// Small text helpers.
#include "zip/Text.h"

namespace zip {

char UpCaseChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char LowCaseChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpCaseChar(c);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowCaseChar(c);
  return r;
}

int CompareText(std::string_view a, std::string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(UpCaseChar(a[i]));
    auto cb = static_cast<unsigned char>(UpCaseChar(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) {
  return CompareText(a, b) == 0;
}

std::string RightPart(std::string_view s, std::size_t n) {
  return std::string(n >= s.size() ? s : s.substr(s.size() - n));
}

std::string LeftPart(std::string_view s, std::size_t n) {
  return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool StartsWith(std::string_view s, std::string_view head) {
  return s.size() >= head.size() && s.substr(0, head.size()) == head;
}

}  // namespace zip
