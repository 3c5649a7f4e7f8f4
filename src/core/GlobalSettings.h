// The global settings: the Common section of project.ini with the project list, the held
// preferences, the Restore tab's sort order, the scheduling switch, and the saved wildcard list.
#pragma once

#include <string>
#include <vector>

#include "core/DataFolder.h"

namespace core {

inline constexpr const char* kCommonSection = "Common";
// The range of Log Count that Preferences offers; values outside it (only from a hand-edited
// file) are brought into it when read.
inline constexpr int kMinLogCount = 10;
inline constexpr int kMaxLogCount = 200;

struct GlobalSettings {
  std::vector<std::string> projects;  // sorted without regard to case
  std::string currentProject;         // the listed name made current; empty when none
  int byField = 2;                    // Restore tab sort field: 0 name, 1 size, 2 date
  bool sortDescending = false;
  bool autoRun = false;
  bool isMinimized = false;
  bool isAppend0 = false;  // pad the running number with zeros
  int width = 2;           // padding width
  bool isOverWrite = false;
  bool promptBeforeBackup = false;
  int logCount = 50;
  bool enableSchedule = true;

  // True when the window starts minimised (started with the system and asked to be minimised).
  bool StartMinimized() const { return autoRun && isMinimized; }
};

// Sorts names without regard to case, keeping the stored order of names that differ only in case.
void SortProjectNames(std::vector<std::string>& names);

// The listed name that equals lastProject without regard to case; else the first listed name;
// else empty.
std::string ChooseCurrentProject(const std::vector<std::string>& projects,
                                 const std::string& lastProject);

// Reads the Common section of project.ini (a missing file gives the defaults). The project list
// holds the non-empty names Count0 .. Count<Project Count - 1>, sorted; the current project is
// chosen from Last Project. A By Field or Sort value outside its range keeps the value of
// previous. Log Count is brought into kMinLogCount .. kMaxLogCount. Never throws for file
// content.
GlobalSettings LoadGlobalSettings(const DataFolder& folder,
                                  const GlobalSettings& previous = GlobalSettings());

// Writes the settings held while the program runs, as at exit, in one replacement of project.ini:
// Is Append 0, Width, IsOverWrite, PromptBeforeBackup, Last Project (currentProject),
// Project Count and Count0.. (sorted), By Field, Sort, Log Count, Enable schedule. With no projects
// nothing is written. Auto Run and Is Minimized are not written (SavePreferences does). Throws
// EIniFileException when project.ini cannot be written.
void SaveGlobalSettings(const DataFolder& folder, const GlobalSettings& settings);

// Writes what Preferences' Apply stores, all at once: Auto Run, Is Minimized, Is Append 0, Width,
// IsOverWrite, PromptBeforeBackup, Log Count. Throws EIniFileException on a failed write.
void SavePreferences(const DataFolder& folder, const GlobalSettings& settings);

// Writes Project Count and Count0.. with the names sorted, leaving keys of a longer earlier list
// in place. Throws EIniFileException on a failed write.
void SaveProjectList(const DataFolder& folder, const std::vector<std::string>& projects);

// The saved wildcard patterns: the non-empty values of Wildcard0 .. Wildcard<Wildcard Total - 1>.
std::vector<std::string> LoadWildcards(const DataFolder& folder);
// Writes Wildcard Total and Wildcard0.. in list order; keys of a longer earlier list stay.
// Throws EIniFileException on a failed write.
void SaveWildcards(const DataFolder& folder, const std::vector<std::string>& patterns);

}  // namespace core
