// The data folder: where project.ini, log.txt and StoreNumber.txt live, how it is found, and the
// user's home folder that stands for the "C:\" defaults.
#pragma once

#include <string>

namespace core {

inline constexpr const char* kProjectIniName = "project.ini";
inline constexpr const char* kLogName = "log.txt";
inline constexpr const char* kStoreNumberName = "StoreNumber.txt";

// Everything the data folder may be found from; an empty text means "not set".
struct DataFolderSources {
  std::string overrideFolder;  // set by code (the CLI's --home, tests)
  std::string ovaruzHome;      // $OVARUZ_HOME
  std::string exeFolder;       // folder of the running executable
  std::string xdgConfigHome;   // $XDG_CONFIG_HOME
  std::string home;            // the user's home folder
};

// The data folder for the given sources, with a trailing separator: the override, else
// $OVARUZ_HOME, else the executable's folder when a project.ini already lies there (portable
// install), else $XDG_CONFIG_HOME/ovaruz/ (only when absolute), else <home>/.config/ovaruz/.
// Relative override and $OVARUZ_HOME are taken against the current directory. Pure apart from
// looking for the portable project.ini; creates nothing.
std::string ResolveDataFolder(const DataFolderSources& sources);

// Sets the folder that wins over the environment; an empty text removes the override.
void SetDataFolderOverride(const std::string& folder);

// The current data folder (ResolveDataFolder over the override, the environment and the running
// executable), with a trailing separator. The folder is not created here; the first write does.
std::string ProgramFolder();

// The user's home folder with a trailing separator ($HOME, else the password database, else "/").
// It replaces every "C:\" default of the program (save path, extract folder).
std::string HomeFolder();

// One data folder and the paths of its files.
class DataFolder {
 public:
  // The folder is used as given, with a trailing separator added when missing.
  explicit DataFolder(const std::string& folder);
  // The data folder that ProgramFolder() names now.
  static DataFolder Current() { return DataFolder(ProgramFolder()); }

  const std::string& Path() const { return path_; }
  std::string ProjectIni() const { return path_ + kProjectIniName; }
  std::string LogFile() const { return path_ + kLogName; }
  std::string StoreNumberFile() const { return path_ + kStoreNumberName; }

 private:
  std::string path_;
};

}  // namespace core
