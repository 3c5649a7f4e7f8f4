// TFormMain: the main window: tool bar with the project box and the commands, the Backup,
// Restore and Log tabs, the progress bar, the schedule timer and the tray icon. Its handlers are
// thin: the decisions are the core's.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

#include "core/ActivityLog.h"
#include "core/BackupRun.h"
#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "core/ProjectRecord.h"
#include "core/Schedule.h"
#include "dialogs/QtPrompts.h"
#include "restore/RestoreTabHost.h"

class QAction;
class QComboBox;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QToolButton;

namespace gui {

class TBackupTab;
class TLogGrid;
class TRestoreTab;

class TFormMain : public QMainWindow, public RestoreTabHost {
  Q_OBJECT
 public:
  // folder: the data folder; clock: the current local time (tests inject one).
  explicit TFormMain(const core::DataFolder& folder,
                     std::function<zip::DateTime()> clock = {}, QWidget* parent = nullptr);
  ~TFormMain() override;

  // --- Start-up and exit ---
  void LoadGlobalSettings();
  void FormShow();
  // Writes the held settings and the project list (nothing when there is no project).
  void FormClose();
  void SpExitClick();

  // --- Projects and the Backup tab ---
  void comboProjectChange();
  void SetBrowseMode(bool browse);
  void SpEditClick();
  void SpCancelClick();
  void SpSaveClick();
  void SpNewClick();
  void SpRenameClick();
  void spCopyClick();
  void SpDeleteClick();
  void SpSelectDirectoryClick();
  // The backup command; returns how it ended.
  core::BackupOutcome SpStartClick();
  void SpRestoreClick();
  void EnableRunControls(bool enabled);
  bool Busy() const { return busy_; }
  bool EditMode() const { return editMode_; }

  // --- Log ---
  void LoadLog();
  void Clearalllog1Click();

  // --- Schedule, switch and tray ---
  void RefreshSchedule();
  void Timer1Timer();
  void spEnableClick();
  void menuEnDisClick();
  void ShowSchedulingState();
  void RebuildBackupMenu();
  void BackupMenuItemClick(const std::string& project);
  // Makes the listed project current and loads it.
  void MakeProjectCurrent(const std::string& project);
  void OpenMainWindow1Click();
  const core::ScheduleTable& ScheduleTable() const { return table_; }
  QTimer* Timer() const { return Timer1; }
  QMenu* TrayMenu() const { return PopupMenu2; }
  bool StartMinimized() const { return startMinimized_; }

  // --- What the Restore tab needs ---
  core::DataFolder Folder() const override { return folder_; }
  core::GlobalSettings& Settings() override { return settings_; }
  std::string ProjectBoxText() const override;
  const core::BackupTabModel& BackupTab() const override;
  core::RunHooks RunHooks() override;
  core::RunPrompts& Prompts() override { return prompts_; }
  void RestoreLogged() override { LoadLog(); }

  TBackupTab* BackupTabWidget() const { return backupTab_; }
  TRestoreTab* RestoreTabWidget() const { return restoreTab_; }
  TLogGrid* LogGrid() const { return logGrid_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Centres the window each time it is shown.
  void showEvent(QShowEvent* event) override;

 private:
  void BuildToolBar();
  void BuildMenus();
  void BuildTray();
  void FillProjectBox(const std::string& current);
  // After a rename or copy: the box with name current, the tray menu, browse mode, schedules.
  void ShowSavedProject(const std::string& name);
  // Asks for a project name in the name dialog; the trimmed name when no other project has it
  // ("Project Name exists,Rename fail!" when one does), nothing otherwise.
  std::optional<std::string> AskFreeProjectName(const QString& caption, const std::string& current,
                                                const std::string& proposed);
  void ApplyControlStates();
  // Runs fn and shows an error it throws as the default error report does.
  void Guarded(const std::function<void()>& fn);
  zip::DateTime Now() const;
  void ShowAbout();

  core::DataFolder folder_;
  std::function<zip::DateTime()> clock_;
  core::GlobalSettings settings_;
  mutable core::BackupTabModel tab_;
  core::ScheduleTable table_;
  QtRunPrompts prompts_;
  bool editMode_ = false;
  bool busy_ = false;
  bool closeAfterRun_ = false;
  bool runStarting_ = false;  // a backup is between its question and its last message
  bool startMinimized_ = false;
  bool loadingBox_ = false;

  QComboBox* comboProject;
  QToolButton *SpNew, *SpEdit, *SpSave, *SpCancel, *SpRename, *spCopy, *SpDelete, *SpMenu,
      *spEnable, *SpStart, *SpRestore, *SpExit;
  QMenu* PopupMenu1;
  QAction* menuPreferences;
  QTabWidget* PageControl1;
  TBackupTab* backupTab_;
  TRestoreTab* restoreTab_;
  TLogGrid* logGrid_;
  QProgressBar* ProgressBar1;
  QTimer* Timer1;
  QSystemTrayIcon* RxTrayIcon1;
  QMenu* PopupMenu2;
  QAction* menuEnDis;
  QMenu* menuBackup;
};

}  // namespace gui
