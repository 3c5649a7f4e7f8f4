// Rename, copy and delete of a project across project.ini, the stored list and StoreNumber.txt.
#include "core/ProjectCommands.h"

#include <algorithm>

#include "core/GlobalSettings.h"
#include "core/IniFile.h"
#include "core/RetentionRing.h"
#include "zip/Text.h"

namespace core {

std::optional<std::string> FindProject(const std::vector<std::string>& projects,
                                       const std::string& name) {
  const std::string wanted = zip::Trim(name);
  for (const std::string& p : projects)
    if (zip::SameText(p, wanted)) return p;
  return std::nullopt;
}

NewNameCheck CheckNewProjectName(const std::vector<std::string>& projects,
                                 const std::string& current, const std::string& newName) {
  auto found = FindProject(projects, newName);
  if (!found) return NewNameCheck::Free;
  return zip::SameText(*found, zip::Trim(current)) ? NewNameCheck::SameProject
                                                   : NewNameCheck::Taken;
}

std::optional<std::string> RenameProject(const DataFolder& folder,
                                         std::vector<std::string>& projects,
                                         const std::string& oldName, const std::string& newName,
                                         BackupTabModel& tab) {
  const std::string name = zip::Trim(newName);
  if (auto message = SaveProject(folder, name, tab)) return message;
  RenameRing(folder, oldName, name);
  IniFile(folder.ProjectIni()).EraseSection(ProjectSection(oldName));
  std::replace(projects.begin(), projects.end(), oldName, name);
  SortProjectNames(projects);
  SaveProjectList(folder, projects);
  return std::nullopt;
}

std::optional<std::string> CopyProject(const DataFolder& folder,
                                       std::vector<std::string>& projects,
                                       const std::string& newName, BackupTabModel& tab) {
  const std::string name = zip::Trim(newName);
  if (auto message = SaveProject(folder, name, tab)) return message;
  projects.push_back(name);
  SortProjectNames(projects);
  SaveProjectList(folder, projects);
  return std::nullopt;
}

void DeleteProject(const DataFolder& folder, std::vector<std::string>& projects,
                   const std::string& project) {
  projects.erase(std::remove(projects.begin(), projects.end(), project), projects.end());
  IniFile(folder.ProjectIni()).Edit([&](IniDocument& doc) {
    doc.EraseSection(ProjectSection(project));
  });
  SaveProjectList(folder, projects);
  EraseRing(folder, project);
}

}  // namespace core
