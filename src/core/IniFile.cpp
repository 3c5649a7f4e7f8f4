// Loading INI files and replacing them atomically under the data-folder lock.
#include "core/IniFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/DataFolderLock.h"
#include "zip/FileUtils.h"
#include "zip/Paths.h"

namespace core {

namespace {

// The file's bytes; an empty text when it is missing; nothing when it exists but cannot be read.
std::optional<std::string> ReadAll(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? std::optional<std::string>(std::string()) : std::nullopt;
  std::string text;
  char buffer[16384];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

bool WriteAllFd(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes text to a temporary file beside target and renames it over target. A target that is a
// symbolic link has its link's destination replaced, so the link stays. The file keeps its mode;
// a new file gets 0600 (project.ini holds the scrambled passwords).
void ReplaceFile(const std::string& fileName, const std::string& text) {
  std::string target = fileName;
  if (char* real = ::realpath(fileName.c_str(), nullptr)) {
    target = real;
    ::free(real);
  }
  std::string folder = zip::ExtractFilePath(target);
  if (!folder.empty() && !zip::ForceDirectories(folder)) throw EIniFileException(fileName);
  std::string pattern = folder + "." + zip::ExtractFileName(target) + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = ::mkstemp(buffer.data());
  if (fd < 0) throw EIniFileException(fileName);
  std::string temp = buffer.data();
  struct stat st {};
  bool ok = (::stat(target.c_str(), &st) != 0 || ::fchmod(fd, st.st_mode & 07777) == 0) &&
            WriteAllFd(fd, text) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw EIniFileException(fileName);
  }
}

}  // namespace

IniDocument IniFile::Load() const {
  std::optional<std::string> text = ReadAll(fileName_);
  return IniDocument::Parse(text ? *text : std::string());
}

void IniFile::Edit(const std::function<void(IniDocument&)>& change) {
  std::string folder = zip::ExtractFilePath(fileName_);
  std::optional<DataFolderLock> lock;
  try {
    lock.emplace(folder);
  } catch (const EIniFileException&) {
    throw EIniFileException(fileName_);
  }
  // An unreadable file must not be replaced by one that holds only the new keys.
  std::optional<std::string> before = ReadAll(fileName_);
  if (!before) throw EIniFileException(fileName_);
  IniDocument doc = IniDocument::Parse(*before);
  const std::string unchanged = doc.Text();
  change(doc);
  std::string after = doc.Text();
  if (after == unchanged) return;
  ReplaceFile(fileName_, after);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Edit([&](IniDocument& doc) { doc.WriteString(section, key, value); });
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  Edit([&](IniDocument& doc) { doc.WriteInteger(section, key, value); });
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  Edit([&](IniDocument& doc) { doc.WriteBool(section, key, value); });
}

void IniFile::EraseSection(std::string_view section) {
  Edit([&](IniDocument& doc) { doc.EraseSection(section); });
}

}  // namespace core
