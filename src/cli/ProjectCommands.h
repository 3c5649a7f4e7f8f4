// The commands of ovaruz-cli that work on the program's data folder.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// ovaruz-cli log: the activity log, newest first, one tab-separated row per entry (date,
// operation, status, project, information).
int LogCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
