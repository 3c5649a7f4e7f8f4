// Depth-first directory walk: TSearchData enumerates one directory level, TDirSearch stacks levels
// to walk a whole tree, returning directories (with a trailing separator) before their contents.
//
// Symbolic links: a link to a file is reported as a file with the size of its target; a link to a
// directory is neither reported nor entered, so the walk cannot loop; broken links are skipped.
// There is no fixed depth limit. Each open level keeps one directory handle, so a tree deeper
// than the process's descriptor limit has its deepest folders reported but not entered.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zip {

// One level of a walk: the enumeration of a single directory, positioned on one entry at a time.
// All kinds of entries are reported, hidden ones and "." and ".." included, in the platform's
// order.
class TSearchData {
 public:
  // Opens the directory and moves to its first entry; a directory that cannot be opened, or has
  // no entries, leaves the level exhausted. The directory gets a trailing separator if missing.
  // The mask is kept for the caller and not used for matching.
  TSearchData(const std::string& directory, const std::string& mask);
  TSearchData(const TSearchData&) = delete;
  TSearchData& operator=(const TSearchData&) = delete;

  // The directory enumerated, always ending with the separator.
  const std::string& Directory() const { return directory_; }
  const std::string& Mask() const { return mask_; }
  // The current entry: its name (no folder part), whether it is a directory, its size in bytes
  // (0 for directories). Meaningful only while FindResult() is 0.
  const std::string& Name() const { return name_; }
  bool IsDirectory() const { return is_directory_; }
  std::int64_t Size() const { return size_; }
  // 0 while an entry is current; otherwise the error number that ended the enumeration (ENOENT
  // once all entries have been seen).
  int FindResult() const { return find_result_; }
  bool Exhausted() const { return find_result_ != 0; }
  // True once the directory handle has been released (the level is exhausted).
  bool Closed() const { return !dir_; }

  // Moves to the next entry when one is current; the level becomes exhausted when there is none.
  void Advance();

 private:
  // The platform's open directory handle, released by its deleter.
  struct Handle;
  struct HandleCloser {
    void operator()(Handle* handle) const;
  };

  // Reads entries until one can be reported or the directory ends.
  void ReadNext();
  // Ends the enumeration with the given nonzero result and releases the handle.
  void Finish(int result);

  std::string directory_;
  std::string mask_;
  std::unique_ptr<Handle, HandleCloser> dir_;
  std::string name_;
  bool is_directory_ = false;
  std::int64_t size_ = 0;
  int find_result_ = 0;
};

// Depth-first walk of a directory tree. Entries come in the order the platform enumerates them;
// a directory is returned before its contents and its whole subtree before the rest of its
// parent. Directories whose names begin with "." are neither returned nor entered; the start
// directory itself is never returned.
class TDirSearch {
 public:
  // Starts a walk of startDir (a separator is added if missing). When recurse is false only the
  // files directly in startDir are returned. Files are returned when mask matches their name (a
  // name without extension is matched with a "." appended, so "*." selects files without an
  // extension and "*.*" selects every file); directories are returned regardless of the mask.
  TDirSearch(const std::string& startDir, bool recurse, const std::string& mask);
  TDirSearch(const TDirSearch&) = delete;
  TDirSearch& operator=(const TDirSearch&) = delete;

  // The full name of the next entry, or an empty string once the walk is over (at once when the
  // start directory cannot be enumerated). Directories end with the separator. For a file, size
  // is set to its size in bytes; it is left unchanged otherwise.
  std::string NextFile(std::int64_t& size);

 private:
  std::vector<std::unique_ptr<TSearchData>> levels_;
  bool recurse_;
  std::string mask_;
};

}  // namespace zip
