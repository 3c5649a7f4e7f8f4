// RestoreTabHost: what the Restore tab needs from the main window that embeds it.
#pragma once

#include <string>

#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "core/ProjectRecord.h"
#include "core/RunHooks.h"
#include "core/RunPrompts.h"

namespace gui {

class RestoreTabHost {
 public:
  virtual ~RestoreTabHost() = default;

  // The data folder whose log.txt receives the restore entries.
  virtual core::DataFolder Folder() const = 0;
  // The held global settings: the tab reads and changes byField and sortDescending (written to
  // project.ini with the rest at exit) and reads logCount.
  virtual core::GlobalSettings& Settings() = 0;
  // The text of the project box, the project a restore is logged under.
  virtual std::string ProjectBoxText() const = 0;
  // The Backup tab's inputs: currentSavePath is the folder listed on entering the tab;
  // listboxBackup and checkBoxpath give the default restore folder.
  virtual const core::BackupTabModel& BackupTab() const = 0;
  // The busy state and the progress bar for a restore run.
  virtual core::RunHooks RunHooks() = 0;
  // The questions and messages of a restore run.
  virtual core::RunPrompts& Prompts() = 0;
  // Called after a restore wrote its log entry, so the Log tab can show it.
  virtual void RestoreLogged() = 0;
};

}  // namespace gui
