// The commands of ovaruz-cli that work on the program's data folder.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// ovaruz-cli log: the activity log, newest first, one tab-separated row per entry (date,
// operation, status, project, information).
int LogCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// ovaruz-cli projects: one tab-separated row per project in project-box order: name, suffix kind
// (None, Date or Number), the next archive's path, the schedule.
int ProjectsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
