// The Restore tab's rows, sort, captions and default restore folder.
#include "core/ArchiveFolder.h"

#include <unistd.h>

#include <filesystem>
#include <utility>

#include "core/DateText.h"
#include "zip/FileUtils.h"
#include "zip/TDirSearch.h"
#include "zip/Text.h"

namespace core {

std::vector<ArchiveFileRow> FindArchives(const std::string& folder) {
  std::vector<ArchiveFileRow> rows;
  // An empty folder text names no folder; it must not become the root.
  if (folder.empty()) return rows;
  zip::TDirSearch search(folder, false, "*.zip");
  std::int64_t size = 0;
  for (std::string path = search.NextFile(size); !path.empty(); path = search.NextFile(size)) {
    rows.push_back({zip::ExtractFileName(path), std::to_string(size / 1024),
                    FormatDateTime(zip::FileDateTime(path))});
  }
  return rows;
}

namespace {

// True when row a is greater than row b in field.
bool Greater(const ArchiveFileRow& a, const ArchiveFileRow& b, int field) {
  switch (field) {
    case kSortBySize:
      return a.sizeKb > b.sizeKb;
    case kSortByDate: {
      // Both sides parse the same way, so an unreadable date sorts as the earliest.
      const zip::DateTime none;
      return TryParseDateTime(a.date).value_or(none) > TryParseDateTime(b.date).value_or(none);
    }
    default:
      return a.name > b.name;  // std::string compares bytes as unsigned char
  }
}

}  // namespace

void SortArchiveRows(std::vector<ArchiveFileRow>& rows, int field, bool descending) {
  if (rows.empty() || rows.front().name.empty()) return;
  for (std::size_t q = rows.size() - 1; q >= 1; --q) {
    for (std::size_t r = 0; r < q; ++r) {
      const bool greater = Greater(rows[r], rows[q], field);
      if (descending ? !greater : greater) std::swap(rows[r], rows[q]);
    }
  }
}

std::vector<ArchiveEntryRow> ListArchiveEntries(zip::TZipReader& reader,
                                                const std::string& archivePath) {
  reader.SortMode = zip::ByName;
  reader.SetZipName(archivePath);
  reader.LoadZipDirectory();
  std::vector<ArchiveEntryRow> rows;
  const int count = reader.EntryCount();
  rows.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::int64_t kb = reader.EntryUncompressedSize(i) / 1024;
    rows.push_back({reader.EntryFileName(i), std::to_string(kb == 0 ? 1 : kb),
                    reader.EntryDirectory(i), FormatDateTime(reader.EntryDateTime(i))});
  }
  return rows;
}

bool CopyArchiveFile(const std::string& source, const std::string& target) {
  namespace fs = std::filesystem;
  if (!zip::FileExists(source) || zip::SameFile(source, target)) return false;
  std::string temp;
  const std::string folder = zip::ExtractFilePath(target);
  const int fd = zip::CreateTempFile(folder.empty() ? std::string("./") : folder, temp);
  if (fd < 0) return false;
  ::close(fd);
  std::error_code ec;
  fs::copy_file(source, temp, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::last_write_time(temp, fs::last_write_time(source, ec), ec);
  if (ec || !zip::RenameFile(temp, target)) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

std::string TotalFilesCaption(int count) {
  return "(Total " + std::to_string(count) + " files)";
}

std::optional<std::string> DefaultRestoreFolder(const std::vector<std::string>& backups,
                                                bool storePaths, zip::PathStyle style) {
  if (backups.empty()) return std::nullopt;
  const bool windows = style == zip::PathStyle::Windows || zip::kWindowsPaths;
  const zip::PathStyle pathStyle = windows ? zip::PathStyle::Windows : zip::PathStyle::Native;
  const std::string p = zip::Trim(zip::ExtractFilePath(backups.front(), pathStyle));
  // An empty folder would make the restore extract into the working folder.
  if (p.empty()) return std::nullopt;
  if (!storePaths) return p;
  if (!windows) {
    if (p.front() == '/') return std::string("/");
    return std::nullopt;
  }
  if (p.size() <= 2) return std::nullopt;
  if (!zip::StartsWith(p, "\\\\")) return p.substr(0, 3);
  // "\\server\share\..." keeps the part before the fourth backslash.
  int seen = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] == '\\' && ++seen == 4) return p.substr(0, i);
  }
  return p;
}

}  // namespace core
