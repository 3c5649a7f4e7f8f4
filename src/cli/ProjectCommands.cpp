// The data-folder commands of ovaruz-cli.
#include "cli/ProjectCommands.h"

#include "cli/Args.h"
#include "core/ActivityLog.h"
#include "core/DataFolder.h"
#include "core/GlobalSettings.h"

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

}  // namespace cli
