// Reading and writing the Common section of project.ini.
#include "core/GlobalSettings.h"

#include <algorithm>

#include "core/IniFile.h"
#include "zip/Text.h"

namespace core {

namespace {

constexpr const char* kSection = kCommonSection;

void WriteProjectList(IniDocument& doc, std::vector<std::string> projects) {
  SortProjectNames(projects);
  doc.WriteInteger(kSection, "Project Count", static_cast<int>(projects.size()));
  for (std::size_t i = 0; i < projects.size(); ++i)
    doc.WriteString(kSection, "Count" + std::to_string(i), projects[i]);
}

}  // namespace

void SortProjectNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return zip::CompareText(a, b) < 0;
  });
}

std::string ChooseCurrentProject(const std::vector<std::string>& projects,
                                 const std::string& lastProject) {
  for (const std::string& name : projects)
    if (zip::SameText(name, lastProject)) return name;
  return projects.empty() ? std::string() : projects.front();
}

GlobalSettings LoadGlobalSettings(const DataFolder& folder, const GlobalSettings& previous) {
  IniDocument doc = IniFile(folder.ProjectIni()).Load();
  GlobalSettings s = previous;
  s.promptBeforeBackup = doc.ReadBool(kSection, "PromptBeforeBackup", false);
  s.projects = doc.ReadList(kSection, "Count", 0, doc.ReadInteger(kSection, "Project Count", 0));
  SortProjectNames(s.projects);
  s.currentProject = ChooseCurrentProject(s.projects, doc.ReadString(kSection, "Last Project"));
  int byField = doc.ReadInteger(kSection, "By Field", 2);
  if (byField >= 0 && byField <= 2) s.byField = byField;
  int sort = doc.ReadInteger(kSection, "Sort", 0);
  if (sort == 0 || sort == 1) s.sortDescending = sort == 1;
  s.autoRun = doc.ReadBool(kSection, "Auto Run", false);
  s.isMinimized = doc.ReadBool(kSection, "Is Minimized", false);
  s.isAppend0 = doc.ReadBool(kSection, "Is Append 0", false);
  s.width = doc.ReadInteger(kSection, "Width", 2);
  s.isOverWrite = doc.ReadBool(kSection, "IsOverWrite", false);
  s.logCount = std::clamp(doc.ReadInteger(kSection, "Log Count", 50), kMinLogCount, kMaxLogCount);
  s.enableSchedule = doc.ReadBool(kSection, "Enable schedule", true);
  return s;
}

void SaveGlobalSettings(const DataFolder& folder, const GlobalSettings& s) {
  if (s.projects.empty()) return;
  IniFile(folder.ProjectIni()).Edit([&](IniDocument& doc) {
    doc.WriteBool(kSection, "Is Append 0", s.isAppend0);
    doc.WriteInteger(kSection, "Width", s.width);
    doc.WriteBool(kSection, "IsOverWrite", s.isOverWrite);
    doc.WriteBool(kSection, "PromptBeforeBackup", s.promptBeforeBackup);
    doc.WriteString(kSection, "Last Project", s.currentProject);
    WriteProjectList(doc, s.projects);
    doc.WriteInteger(kSection, "By Field", s.byField == 0 ? 0 : s.byField == 1 ? 1 : 2);
    doc.WriteInteger(kSection, "Sort", s.sortDescending ? 1 : 0);
    doc.WriteInteger(kSection, "Log Count", s.logCount);
    doc.WriteBool(kSection, "Enable schedule", s.enableSchedule);
  });
}

void SavePreferences(const DataFolder& folder, const GlobalSettings& s) {
  IniFile(folder.ProjectIni()).Edit([&](IniDocument& doc) {
    doc.WriteBool(kSection, "Auto Run", s.autoRun);
    doc.WriteBool(kSection, "Is Minimized", s.isMinimized);
    doc.WriteBool(kSection, "Is Append 0", s.isAppend0);
    doc.WriteInteger(kSection, "Width", s.width);
    doc.WriteBool(kSection, "IsOverWrite", s.isOverWrite);
    doc.WriteBool(kSection, "PromptBeforeBackup", s.promptBeforeBackup);
    doc.WriteInteger(kSection, "Log Count", s.logCount);
  });
}

void SaveProjectList(const DataFolder& folder, const std::vector<std::string>& projects) {
  IniFile(folder.ProjectIni()).Edit([&](IniDocument& doc) { WriteProjectList(doc, projects); });
}

std::vector<std::string> LoadWildcards(const DataFolder& folder) {
  IniDocument doc = IniFile(folder.ProjectIni()).Load();
  return doc.ReadList(kSection, "Wildcard", 0, doc.ReadInteger(kSection, "Wildcard Total", 0));
}

void SaveWildcards(const DataFolder& folder, const std::vector<std::string>& patterns) {
  IniFile(folder.ProjectIni()).Edit([&](IniDocument& doc) {
    doc.WriteInteger(kSection, "Wildcard Total", static_cast<int>(patterns.size()));
    for (std::size_t i = 0; i < patterns.size(); ++i)
      doc.WriteString(kSection, "Wildcard" + std::to_string(i), patterns[i]);
  });
}

}  // namespace core
