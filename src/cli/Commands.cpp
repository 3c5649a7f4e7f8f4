// The commands of ovaruz-cli and its help text.
#include "cli/Commands.h"

#include "cli/ArchiveCommands.h"
#include "cli/Args.h"
#include "cli/CreateCommand.h"
#include "cli/ProjectCommands.h"
#include "cli/RunCommands.h"
#include "core/DataFolder.h"

namespace cli {

namespace {
const char kUsage[] =
    "Usage: ovaruz-cli <command> [options]\n"
    "\n"
    "Tessaly VIR Ovaruz command-line tool: ZIP archives and backup projects.\n"
    "\n"
    "Archive commands:\n"
    "  list ARCHIVE [--sort none|name|filename|directory|date|packed|size|rate] [--tsv]\n"
    "      list the entries (archive order by default; --tsv: tab-separated columns name,\n"
    "      size, packed, method, crc32, modified, encrypted)\n"
    "  test ARCHIVE [--password P | --password-file FILE]\n"
    "      decode every entry without writing and check its CRC\n"
    "  extract ARCHIVE DEST [--password P | --password-file FILE]\n"
    "          [--overwrite never|always|newer|older|prompt] [--flat] [--root DIR] [PATTERN...]\n"
    "      extract the entries (or those matching a PATTERN) below DEST\n"
    "  create ARCHIVE [--level 0-9] [--recurse] [--paths] [--relative DIR] [--volumes]\n"
    "          [--exclude PATTERN]... [--store PATTERN]... [--dirs]\n"
    "          [--password P | --password-file FILE] [--comment TEXT]\n"
    "          [--action update|replace|freshen] [--blocks SIZE[,FIRST]] ITEM...\n"
    "      write (or update) an archive; an ITEM is a file, a folder ending with '/' (a\n"
    "      folder entry), or a folder and a pattern ('/data/docs/*.txt'; '|' or '>' before\n"
    "      the pattern: without or with subfolders)\n"
    "\n"
    "Program data commands (the data folder: --home DIR, else $OVARUZ_HOME, else a project.ini\n"
    "beside the program, else ~/.config/ovaruz/):\n"
    "  [--home DIR] projects\n"
    "      one row per project: name, suffix kind, next archive path, schedule\n"
    "  [--home DIR] backup PROJECT\n"
    "      back the project up as a scheduled run does (no question); exit status 3 when\n"
    "      the archive exists and overwriting is off\n"
    "  [--home DIR] restore ARCHIVE DEST [--project NAME] [--password P | --password-file FILE]\n"
    "          [--overwrite never|always|newer|older|prompt] [--flat]\n"
    "      restore every entry of ARCHIVE below DEST and log the outcome\n"
    "  [--home DIR] scheduler [--interval SECONDS]\n"
    "      run the projects' schedules until SIGINT or SIGTERM (a tick every 30 seconds; a\n"
    "      second signal cancels a running backup)\n"
    "  [--home DIR] log\n"
    "      the activity log, newest first, tab-separated: date, operation, status, project,\n"
    "      information\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help and exit\n"
    "  -V, --version    show the version and exit\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 wrong usage, 3 backup interrupted (archive exists).\n";
}  // namespace

int Run(const std::vector<std::string>& allArgs, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args = allArgs;
  // --home DIR before the command chooses the data folder for this call.
  if (!args.empty() && (args[0] == "--home" || args[0].rfind("--home=", 0) == 0)) {
    std::string home;
    if (args[0] == "--home") {
      if (args.size() < 2) {
        err << "ovaruz-cli: option --home needs a value\n";
        return 2;
      }
      home = args[1];
      args.erase(args.begin(), args.begin() + 2);
    } else {
      home = args[0].substr(7);
      args.erase(args.begin());
    }
    core::SetDataFolderOverride(home);
  }
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
  std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (cmd == "list") return ListCommand(rest, out, err);
    if (cmd == "test") return TestCommand(rest, out, err);
    if (cmd == "extract") return ExtractCommand(rest, out, err);
    if (cmd == "create") return CreateCommand(rest, out, err);
    if (cmd == "log") return LogCommand(rest, out, err);
    if (cmd == "projects") return ProjectsCommand(rest, out, err);
    if (cmd == "backup") return BackupCommand(rest, out, err);
    if (cmd == "restore") return RestoreCommand(rest, out, err);
    if (cmd == "scheduler") return SchedulerCommand(rest, out, err);
  } catch (const UsageError& e) {
    err << "ovaruz-cli " << cmd << ": " << e.what() << "\nRun 'ovaruz-cli --help' for usage.\n";
    return 2;
  }
  err << "ovaruz-cli: unknown command '" << cmd << "'\n" << kUsage;
  return 2;
}

}  // namespace cli
