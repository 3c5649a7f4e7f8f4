// The commands of ovaruz-cli and its help text.
#include "cli/Commands.h"

namespace cli {

namespace {
const char kUsage[] =
    "Usage: ovaruz-cli <command> [options]\n"
    "\n"
    "Tessaly VIR Ovaruz command-line tool: ZIP archives and backup projects.\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help and exit\n"
    "  -V, --version    show the version and exit\n"
    "\n"
    "Commands are added as the library grows; run with --help to see what this build offers.\n";
}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string& cmd = args[0];
  if (cmd == "-h" || cmd == "--help" || cmd == "help") {
    out << kUsage;
    return 0;
  }
  if (cmd == "-V" || cmd == "--version") {
    out << "ovaruz-cli " << OVARUZ_VERSION << "\n";
    return 0;
  }
  err << "ovaruz-cli: unknown command '" << cmd << "'\n" << kUsage;
  return 2;
}

}  // namespace cli
