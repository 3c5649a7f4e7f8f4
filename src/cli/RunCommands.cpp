// The backup and restore commands of ovaruz-cli, over the core's run engines.
#include "cli/RunCommands.h"

#include "cli/Args.h"
#include "cli/Console.h"
#include "core/BackupRun.h"
#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "core/ProjectRecord.h"
#include "core/RestoreRun.h"
#include "zip/Text.h"

namespace cli {

int BackupCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args(argv, {}, {});
  if (args.Positional().size() != 1) throw UsageError("backup needs exactly one PROJECT");
  const std::string wanted = zip::Trim(args.Positional()[0]);
  const core::DataFolder folder = core::DataFolder::Current();
  core::GlobalSettings settings = core::LoadGlobalSettings(folder);
  std::string project;
  for (const std::string& name : settings.projects)
    if (zip::SameText(zip::Trim(name), wanted)) project = name;
  if (project.empty()) {
    err << "ovaruz-cli backup: no project named '" << wanted << "' in " << folder.ProjectIni()
        << '\n';
    return 1;
  }
  core::BackupTabModel tab;
  core::LoadProject(folder, project, settings, zip::DateTime::Now(), tab);
  settings.promptBeforeBackup = false;  // runs as a scheduled run does
  ConsolePrompts prompts(out, err);
  core::RunHooks hooks;
  const core::BackupResult result = core::RunBackup(folder, project, settings, tab, prompts, hooks);
  switch (result.outcome) {
    case core::BackupOutcome::Succeeded:
      return result.message.empty() ? 0 : 1;
    case core::BackupOutcome::Interrupted:
      return 3;
    default:
      return 1;
  }
}

int RestoreCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args(argv, {"--project", "--password", "--password-file", "--overwrite"}, {"--flat"});
  if (args.Positional().size() != 2) throw UsageError("restore needs ARCHIVE and DEST");
  core::RestoreOptions options;
  options.extractTo = args.Positional()[1];
  options.password = PasswordOf(args);
  options.useOriginalFolder = !args.Flag("--flat");
  options.overwriteMode = OverwriteModeOf(args);
  const core::DataFolder folder = core::DataFolder::Current();
  const core::GlobalSettings settings = core::LoadGlobalSettings(folder);
  ConsolePrompts prompts(out, err);
  TerminalMessageBoxes boxes([&](const std::string& text) { err << text << '\n'; });
  zip::TZipReader reader;
  reader.DoProcessMessages = false;
  const core::RestoreResult result = core::RunRestore(
      folder, settings.logCount, args.Value("--project").value_or(""), args.Positional()[0],
      options, false, reader, prompts, core::RunHooks{});
  return result.outcome == core::RestoreOutcome::Succeeded ? 0 : 1;
}

}  // namespace cli
