// File-system helpers of the archive library: percentages, file times and sizes, folders,
// temporary files, moving or copying a finished archive into place, free disk space.
#pragma once

#include <cstdint>
#include <string>

#include "zip/DateTime.h"

namespace zip {

// part * 100 / whole rounded to the nearest integer (halves to even), at most 100; 0 when whole
// is 0 or less. Exact for any 64-bit counts; a negative part gives the negative percentage.
int Percent(std::int64_t part, std::int64_t whole);

// The file's last-write time as its DOS date-time (local time, even seconds). A missing file or a
// folder gives 31 December 2099 23:59:58 (the normalised all-bits-set DOS value).
DateTime FileDateTime(const std::string& name);

// True when name is an existing directory (links are followed).
bool DirectoryExists(const std::string& name);

// Creates every missing directory of path. True when the whole path exists as a directory
// afterwards (already existing counts); false on failure or for an empty path.
bool ForceDirectories(const std::string& path);

// Creates a new empty file named "OVZ" plus a unique suffix in directory (when empty: $TMPDIR,
// else the system temporary folder) and returns its full path; empty on failure.
std::string TempFileName(const std::string& directory);

// Like TempFileName, but returns the new file open for reading and writing (the caller owns the
// descriptor) and its path in path; -1 and an empty path on failure.
int CreateTempFile(const std::string& directory, std::string& path);

// Puts source's content at target. On the same file system the source is renamed over the target
// (an existing target is first renamed to target + "$$$", deleted once the move worked; a failure
// leaves things as they are at that point). Otherwise, or when renaming failed, the bytes are
// copied into a newly created target and the source is left in place; when the copy moved no
// bytes an error message is shown through ShowMessageBox. True when target now holds the
// source's content (an empty source copied counts), false when the copy failed (a partly
// written target is removed).
bool MoveOrCopyFile(const std::string& source, const std::string& target);

// True when both names lead to one existing file (the same device and inode).
bool SameFile(const std::string& a, const std::string& b);

// The short form of a path; POSIX has none, so the path is returned as given.
std::string ShortPathName(const std::string& path);

// The name as it reads after a round trip through the archive's name code page; names are kept
// as UTF-8 here, so it is returned unchanged.
std::string OemRoundTrip(const std::string& name);

// True when name is an existing regular file (or a link to one).
bool FileExists(const std::string& name);

// The size in bytes of the regular file name (links followed); -1 when it is missing or not a
// regular file.
std::int64_t FileSizeOf(const std::string& name);

// Removes the file; true on success.
bool DeleteFile(const std::string& name);

// Renames from to to (replacing an existing file to); true on success.
bool RenameFile(const std::string& from, const std::string& to);

// The bytes available to the user on the file system holding path; -1 on error.
std::int64_t DiskFree(const std::string& path);

}  // namespace zip
