// Directory enumeration with opendir/readdir and the depth-first walk built on it.
#include "zip/TDirSearch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "zip/MatchWildcard.h"
#include "zip/Paths.h"

namespace zip {

struct TSearchData::Handle {
  DIR* dir;
  ~Handle() {
    if (dir != nullptr) closedir(dir);
  }
};

void TSearchData::HandleCloser::operator()(Handle* handle) const {
  delete handle;
}

namespace {
// What a directory record stands for, following a symbolic link to its target.
enum class EntryKind { Skip, File, Directory };

struct EntryInfo {
  EntryKind kind = EntryKind::Skip;
  std::int64_t size = 0;
};

EntryInfo Classify(int dirFd, const dirent& entry) {
#if defined(DT_UNKNOWN)
  if (entry.d_type == DT_DIR) return {EntryKind::Directory, 0};
  bool maybeLink = entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN;
#else
  bool maybeLink = true;
#endif
  struct stat st {};
  if (fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return {};  // vanished
  if (maybeLink && S_ISLNK(st.st_mode)) {
    // A link counts as its target; links to directories are not followed, so the walk cannot loop.
    if (fstatat(dirFd, entry.d_name, &st, 0) != 0) return {};  // broken link
    if (S_ISDIR(st.st_mode)) return {};
    return {EntryKind::File, static_cast<std::int64_t>(st.st_size)};
  }
  if (S_ISDIR(st.st_mode)) return {EntryKind::Directory, 0};
  return {EntryKind::File, static_cast<std::int64_t>(st.st_size)};
}

bool HasExtension(const std::string& name) {
  return name.find('.') != std::string::npos;
}
}  // namespace

TSearchData::TSearchData(const std::string& directory, const std::string& mask)
    : directory_(IncludeTrailingPathDelimiter(directory)), mask_(mask) {
  dir_.reset(new Handle{opendir(directory_.c_str())});
  if (dir_->dir == nullptr) {
    Finish(errno != 0 ? errno : ENOENT);
    return;
  }
  ReadNext();
}

void TSearchData::Advance() {
  if (find_result_ == 0) ReadNext();
}

void TSearchData::ReadNext() {
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir_->dir);
    if (entry == nullptr) {
      Finish(errno != 0 ? errno : ENOENT);
      return;
    }
    EntryInfo info = Classify(dirfd(dir_->dir), *entry);
    if (info.kind == EntryKind::Skip) continue;
    name_ = entry->d_name;
    is_directory_ = info.kind == EntryKind::Directory;
    size_ = info.size;
    return;
  }
}

void TSearchData::Finish(int result) {
  find_result_ = result;
  dir_.reset();
  name_.clear();
  is_directory_ = false;
  size_ = 0;
}

TDirSearch::TDirSearch(const std::string& startDir, bool recurse, const std::string& mask)
    : recurse_(recurse), mask_(mask) {
  levels_.push_back(std::make_unique<TSearchData>(IncludeTrailingPathDelimiter(startDir), mask));
}

std::string TDirSearch::NextFile(std::int64_t& size) {
  while (!levels_.empty()) {
    TSearchData& s = *levels_.back();
    if (s.Exhausted()) {
      levels_.pop_back();
      if (levels_.empty()) return {};
      // Move the parent past the directory just finished.
      levels_.back()->Advance();
      continue;
    }
    if (!recurse_) {
      while (!s.Exhausted() && s.IsDirectory()) s.Advance();
      if (s.Exhausted()) continue;
    }
    if (s.IsDirectory()) {
      // "." and "..", and every hidden directory, are neither returned nor entered.
      if (recurse_ && s.Name().front() != '.') {
        std::string dir = s.Directory() + s.Name() + kPathDelim;
        levels_.push_back(std::make_unique<TSearchData>(dir, mask_));
        return dir;
      }
    } else {
      // A name without extension is matched with a "." appended, so "*." selects it.
      std::string name = s.Name();
      if (!HasExtension(name)) name += '.';
      if (MatchWildcard(mask_, name)) {
        size = s.Size();
        std::string full = s.Directory() + s.Name();
        s.Advance();
        return full;
      }
    }
    s.Advance();
  }
  return {};
}

}  // namespace zip
