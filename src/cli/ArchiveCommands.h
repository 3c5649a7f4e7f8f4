// The archive commands of ovaruz-cli: list, test, extract.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int TestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ExtractCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
