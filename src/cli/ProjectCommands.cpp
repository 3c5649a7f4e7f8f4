// The data-folder commands of ovaruz-cli.
#include "cli/ProjectCommands.h"

#include "cli/Args.h"
#include "core/ActivityLog.h"
#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "core/ProjectRecord.h"
#include "core/Schedule.h"
#include "zip/DateTime.h"

namespace cli {

int LogCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream&) {
  Args args(argv, {}, {});
  if (!args.Positional().empty()) throw UsageError("log takes no arguments");
  core::DataFolder folder = core::DataFolder::Current();
  core::GlobalSettings settings = core::LoadGlobalSettings(folder, core::GlobalSettings{});
  for (const core::LogEntry& e : core::LoadLog(folder, settings.logCount).rows)
    out << e.date << '\t' << e.operate << '\t' << e.status << '\t' << e.project << '\t'
        << e.information << '\n';
  return 0;
}

int ProjectsCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream&) {
  Args args(argv, {}, {});
  if (!args.Positional().empty()) throw UsageError("projects takes no arguments");
  core::DataFolder folder = core::DataFolder::Current();
  core::GlobalSettings settings = core::LoadGlobalSettings(folder);
  const zip::DateTime now = zip::DateTime::Now();
  for (const std::string& name : settings.projects) {
    core::BackupTabModel tab;
    if (!core::LoadProject(folder, name, settings, now, tab)) continue;
    const char* suffix = tab.radioUseNone ? "None" : tab.radioUseDate ? "Date" : "Number";
    out << name << '\t' << suffix << '\t' << tab.editFilename << '\t'
        << core::ScheduleText(tab.backupMode, tab.startTimeOrIncrease) << '\n';
  }
  return 0;
}

}  // namespace cli
