// Helpers shared by the archive library's tests: temporary folders, running peer tools, and the
// shared fixture folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "zip/DateTime.h"

namespace testsupport {

// A fresh folder under the test temp folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ovz-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct CommandResult {
  int status;
  std::string output;  // stdout and stderr together
};

// A local date-time from its fields; the fields must name a real moment.
inline zip::DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return zip::DateTime::FromParts(y, mo, d, h, mi, s).value();
}

// Runs a shell command and captures its output.
inline CommandResult RunCommand(const std::string& command) {
  CommandResult r{-1, {}};
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.output.append(buf, n);
  int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

inline bool HaveTool(const std::string& tool) {
  return RunCommand("command -v " + tool + " >/dev/null").status == 0;
}

// Quotes a string for the shell.
inline std::string ShellQuote(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

#ifdef OVARUZ_CLI
// Runs ovaruz-cli with the given (already quoted) arguments.
inline CommandResult RunCli(const std::string& args) {
  return RunCommand(ShellQuote(OVARUZ_CLI) + " " + args);
}
#endif

// The shared fixture folder; empty when it is absent (the caller skips, or fails under CI=true).
inline std::string FixturesDir() {
  std::string dir = OVARUZ_FIXTURES;
  return std::filesystem::is_directory(dir) ? dir : std::string();
}

}  // namespace testsupport

// Skips the test when a peer tool is missing; under CI=true a missing tool is a failure.
#define REQUIRE_TOOL(tool)                                                          \
  do {                                                                              \
    if (!testsupport::HaveTool(tool)) {                                             \
      const char* ci = std::getenv("CI");                                           \
      if (ci && std::string(ci) == "true") FAIL() << "peer tool missing: " << tool; \
      GTEST_SKIP() << "peer tool missing: " << tool;                                \
    }                                                                               \
  } while (0)

// Skips the test when the shared fixtures are absent; under CI=true their absence is a failure.
#define REQUIRE_FIXTURES(var)                                                              \
  std::string var = testsupport::FixturesDir();                                            \
  do {                                                                                     \
    if (var.empty()) {                                                                     \
      const char* ci = std::getenv("CI");                                                  \
      if (ci && std::string(ci) == "true") FAIL() << "fixtures missing: " OVARUZ_FIXTURES; \
      GTEST_SKIP() << "fixtures missing: " OVARUZ_FIXTURES;                                \
    }                                                                                      \
  } while (0)
