// Backups, restores and the scheduler through ovaruz-cli, end to end: a data folder whose
// project.ini is written by hand in the program's format, real source folders, and the archives,
// log, ring and project records the runs leave behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

#include "TestSupport.h"
#include "core/ProjectRecord.h"

using testsupport::ReadFile;
using testsupport::RunCli;
using testsupport::RunCommand;
using testsupport::ShellQuote;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

namespace fs = std::filesystem;

// A data folder, a source folder with two files dated 2020 and an archive folder.
class Workspace {
 public:
  Workspace() {
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "src/sub");
    fs::create_directories(dir_ / "out");
    WriteFile(Source("a.txt"), "alpha alpha alpha\n");
    WriteFile(Source("sub/b.txt"), "beta\n");
    Touch(Source("a.txt"), "2020-01-01 10:00:00");
    Touch(Source("sub/b.txt"), "2020-01-01 10:00:00");
  }
  std::string Home() const { return dir_ / "home"; }
  std::string Out() const { return dir_ / "out/"; }
  std::string Source(const std::string& name) const { return dir_ / ("src/" + name); }
  std::string Path(const std::string& name) const { return dir_ / name; }
  std::string Ini() const { return ReadFile(dir_ / "home/project.ini"); }

  // project.ini with the Common section listing names and the given project sections.
  void WriteProjects(const std::vector<std::string>& names, const std::string& sections) {
    std::string text = "[Common]\nProject Count=" + std::to_string(names.size()) + "\n";
    for (std::size_t i = 0; i < names.size(); ++i)
      text += "Count" + std::to_string(i) + "=" + names[i] + "\n";
    WriteFile(dir_ / "home/project.ini", text + "\n" + sections);
  }
  // A project section backing up the source folder with its subfolders into Out().
  std::string Section(const std::string& name, const std::string& extra) const {
    return "[" + name + "]\nFilename prefix=" + name + "\nSave Path=" + Out() +
           "\nBackup Directory Count=1\nBackup0=" + Source("*.*") +
           "\nWhether password Project=0\n" + extra + "\n";
  }
  testsupport::CommandResult Cli(const std::string& args) const {
    return RunCli("--home " + ShellQuote(Home()) + " " + args);
  }
  std::vector<std::string> OutFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.Path() / "out"))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The entry names of an archive, as Info-ZIP's unzip lists them.
  static std::set<std::string> Entries(const std::string& archive) {
    auto r = RunCommand("unzip -Z1 " + ShellQuote(archive));
    std::set<std::string> names;
    if (r.output == "Empty zipfile.\n") return names;
    std::string line;
    for (char c : r.output) {
      if (c != '\n') {
        line += c;
        continue;
      }
      if (!line.empty() && line.back() != '/') names.insert(fs::path(line).filename().string());
      line.clear();
    }
    return names;
  }
  static void Touch(const std::string& path, const std::string& when) {
    ASSERT_EQ(RunCommand("touch -d " + ShellQuote(when) + " " + ShellQuote(path)).status, 0);
  }

 private:
  TempDir dir_;
};

}  // namespace

// One project of each suffix from a hand-written project.ini: the numbered archive carries
// Value + step and the record then names it; the plain name is refused a second time with
// "Interrupt" and exit status 3; the dated name carries the run's moment; missing keys read as
// their defaults (subfolders, full paths, level 6, no password).
TEST(CliRun, NumberedDatedAndPlainArchives) {
  REQUIRE_TOOL("unzip");
  Workspace w;
  w.WriteProjects({"Numbered", "Dated", "Plain"},
                  w.Section("Numbered", "Suffix=2\nValue=5\nIncrease Value=2") +
                      w.Section("Dated", "Suffix=1") + w.Section("Plain", "Suffix=0"));

  auto numbered = w.Cli("backup numbered");
  ASSERT_EQ(numbered.status, 0) << numbered.output;
  EXPECT_NE(numbered.output.find("Backup Files Succeeds!\nProject Name: 'Numbered'\n"
                                 "File Name:    'Numbered7.zip'\nFile Size:    '0Kb'\n"),
            std::string::npos)
      << numbered.output;
  EXPECT_NE(w.Ini().find("Value=7"), std::string::npos) << w.Ini();
  EXPECT_EQ(Workspace::Entries(w.Out() + "Numbered7.zip"),
            (std::set<std::string>{"a.txt", "b.txt"}));
  auto listing = RunCommand("unzip -Z1 " + ShellQuote(w.Out() + "Numbered7.zip"));
  EXPECT_NE(listing.output.find(w.Source("sub/b.txt").substr(1)), std::string::npos)
      << "full paths are stored by default\n"
      << listing.output;

  ASSERT_EQ(w.Cli("backup Plain").status, 0);
  auto again = w.Cli("backup Plain");
  EXPECT_EQ(again.status, 3) << again.output;
  EXPECT_NE(again.output.find(w.Out() + "Plain.zip exists,backup will be interrupted!"),
            std::string::npos)
      << again.output;

  auto dated = w.Cli("backup Dated");
  ASSERT_EQ(dated.status, 0) << dated.output;
  const auto files = w.OutFiles();
  ASSERT_EQ(files.size(), 3u);
  EXPECT_TRUE(std::regex_match(files[0], std::regex(R"(Dated\d\d-\d\d_\d\dh\d\dm\d\ds\.zip)")))
      << files[0];
  EXPECT_EQ(files[1], "Numbered7.zip");
  EXPECT_EQ(files[2], "Plain.zip");

  auto log = w.Cli("log");
  EXPECT_NE(log.output.find("\tBackup\tInterrupt\tPlain\t'" + w.Out() +
                            "Plain.zip' exists,backup interripted\n"),
            std::string::npos)
      << log.output;
  EXPECT_EQ(std::count(log.output.begin(), log.output.end(), '\n'), 4) << log.output;
}

// A keep count of 3 over six numbered backups leaves exactly the newest three archives.
TEST(CliRun, KeepCountLeavesTheNewestArchives) {
  Workspace w;
  w.WriteProjects({"Ring"}, w.Section("Ring", "Suffix=2\nValue=0\nStore Number=3"));
  for (int i = 0; i < 6; ++i) ASSERT_EQ(w.Cli("backup Ring").status, 0);
  EXPECT_EQ(w.OutFiles(), (std::vector<std::string>{"Ring4.zip", "Ring5.zip", "Ring6.zip"}));
  EXPECT_NE(w.Ini().find("Value=6"), std::string::npos);
}

// "Only files newer than" with a fixed threshold takes only the files changed after it; with
// "Use last backup date" the threshold moves to the end of each run, so an unchanged source gives
// an archive without entries, and a file changed afterwards is taken by the next run.
TEST(CliRun, NewerFilesFilter) {
  REQUIRE_TOOL("unzip");
  Workspace w;
  Workspace::Touch(w.Source("sub/b.txt"), "2021-06-01 12:00:00");
  w.WriteProjects({"Fixed", "Moving"},
                  w.Section("Fixed", "Suffix=2\nValue=0\nisUseNew=1\n"
                                     "NewDateTime=2021-06-01 12:00:00") +
                      w.Section("Moving", "Suffix=2\nValue=0\nisUseNew=1\nisUseToday=1\n"
                                          "NewDateTime=2019-01-01 00:00:00"));
  ASSERT_EQ(w.Cli("backup Fixed").status, 0);
  EXPECT_EQ(Workspace::Entries(w.Out() + "Fixed1.zip"), (std::set<std::string>{"b.txt"}))
      << "a file changed exactly at the threshold is taken, one changed earlier is not";

  ASSERT_EQ(w.Cli("backup Moving").status, 0);
  EXPECT_EQ(Workspace::Entries(w.Out() + "Moving1.zip"),
            (std::set<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(w.Ini().find("NewDateTime=2019-01-01"), std::string::npos) << w.Ini();
  auto empty = w.Cli("backup Moving");
  ASSERT_EQ(empty.status, 0) << empty.output;
  EXPECT_NE(empty.output.find("File Size:    '0Kb'"), std::string::npos) << empty.output;
  EXPECT_TRUE(Workspace::Entries(w.Out() + "Moving2.zip").empty());
  Workspace::Touch(w.Source("a.txt"), "now + 1 hour");
  ASSERT_EQ(w.Cli("backup Moving").status, 0);
  EXPECT_EQ(Workspace::Entries(w.Out() + "Moving3.zip"), (std::set<std::string>{"a.txt"}));
}

// A password-protected backup (the password stored scrambled, as the program saves it) is
// encrypted so that unzip -P extracts it; restoring it with the right password is logged
// "Succeeds", with a wrong one "Fails" without touching the files already in place.
TEST(CliRun, PasswordBackupAndRestoreOutcomes) {
  REQUIRE_TOOL("unzip");
  Workspace w;
  const std::string stored = core::ScramblePassword("s3cret pass", core::PasswordKey("Vault"), true);
  w.WriteProjects({"Vault"}, "[Vault]\nFilename prefix=vault\nSuffix=0\nSave Path=" + w.Out() +
                                 "\nBackup Directory Count=1\nBackup0=" + w.Source("*.*") +
                                 "\nWhether store path in Zip=0\nWhether password Project=1\n"
                                 "Password=" + stored + "\n");
  auto backup = w.Cli("backup Vault");
  ASSERT_EQ(backup.status, 0) << backup.output;
  const std::string archive = w.Out() + "vault.zip";

  auto peer = RunCommand("unzip -P 's3cret pass' -o -d " + ShellQuote(w.Path("peer")) + " " +
                         ShellQuote(archive));
  ASSERT_EQ(peer.status, 0) << peer.output;
  EXPECT_EQ(ReadFile(w.Path("peer/a.txt")), "alpha alpha alpha\n");
  EXPECT_NE(RunCommand("unzip -P wrong -o -d " + ShellQuote(w.Path("nope")) + " " +
                       ShellQuote(archive))
                .status,
            0);

  auto good = w.Cli("restore " + ShellQuote(archive) + " " + ShellQuote(w.Path("back")) +
                    " --project Vault --password 's3cret pass'");
  EXPECT_EQ(good.status, 0) << good.output;
  EXPECT_NE(good.output.find("Restore Files Succeeds!\nProject Name: 'Vault'\n"
                             "Filename:     'vault.zip'"),
            std::string::npos)
      << good.output;
  EXPECT_EQ(ReadFile(w.Path("back/b.txt")), "beta\n");

  WriteFile(w.Path("back/a.txt"), "kept");
  auto bad = w.Cli("restore " + ShellQuote(archive) + " " + ShellQuote(w.Path("back")) +
                   " --password wrong --overwrite always");
  EXPECT_EQ(bad.status, 1) << bad.output;
  EXPECT_NE(bad.output.find("The password is incorrect"), std::string::npos) << bad.output;
  EXPECT_NE(bad.output.find("Restore files fails!"), std::string::npos) << bad.output;
  EXPECT_EQ(ReadFile(w.Path("back/a.txt")), "kept");

  auto log = w.Cli("log");
  EXPECT_EQ(log.output.find("\tRestore\tFails\t\t" + archive + "  "), log.output.find('\t'))
      << "newest first\n"
      << log.output;
  EXPECT_NE(log.output.find("\tRestore\tSucceeds\tVault\t" + archive), std::string::npos)
      << log.output;
}

// Runs that do not make an archive: a failed check, a writer error (logged "Fails" with the
// error), an unknown project, and wrong usage.
TEST(CliRun, FailedBackups) {
  Workspace w;
  WriteFile(w.Path("blocker"), "a file where a folder should be");
  w.WriteProjects({"Empty", "Blocked"},
                  "[Empty]\nFilename prefix=e\nSave Path=" + w.Out() + "\n" +
                      "[Blocked]\nFilename prefix=b\nSuffix=0\nSave Path=" + w.Path("blocker") +
                      "/\nBackup Directory Count=1\nBackup0=" + w.Source("*.*") +
                      "\nWhether password Project=0\n");
  auto empty = w.Cli("backup Empty");
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.output.find("Please select files to backup"), std::string::npos)
      << empty.output;
  auto blocked = w.Cli("backup Blocked");
  EXPECT_EQ(blocked.status, 1) << blocked.output;
  auto log = w.Cli("log");
  EXPECT_NE(log.output.find("\tBackup\tFails\tBlocked\t" + w.Path("blocker") + "/b.zip  "),
            std::string::npos)
      << log.output;
  EXPECT_EQ(std::count(log.output.begin(), log.output.end(), '\n'), 1) << log.output;
  EXPECT_EQ(w.Cli("backup Nobody").status, 1);
  EXPECT_EQ(w.Cli("backup").status, 2);
  EXPECT_EQ(w.Cli("restore only-one-arg").status, 2);
}

// The scheduler runs a project that is due at its first tick, once, and ends cleanly on SIGTERM.
TEST(CliRun, SchedulerRunsDueProjectAndStopsOnSignal) {
  Workspace w;
  w.WriteProjects({"Nightly"}, w.Section("Nightly", "Suffix=2\nValue=0\nBackupMode=0\n"
                                                    "StartTime_or_Increase=00:00:00"));
  const std::string log = w.Path("scheduler.out");
  auto r = RunCommand(
      ShellQuote(OVARUZ_CLI) + " --home " + ShellQuote(w.Home()) + " scheduler --interval 1 > " +
      ShellQuote(log) + " & pid=$!; for i in $(seq 150); do grep -q Succeeds " +
      ShellQuote(log) + " && break; sleep 0.1; done; sleep 1.5; kill -TERM $pid; wait $pid");
  EXPECT_EQ(r.status, 0) << r.output;
  const std::string out = ReadFile(log);
  EXPECT_EQ(w.OutFiles(), (std::vector<std::string>{"Nightly1.zip"})) << out;
  EXPECT_NE(out.find("\tbackup\tNightly\tSucceeds\t" + w.Out() + "Nightly1.zip\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\tstopped\n"), std::string::npos) << out;
}
