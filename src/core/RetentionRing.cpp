// Recording archives in the retention ring, and moving or removing a project's ring.
#include "core/RetentionRing.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include "core/IniFile.h"
#include "zip/FileUtils.h"
#include "zip/Text.h"

namespace core {

namespace {

std::string SlotKey(int slot) {
  return "N" + std::to_string(slot);
}

// "NoFile" followed by digits: the stand-in an older ring stored for a slot never filled. It is a
// relative name, so deleting it would act on whatever the current directory holds.
bool IsPlaceholder(const std::string& name) {
  const std::string word = "NoFile";
  if (name.size() <= word.size() || !zip::StartsWith(name, word)) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(word.size()), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// Paths that must survive: existing files by identity, all by their normalised spelling.
class HeldPaths {
 public:
  void Add(const std::string& path) {
    if (path.empty()) return;
    spellings_.insert(Normal(path));
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) files_.emplace(st.st_dev, st.st_ino);
  }
  bool Holds(const std::string& path) const {
    if (spellings_.count(Normal(path)) != 0) return true;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && files_.count({st.st_dev, st.st_ino}) != 0;
  }

 private:
  static std::string Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
  }
  std::set<std::string> spellings_;
  std::set<std::pair<dev_t, ino_t>> files_;
};

}  // namespace

void RecordArchiveInRing(const DataFolder& folder, std::string_view project, ArchiveSuffix suffix,
                         int keepCount, const std::string& path) {
  if (suffix == ArchiveSuffix::None) return;
  const int keep = std::clamp(keepCount, kMinKeepCount, kMaxKeepCount);
  std::vector<std::string> dropped;  // files that fall out of the ring
  std::vector<std::string> live;     // the ring's slots 1..keep afterwards
  IniFile(folder.StoreNumberFile()).Edit([&](IniDocument& doc) {
    // Values from a hand-edited file are bounded so that the loops below stay short.
    const int max = std::clamp(doc.ReadInteger(project, "Max", 2), 1, kMaxKeepCount);
    int head = std::max(0, doc.ReadInteger(project, "Head", 0));
    if (keep < max) {
      // The limit was lowered: list the ring from oldest to newest, drop the oldest beyond the
      // limit and renumber the rest so that slot 1 is the oldest kept and slot keep the newest.
      std::vector<std::string> entries;
      for (int k = 1; k <= max; ++k)
        entries.push_back(doc.ReadString(project, SlotKey(((head + k - 1) % max) + 1)));
      dropped.assign(entries.begin(), entries.begin() + (max - keep));
      for (int k = 1; k <= keep; ++k)
        doc.WriteString(project, SlotKey(keep - k + 1), entries[static_cast<std::size_t>(max - k)]);
      head = keep;
    }
    doc.WriteInteger(project, "Max", keep);
    if (keep < head) head = 0;
    head = (head % keep) + 1;
    doc.WriteInteger(project, "Head", head);
    dropped.push_back(doc.ReadString(project, SlotKey(head)));
    doc.WriteString(project, SlotKey(head), path);
    for (int slot = 1; slot <= keep; ++slot) live.push_back(doc.ReadString(project, SlotKey(slot)));
  });

  // Only now that the ring is stored: a failed write must not have cost any archive.
  std::vector<std::string> candidates;
  for (const std::string& name : dropped)
    if (!name.empty() && !IsPlaceholder(name) && zip::FileExists(name)) candidates.push_back(name);
  if (candidates.empty()) return;
  HeldPaths held;
  held.Add(path);
  for (const std::string& name : live) held.Add(name);
  for (const std::string& name : candidates)
    if (!held.Holds(name)) zip::DeleteFile(name);
}

void RenameRing(const DataFolder& folder, std::string_view oldName, std::string_view newName) {
  IniFile(folder.StoreNumberFile()).Edit([&](IniDocument& doc) {
    const int max = doc.ReadInteger(oldName, "Max", 2);
    const int head = doc.ReadInteger(oldName, "Head", 0);
    std::vector<std::pair<int, std::string>> slots;
    for (int slot = 1; slot <= std::min(max, kMaxKeepCount); ++slot) {
      std::string value = doc.ReadString(oldName, SlotKey(slot));
      if (!value.empty()) slots.emplace_back(slot, std::move(value));
    }
    // Erasing both first: a name differing only in case is the same section, and a stale ring
    // under the new name must not lend its slots to the moved one.
    doc.EraseSection(oldName);
    doc.EraseSection(newName);
    doc.WriteInteger(newName, "Max", max);
    doc.WriteInteger(newName, "Head", head);
    for (const auto& [slot, value] : slots) doc.WriteString(newName, SlotKey(slot), value);
  });
}

void EraseRing(const DataFolder& folder, std::string_view project) {
  IniFile(folder.StoreNumberFile()).EraseSection(project);
}

}  // namespace core
