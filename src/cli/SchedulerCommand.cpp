// ovaruz-cli scheduler: the program's schedule timer without a window. Builds the schedule table,
// ticks at a fixed interval, runs due projects one after another, rebuilds the table when the
// schedule in project.ini changes, and ends on SIGINT or SIGTERM: the first lets the running
// backup finish, the second cancels it.
#include <signal.h>
#include <time.h>

#include <csignal>

#include "cli/Args.h"
#include "cli/Console.h"
#include "cli/RunCommands.h"
#include "core/BackupRun.h"
#include "core/DataFolder.h"
#include "core/DateText.h"
#include "core/GlobalSettings.h"
#include "core/IniFile.h"
#include "core/ProjectRecord.h"
#include "core/Schedule.h"

namespace cli {

namespace {

volatile std::sig_atomic_t gSignals = 0;

extern "C" void OnStopSignal(int) {
  if (gSignals < 2) gSignals = gSignals + 1;
}

// Installs the stop handlers for the scheduler's lifetime and puts the old ones back after.
class StopSignals {
 public:
  StopSignals() {
    gSignals = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
  }
  bool StopAsked() const { return gSignals >= 1; }
  bool CancelAsked() const { return gSignals >= 2; }

 private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

// What the schedule table is built from: the listed projects with their mode and parameter.
std::string ScheduleSignature(const std::vector<std::string>& projects, const core::IniDocument& doc) {
  std::string text;
  for (const std::string& name : projects) {
    const std::string section = core::ProjectSection(name);
    text += name + '\n' + doc.ReadString(section, core::kKeyBackupMode) + '\n' +
            doc.ReadString(section, core::kKeyStartTimeOrIncrease) + '\n';
  }
  return text;
}

const char* OutcomeText(core::BackupOutcome outcome) {
  switch (outcome) {
    case core::BackupOutcome::Succeeded:
      return "Succeeds";
    case core::BackupOutcome::Interrupted:
      return "Interrupt";
    case core::BackupOutcome::Invalid:
      return "Invalid";
    case core::BackupOutcome::Failed:
      return "Fails";
    case core::BackupOutcome::NotStarted:
      break;
  }
  return "Not started";
}

}  // namespace

int SchedulerCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args(argv, {"--interval"}, {});
  if (!args.Positional().empty()) throw UsageError("scheduler takes no arguments");
  int intervalSeconds = 30;
  if (auto value = args.Value("--interval")) {
    try {
      intervalSeconds = std::stoi(*value);
    } catch (const std::exception&) {
      intervalSeconds = 0;
    }
    if (intervalSeconds < 1) throw UsageError("--interval needs a whole number of seconds >= 1");
  }

  const core::DataFolder folder = core::DataFolder::Current();
  StopSignals signals;
  core::ScheduleTable table;
  std::string signature;
  auto rebuild = [&](const core::GlobalSettings& settings, const core::IniDocument& doc) {
    signature = ScheduleSignature(settings.projects, doc);
    table = core::BuildScheduleTable(settings.projects, doc, zip::DateTime::Now());
    out << core::FormatDateAndTime(zip::DateTime::Now()) << "\tschedule\t" << table.size()
        << (table.size() == 1 ? " project" : " projects") << '\n';
    for (const core::ScheduleEntry& e : table)
      out << "\t\t" << e.project << "\tnext " << core::FormatDateAndTime(e.due) << '\n';
    out << std::flush;
  };
  {
    const core::GlobalSettings settings = core::LoadGlobalSettings(folder);
    rebuild(settings, core::IniFile(folder.ProjectIni()).Load());
  }

  ConsolePrompts prompts(out, err);
  core::RunHooks hooks;
  hooks.cancelRequested = [&] { return signals.CancelAsked(); };
  const struct timespec step {0, 100 * 1000 * 1000};
  while (!signals.StopAsked()) {
    for (int waited = 0; waited < intervalSeconds * 10 && !signals.StopAsked(); ++waited)
      nanosleep(&step, nullptr);
    if (signals.StopAsked()) break;

    core::GlobalSettings settings = core::LoadGlobalSettings(folder);
    const core::IniDocument doc = core::IniFile(folder.ProjectIni()).Load();
    if (ScheduleSignature(settings.projects, doc) != signature) rebuild(settings, doc);
    bool prompt = settings.promptBeforeBackup;
    core::RunScheduleTick(
        table, core::TickGate{}, [] { return zip::DateTime::Now(); }, settings.projects, prompt,
        [&](const std::string& project) {
          core::GlobalSettings runSettings = settings;
          runSettings.promptBeforeBackup = prompt;
          core::BackupTabModel tab;
          core::LoadProject(folder, project, runSettings, zip::DateTime::Now(), tab);
          const core::BackupResult result =
              core::RunBackup(folder, project, runSettings, tab, prompts, hooks);
          out << core::FormatDateAndTime(zip::DateTime::Now()) << "\tbackup\t" << project << '\t'
              << OutcomeText(result.outcome) << '\t' << result.archivePath << '\n'
              << std::flush;
          return result.outcome != core::BackupOutcome::Invalid;
        });
  }
  out << core::FormatDateAndTime(zip::DateTime::Now()) << "\tstopped\n" << std::flush;
  return 0;
}

}  // namespace cli
