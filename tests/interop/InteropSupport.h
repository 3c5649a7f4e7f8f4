// Pieces shared by the interoperability tests: the fixed time and non-ASCII name of the source
// trees, the 7-Zip command, pseudo-random data, file times and line splitting.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace interopsupport {

// Every source file and folder gets this modification time (an even number of seconds, so the
// DOS date-time of the archive entries holds it exactly).
constexpr time_t kSourceTime = 1614834368;  // 2021-03-04 05:06:08 UTC

inline const std::string kNonAsciiFile = "grüße/ünïcödé.txt";

// The 7-Zip command: Debian's 7zip package installs "7z" or only "7zz".
inline std::string SevenZip() {
  return testsupport::HaveTool("7zz") ? "7zz" : "7z";
}

inline std::string PseudoRandomBytes(std::size_t n, unsigned seed = 20240229) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

inline void SetTime(const std::filesystem::path& p, time_t t) {
  const timespec times[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << p;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace interopsupport
