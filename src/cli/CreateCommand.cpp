// The create command: options map onto the writer's properties; progress on a terminal; what was
// skipped and why; the entry count and archive size at the end.
#include "cli/CreateCommand.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>

#include "cli/Args.h"
#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/TZipWriter.h"

namespace cli {

namespace {

std::int64_t ParseSize(const std::string& text) {
  std::size_t used = 0;
  long long v = 0;
  try {
    v = std::stoll(text, &used);
  } catch (const std::exception&) {
    throw UsageError("invalid size '" + text + "'");
  }
  std::string unit = text.substr(used);
  std::int64_t mult = unit.empty()                 ? 1
                      : unit == "k" || unit == "K" ? 1024
                      : unit == "m" || unit == "M" ? 1024 * 1024
                      : unit == "g" || unit == "G" ? 1024LL * 1024 * 1024
                                                   : -1;
  if (mult < 0 || v <= 0) throw UsageError("invalid size '" + text + "'");
  return v * mult;
}
}  // namespace

int CreateCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args(argv,
            {"--level", "--relative", "--exclude", "--store", "--password", "--password-file",
             "--comment", "--action", "--blocks"},
            {"--recurse", "--paths", "--volumes", "--dirs"});
  if (args.Positional().empty()) throw UsageError("create needs ARCHIVE");
  const std::string archive = args.Positional()[0];
  zip::TZipWriter writer;
  writer.DoProcessMessages = false;
  if (auto level = args.Value("--level")) {
    if (level->size() != 1 || (*level)[0] < '0' || (*level)[0] > '9')
      throw UsageError("--level takes 0 to 9");
    writer.PackLevel = (*level)[0] - '0';
  }
  writer.SetRecurse(args.Flag("--recurse"));
  writer.SetStorePaths(args.Flag("--paths"));
  if (auto rel = args.Value("--relative")) {
    writer.SetRootDir(*rel);
    writer.SetRelativePaths(true);
    writer.SetRecurse(args.Flag("--recurse"));
  }
  if (args.Flag("--volumes")) writer.SetStoreVolumes(true);
  writer.ExcludeList = args.Values("--exclude");
  writer.NoCompressList = args.Values("--store");
  writer.AddDirEntriesOnRecurse = args.Flag("--dirs");
  static const std::map<std::string, zip::TZipAction> kActions = {
      {"update", zip::zaUpdate}, {"replace", zip::zaReplace}, {"freshen", zip::zaFreshen}};
  if (auto a = args.Value("--action")) {
    auto it = kActions.find(*a);
    if (it == kActions.end()) throw UsageError("unknown action '" + *a + "'");
    writer.ZipAction = it->second;
  }
  if (auto blocks = args.Value("--blocks")) {
    auto comma = blocks->find(',');
    writer.MultiZipInfo.BlockSize = ParseSize(blocks->substr(0, comma));
    writer.MultiZipInfo.FirstBlockSize = comma == std::string::npos
                                             ? writer.MultiZipInfo.BlockSize
                                             : ParseSize(blocks->substr(comma + 1));
    writer.SetMultiMode(zip::mmBlocks);
  }
  std::string password = PasswordOf(args);
  std::vector<std::string> items(args.Positional().begin() + 1, args.Positional().end());

  int failures = 0;
  const bool tty = ::isatty(STDERR_FILENO);
  int lastShown = -1;
  writer.OnTotalPercentDone = [&](zip::TZipReader&, int percent) {
    if (!tty || percent == lastShown) return;
    lastShown = percent;
    std::cerr << "\r" << percent << "% " << std::flush;
  };
  writer.OnNoSuchFile = [&](zip::TZipWriter&, const std::string& name) {
    out << "skipped: " << name << " (no such file)\n";
    ++failures;
  };
  writer.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason reason, const std::string& name,
                              int, bool&) {
    if (reason == zip::srNotOverwritten) {
      out << "skipped: " << name << " (same name as an entry already in the archive)\n";
    } else {
      out << "skipped: " << name << " (cannot be opened)\n";
      ++failures;
    }
  };
  try {
    writer.SetZipName(archive);
    writer.Password = password;
    if (auto c = args.Value("--comment")) writer.SetArchiveComment(*c);
    writer.FilesList = items;
    int count = writer.Zip();
    if (tty && lastShown >= 0) std::cerr << "\r     \r" << std::flush;
    out << "wrote " << count << (count == 1 ? " entry" : " entries") << " to " << writer.ZipName()
        << " (" << zip::FileSizeOf(writer.ZipName()) << " bytes, " << writer.EntryCount()
        << " in the archive)\n";
  } catch (const zip::Exception& e) {
    if (tty && lastShown >= 0) std::cerr << "\r     \r";
    err << "ovaruz-cli: " << e.what() << " (" << archive << ")\n";
    return 1;
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace cli
