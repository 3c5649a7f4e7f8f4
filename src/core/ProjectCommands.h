// Renaming, copying and deleting a project: its record in project.ini, its place in the stored
// project list and its retention ring kept consistent.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "core/ProjectRecord.h"

namespace core {

enum class NewNameCheck {
  Free,         // no listed project has the name
  SameProject,  // the name is the current project's own (in any letter case): nothing to do
  Taken,        // another project has it: "Project Name exists,Rename fail!"
};

inline constexpr const char* kProjectNameExists = "Project Name exists,Rename fail!";

// Looks the trimmed new name up among projects without regard to case.
NewNameCheck CheckNewProjectName(const std::vector<std::string>& projects,
                                 const std::string& current, const std::string& newName);

// The listed name equal to name without regard to case, or nothing.
std::optional<std::string> FindProject(const std::vector<std::string>& projects,
                                       const std::string& name);

// Renames project oldName to the free name newName, saving the tab as the record under the new
// name first; only then are the ring moved, the old record erased and the stored list rewritten
// with projects updated (sorted). Returns the failed check's message (nothing changed) or
// nothing. Throws EIniFileException on a failed write.
std::optional<std::string> RenameProject(const DataFolder& folder,
                                         std::vector<std::string>& projects,
                                         const std::string& oldName, const std::string& newName,
                                         BackupTabModel& tab);

// Saves the tab as the record of the free name newName, then adds it to projects (sorted) and
// the stored list. The copy has no ring. Returns the failed check's message or nothing.
std::optional<std::string> CopyProject(const DataFolder& folder,
                                       std::vector<std::string>& projects,
                                       const std::string& newName, BackupTabModel& tab);

// Erases the project's record and ring, removes it from projects and writes the stored list.
// Its archives and log entries stay.
void DeleteProject(const DataFolder& folder, std::vector<std::string>& projects,
                   const std::string& project);

}  // namespace core
