// DataFolderLock: exclusive access to a data folder across processes (the GUI and the CLI) and
// threads, held around a read-modify-write of its files.
#pragma once

#include <string>

namespace core {

namespace detail {
struct FolderLockState;
}

// Name of the lock file that DataFolderLock creates in the folder.
inline constexpr const char* kLockFileName = ".ovaruz.lock";

// Holds an advisory flock(2) on <folder>/.ovaruz.lock for its lifetime. The lock is re-entrant
// within a thread: a thread that holds it may take it again (every IniFile write does), and the
// file lock is released when the outermost holder ends. Other threads of the process wait on an
// in-process mutex, other processes on the file lock. Do not fork while holding it.
class DataFolderLock {
 public:
  // Creates the folder when missing and blocks until the lock is held. Throws EIniFileException
  // naming the lock file when the folder or the lock file cannot be created or locked.
  explicit DataFolderLock(const std::string& folder);
  ~DataFolderLock();
  DataFolderLock(const DataFolderLock&) = delete;
  DataFolderLock& operator=(const DataFolderLock&) = delete;

 private:
  detail::FolderLockState* state_;
};

}  // namespace core
