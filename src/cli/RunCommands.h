// The run commands of ovaruz-cli: a project's backup, a restore, and the headless scheduler.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// ovaruz-cli backup PROJECT: the backup run of a scheduled run (no confirmation). Exit status 0
// on success, 3 when interrupted because the archive exists, 1 on any failure.
int BackupCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// ovaruz-cli restore ARCHIVE DEST [--project NAME] [--password P | --password-file FILE]
// [--overwrite MODE] [--flat]: the restore run with its log entry. Exit status 0 when it
// succeeded, 1 when it failed.
int RestoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// ovaruz-cli scheduler [--interval SECONDS]: runs the schedule until SIGINT or SIGTERM.
int SchedulerCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
