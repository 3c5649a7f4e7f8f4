// File-system helpers on POSIX calls: stat, mkdir, mkstemp, rename, read/write, statvfs.
#include "zip/FileUtils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <vector>

#include "zip/DosDateTime.h"
#include "zip/Paths.h"
#include "zip/Prompts.h"

namespace zip {

namespace {
// An open file descriptor, closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether the close succeeded (write errors can surface here).
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

constexpr std::size_t kCopyBufferSize = 64 * 1024;

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Copies source's bytes into a newly created (or truncated) target; copied counts the bytes
// written. A target left incomplete by a failure is removed.
bool CopyBytes(const std::string& source, const std::string& target, std::int64_t& copied) {
  copied = 0;
  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return false;
  struct stat st {};
  if (::fstat(in.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  Fd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!out.valid()) return false;
  std::vector<char> buffer(kCopyBufferSize);
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (!WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(n))) {
      ok = false;
      break;
    }
    copied += n;
  }
  ok = out.Close() && ok;
  if (!ok) ::unlink(target.c_str());
  return ok;
}

bool SameFileSystem(const std::string& source, const std::string& target) {
  struct stat src {};
  struct stat dst {};
  std::string folder = ExtractFilePath(target);
  if (folder.empty()) folder = ".";
  return ::stat(source.c_str(), &src) == 0 && ::stat(folder.c_str(), &dst) == 0 &&
         src.st_dev == dst.st_dev;
}

// Renames source to target, moving an existing target aside to target + "$$$" first and deleting
// it once the rename worked. Stops at the first failure, leaving things as they are.
bool RenameOver(const std::string& source, const std::string& target) {
  std::string aside;
  if (FileExists(target)) {
    aside = target + "$$$";
    if (std::rename(target.c_str(), aside.c_str()) != 0) return false;
  }
  if (std::rename(source.c_str(), target.c_str()) != 0) return false;
  if (!aside.empty()) ::unlink(aside.c_str());
  return true;
}
}  // namespace

int Percent(std::int64_t part, std::int64_t whole) {
  if (whole <= 0) return 0;
  const bool negative = part < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(part) : static_cast<std::uint64_t>(part);
  const std::uint64_t w = static_cast<std::uint64_t>(whole);
  const std::uint64_t multiples = magnitude / w;
  if (!negative && multiples > 0) return 100;
  const std::uint64_t x = magnitude % w;
  // 100 * x = q * w + r by shift-and-add over the bits of 100; r stays below w, so no
  // intermediate exceeds 2 * w and nothing overflows 64 bits.
  std::uint64_t q = 0, r = 0;
  for (int bit = 6; bit >= 0; --bit) {
    q <<= 1;
    r <<= 1;
    if (r >= w) r -= w, ++q;
    if ((100 >> bit) & 1) {
      r += x;
      if (r >= w) r -= w, ++q;
    }
  }
  if (2 * r > w || (2 * r == w && (q & 1) != 0)) ++q;  // nearest, halves to even
  if (!negative) return static_cast<int>(q < 100 ? q : 100);
  const std::uint64_t limit = static_cast<std::uint64_t>(INT_MAX);
  if (multiples > (limit - q) / 100) return INT_MIN;
  return -static_cast<int>(multiples * 100 + q);
}

DateTime FileDateTime(const std::string& name) {
  std::uint32_t dos = 0xFFFFFFFFu;
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
    dos = DateTimeToDos(DateTime::FromTimeT(st.st_mtime));
  std::optional<DateTime> result = DosToDateTime(NormalizeDosDateTime(dos));
  return result ? *result : DateTime::Now();
}

bool DirectoryExists(const std::string& name) {
  struct stat st {};
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::string dir = path;
  while (dir.size() > 1 && IsPathDelimiter(dir.back())) dir.pop_back();
  if (DirectoryExists(dir)) return true;
  // Each level is created in turn in one buffer (cut short at each separator), so a very deep
  // path costs neither deep recursion nor a copy per level.
  for (std::size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && !IsPathDelimiter(dir[i])) continue;
    if (IsPathDelimiter(dir[i - 1])) continue;
    char saved = dir[i];  // the terminating zero when i == size()
    dir[i] = '\0';
    int rc = ::mkdir(dir.c_str(), 0777);
    int err = errno;
    dir[i] = saved;
    if (rc != 0 && err != EEXIST) return false;
  }
  return DirectoryExists(dir);
}

int CreateTempFile(const std::string& directory, std::string& path) {
  std::string folder = directory;
  if (folder.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    folder = tmp != nullptr && *tmp != '\0' ? tmp : P_tmpdir;
  }
  std::string pattern = IncludeTrailingPathDelimiter(folder) + "OVZXXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
  path = fd >= 0 ? std::string(buffer.data()) : std::string();
  return fd;
}

std::string TempFileName(const std::string& directory) {
  std::string path;
  Fd fd(CreateTempFile(directory, path));
  return path;
}

bool MoveOrCopyFile(const std::string& source, const std::string& target) {
  if (SameFileSystem(source, target) && RenameOver(source, target)) return true;
  std::int64_t copied = 0;
  bool ok = CopyBytes(source, target, copied);
  if (copied == 0) {
    ShowMessageBox("Could not copy from " + source + " -> " + target, "Error", MsgKind::Error,
                   MsgButtons::OK);
  }
  return ok;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

std::string ShortPathName(const std::string& path) {
  return path;
}

std::string OemRoundTrip(const std::string& name) {
  return name;
}

bool FileExists(const std::string& name) {
  struct stat st {};
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::int64_t FileSizeOf(const std::string& name) {
  struct stat st {};
  if (name.empty() || ::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool DeleteFile(const std::string& name) {
  return ::unlink(name.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

std::int64_t DiskFree(const std::string& path) {
  struct statvfs sv {};
  if (::statvfs(path.c_str(), &sv) != 0) return -1;
  const unsigned long long bytes =
      static_cast<unsigned long long>(sv.f_bavail) * static_cast<unsigned long long>(sv.f_frsize);
  const auto max = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
  return static_cast<std::int64_t>(bytes < max ? bytes : max);
}

}  // namespace zip
