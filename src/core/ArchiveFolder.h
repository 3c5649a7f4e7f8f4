// The Restore tab's decisions that need no widgets: the archives of a folder as grid rows, their
// sort, the entries of one archive as grid rows, the count captions, and the default restore
// folder derived from a project's first backup source.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "zip/Paths.h"
#include "zip/TZipReader.h"

namespace core {

// One row of the archive list, as the grid shows it.
struct ArchiveFileRow {
  std::string name;    // file name, no folder
  std::string sizeKb;  // bytes div 1024, decimal
  std::string date;    // last-write time (DOS precision) in the program's date-time form

  friend bool operator==(const ArchiveFileRow&, const ArchiveFileRow&) = default;
};

// Sort fields of the archive list (the values stored as By Field).
enum ArchiveSortField : int { kSortByName = 0, kSortBySize = 1, kSortByDate = 2 };

// The "*.zip" files directly in folder (names matched without regard to ASCII case, no
// sub-folders), in the order the file system returns them. A folder that cannot be read gives
// no rows.
std::vector<ArchiveFileRow> FindArchives(const std::string& folder);

// Sorts rows by field with an exchange sort that compares every earlier row with the last
// unsorted one. Name and size are compared as byte strings (so size "100" comes before "20");
// dates are compared as date-times parsed from their text (an unreadable date counts as the
// earliest). Ascending exchanges when the earlier row is greater; descending exchanges when it
// is not greater, so equal rows are exchanged too. Empty rows, or an empty first name, leave
// the rows as they are.
void SortArchiveRows(std::vector<ArchiveFileRow>& rows, int field, bool descending);

// One row of the contents grid.
struct ArchiveEntryRow {
  std::string name;    // empty for a folder entry
  std::string sizeKb;  // uncompressed bytes div 1024, with 0 shown as 1
  std::string path;    // stored folder, empty or ending with the separator
  std::string date;    // entry date-time in the program's date-time form

  friend bool operator==(const ArchiveEntryRow&, const ArchiveEntryRow&) = default;
};

// The entry rows of the archive at archivePath, read through reader in name order (the reader
// keeps the directory while the file is unchanged, so listing the same archive again does not
// read it again). Throws what LoadZipDirectory throws; a file that is not an archive lists no
// rows.
std::vector<ArchiveEntryRow> ListArchiveEntries(zip::TZipReader& reader,
                                                const std::string& archivePath);

// Copies the archive source to target, keeping its last-write time and permissions. The bytes go
// to a temporary file beside target that replaces it only once complete, so a failed copy
// leaves an existing target as it was and no partial file behind. Copying a file onto itself
// does nothing and returns false. True when target now holds a copy of source.
bool CopyArchiveFile(const std::string& source, const std::string& target);

// "(Total <count> files)".
std::string TotalFilesCaption(int count);

// The restore folder to set on entering the Restore tab, or nothing to keep the current one.
// backups is the project's backup list, storePaths its "Save full path information" option.
// Full paths off: the folder part of the first entry. Full paths on: the root the first entry
// lies under: "/" for a POSIX path; for a Windows path its drive ("C:\") or, for a network path,
// "\\server\share" (the whole folder when it has fewer than four backslashes). An empty list, or
// an entry with no folder part, keeps the current folder.
std::optional<std::string> DefaultRestoreFolder(const std::vector<std::string>& backups,
                                                bool storePaths,
                                                zip::PathStyle style = zip::PathStyle::Native);

}  // namespace core
