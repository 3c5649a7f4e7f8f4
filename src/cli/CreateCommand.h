// The create command of ovaruz-cli: writes or updates an archive with the library's writer.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

int CreateCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
