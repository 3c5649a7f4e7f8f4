// Finding the data folder and the home folder.
#include "core/DataFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "zip/FileUtils.h"
#include "zip/Paths.h"

namespace core {

namespace {

std::mutex overrideMutex;
std::string overrideFolder;  // guarded by overrideMutex

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The folder as an absolute path with a trailing separator.
std::string AbsoluteFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(folder, ec);
  return zip::IncludeTrailingPathDelimiter(ec ? folder : abs.lexically_normal().string());
}

std::string ExecutableFolder() {
  std::vector<char> buffer(4096);
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "";
  return zip::ExtractFilePath(std::string(buffer.data(), static_cast<std::size_t>(n)));
}

}  // namespace

std::string ResolveDataFolder(const DataFolderSources& s) {
  if (!s.overrideFolder.empty()) return AbsoluteFolder(s.overrideFolder);
  if (!s.ovaruzHome.empty()) return AbsoluteFolder(s.ovaruzHome);
  if (!s.exeFolder.empty()) {
    std::string exe = zip::IncludeTrailingPathDelimiter(s.exeFolder);
    if (zip::FileExists(exe + kProjectIniName)) return exe;
  }
  // The XDG rules ignore a relative $XDG_CONFIG_HOME.
  if (!s.xdgConfigHome.empty() && s.xdgConfigHome.front() == '/')
    return zip::IncludeTrailingPathDelimiter(zip::JoinPath(s.xdgConfigHome, "ovaruz"));
  std::string home = s.home.empty() ? "/" : s.home;
  return zip::IncludeTrailingPathDelimiter(zip::JoinPath(zip::JoinPath(home, ".config"), "ovaruz"));
}

void SetDataFolderOverride(const std::string& folder) {
  std::lock_guard<std::mutex> guard(overrideMutex);
  overrideFolder = folder;
}

std::string ProgramFolder() {
  DataFolderSources s;
  {
    std::lock_guard<std::mutex> guard(overrideMutex);
    s.overrideFolder = overrideFolder;
  }
  s.ovaruzHome = Env("OVARUZ_HOME");
  if (s.overrideFolder.empty() && s.ovaruzHome.empty()) s.exeFolder = ExecutableFolder();
  s.xdgConfigHome = Env("XDG_CONFIG_HOME");
  s.home = HomeFolder();
  return ResolveDataFolder(s);
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (home.empty()) {
    struct passwd pw {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr)
      home = found->pw_dir;
  }
  if (home.empty()) home = "/";
  return zip::IncludeTrailingPathDelimiter(home);
}

DataFolder::DataFolder(const std::string& folder)
    : path_(folder.empty() ? std::string() : zip::IncludeTrailingPathDelimiter(folder)) {}

}  // namespace core
