// The XDG autostart entry of the program: its path, its text, writing and removing it.
#include "core/AutoStart.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/DataFolder.h"
#include "zip/Paths.h"

namespace core {

namespace {

constexpr const char* kFileName = "tessaly-rududira-backup.desktop";

// The executable as one argument of an Exec key: quoted when it holds a character the desktop
// entry format reserves, with the characters that stay special inside quotes escaped; then "%"
// doubled and every backslash doubled again, as a desktop entry string value needs.
std::string ExecValue(const std::string& executable) {
  const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string arg;
  if (executable.find_first_of(reserved) == std::string::npos) {
    arg = executable;
  } else {
    arg = "\"";
    for (char c : executable) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
      arg += c;
    }
    arg += '"';
  }
  std::string value;
  for (char c : arg) {
    if (c == '%')
      value += "%%";
    else if (c == '\\')
      value += "\\\\";
    else if (c == '\n')
      value += "\\n";
    else
      value += c;
  }
  return value;
}

// The value of key in the file's [Desktop Entry] group, or nothing.
std::optional<std::string> ReadKey(const std::string& file, const std::string& key) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  std::string line;
  bool inGroup = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!inGroup) continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string name = line.substr(0, eq);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name != key) continue;
    std::size_t start = eq + 1;
    while (start < line.size() && line[start] == ' ') ++start;
    return line.substr(start);
  }
  return std::nullopt;
}

}  // namespace

EAutoStartError::EAutoStartError()
    : Exception(std::string("Failed to set data for '") + kAutoStartName + "'") {}

std::string AutoStartFile() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string config =
      (xdg != nullptr && xdg[0] == '/') ? std::string(xdg) : zip::JoinPath(HomeFolder(), ".config");
  return zip::JoinPath(zip::JoinPath(config, "autostart"), kFileName);
}

std::string AutoStartEntry(const std::string& executable) {
  std::ostringstream out;
  out << "[Desktop Entry]\n"
      << "Type=Application\n"
      << "Name=" << kAutoStartName << "\n"
      << "Exec=" << ExecValue(executable) << "\n"
      << "Terminal=false\n"
      << "X-GNOME-Autostart-enabled=true\n";
  return out.str();
}

bool IsAutoStartEnabled(const std::string& executable) {
  const auto exec = ReadKey(AutoStartFile(), "Exec");
  return exec && *exec == ExecValue(executable);
}

void EnableAutoStart(const std::string& executable) {
  namespace fs = std::filesystem;
  const fs::path file = AutoStartFile();
  const fs::path temp = file.string() + ".new";
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (ec) throw EAutoStartError();
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << AutoStartEntry(executable);
    out.close();
    if (!out) {
      fs::remove(temp, ec);
      throw EAutoStartError();
    }
  }
  fs::rename(temp, file, ec);
  if (ec) {
    fs::remove(temp, ec);
    throw EAutoStartError();
  }
}

bool DisableAutoStart() {
  std::error_code ec;
  std::filesystem::remove(AutoStartFile(), ec);
  return !ec;
}

}  // namespace core
