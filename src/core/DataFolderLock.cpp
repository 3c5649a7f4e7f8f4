// The data-folder lock: a per-folder recursive mutex inside the process plus a flock on a lock
// file for other processes.
#include "core/DataFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "core/IniFileError.h"
#include "zip/FileUtils.h"
#include "zip/Paths.h"

namespace core {

// One per folder for the life of the process; depth and fd are guarded by mutex.
namespace detail {
struct FolderLockState {
  std::recursive_mutex mutex;
  int depth = 0;
  int fd = -1;
};
}  // namespace detail

namespace {

std::mutex registryMutex;
std::map<std::string, std::unique_ptr<detail::FolderLockState>>& Registry() {
  static std::map<std::string, std::unique_ptr<detail::FolderLockState>> registry;
  return registry;
}

}  // namespace

DataFolderLock::DataFolderLock(const std::string& folder) {
  std::string dir = folder.empty() ? std::string(".") : folder;
  std::string lockPath = zip::JoinPath(dir, kLockFileName);
  if (!zip::ForceDirectories(dir)) throw EIniFileException(lockPath);
  // The canonical path makes two spellings of one folder share one state; two states for one
  // lock file would make a thread wait for its own flock.
  std::error_code ec;
  std::string key = std::filesystem::weakly_canonical(dir, ec).string();
  if (ec) throw EIniFileException(lockPath);
  {
    std::lock_guard<std::mutex> guard(registryMutex);
    auto& slot = Registry()[key];
    if (!slot) slot = std::make_unique<detail::FolderLockState>();
    state_ = slot.get();
  }
  state_->mutex.lock();
  if (state_->depth == 0) {
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    int rc = fd < 0 ? -1 : 0;
    if (fd >= 0) {
      while ((rc = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
      }
    }
    if (rc != 0) {
      if (fd >= 0) ::close(fd);
      state_->mutex.unlock();
      throw EIniFileException(lockPath);
    }
    state_->fd = fd;
  }
  ++state_->depth;
}

DataFolderLock::~DataFolderLock() {
  if (--state_->depth == 0) {
    ::flock(state_->fd, LOCK_UN);
    ::close(state_->fd);
    state_->fd = -1;
  }
  state_->mutex.unlock();
}

}  // namespace core
