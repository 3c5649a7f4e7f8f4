// The commands of ovaruz-cli.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// Runs the command named by args[0] with the remaining arguments; returns the exit status
// (0 success, 1 failure, 2 wrong usage). Errors of the library pass out as exceptions.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
