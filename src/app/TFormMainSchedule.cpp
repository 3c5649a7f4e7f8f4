// The main window's schedule timer, scheduling switch and tray icon with its menu.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "app/TFormMain.h"
#include "core/IniFile.h"
#include "dialogs/GuiText.h"
#include "dialogs/Help.h"
#include "zip/Prompts.h"

namespace gui {

namespace {
constexpr int kHelpMainWindow = 1;
}

void TFormMain::BuildTray() {
  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName("PopupMenu2");
  QAction* open = PopupMenu2->addAction("Open main window");
  open->setObjectName("OpenMainWindow1");
  PopupMenu2->addSeparator();
  menuEnDis = PopupMenu2->addAction("Disabled all scheduling");
  menuEnDis->setObjectName("menuEnDis");
  menuBackup = PopupMenu2->addMenu("Backup Project");
  menuBackup->setObjectName("menuBackup");
  PopupMenu2->addSeparator();
  QAction* help = PopupMenu2->addAction("Help...              F1");
  help->setObjectName("Help3");
  QAction* exit = PopupMenu2->addAction("E&xit");
  exit->setObjectName("Exit1");
  connect(open, &QAction::triggered, this, [this] { OpenMainWindow1Click(); });
  connect(menuEnDis, &QAction::triggered, this, [this] { menuEnDisClick(); });
  connect(help, &QAction::triggered, this, [] { ShowHelp(kHelpMainWindow); });
  connect(exit, &QAction::triggered, this, [this] { SpExitClick(); });

  RxTrayIcon1 = new QSystemTrayIcon(this);
  RxTrayIcon1->setObjectName("RxTrayIcon1");
  RxTrayIcon1->setToolTip("Tessaly VIR Ovaruz. Right-click to backup");
  RxTrayIcon1->setContextMenu(PopupMenu2);
  RxTrayIcon1->setIcon(QIcon(":/icons/forauto.svg"));
  connect(RxTrayIcon1, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger) OpenMainWindow1Click();
          });
  if (QSystemTrayIcon::isSystemTrayAvailable()) RxTrayIcon1->show();
}

void TFormMain::RefreshSchedule() {
  Timer1->stop();
  const core::IniDocument ini = core::IniFile(folder_.ProjectIni()).Load();
  const QIcon clock(":/icons/clock.svg");
  const QList<QAction*> items = menuBackup->actions();
  for (int i = 0; i < items.size() && i < comboProject->count(); ++i) {
    const bool scheduled = core::IsProjectScheduled(ini, S(comboProject->itemText(i)));
    items[i]->setIcon(scheduled ? clock : QIcon());
    comboProject->setItemIcon(i, scheduled ? clock : QIcon());
  }
  core::ScheduleTable table = core::BuildScheduleTable(settings_.projects, ini, Now());
  if (table.empty()) return;
  table_ = std::move(table);
  Timer1->start();
}

void TFormMain::Timer1Timer() {
  core::TickGate gate;
  gate.schedulingEnabled = spEnable->isChecked();
  gate.editMode = editMode_;
  gate.runBusy = busy_ || runStarting_ || closeAfterRun_;
  core::RunScheduleTick(table_, gate, [this] { return Now(); }, settings_.projects,
                        settings_.promptBeforeBackup, [this](const std::string& project) {
                          MakeProjectCurrent(project);
                          return SpStartClick() != core::BackupOutcome::Invalid;
                        });
}

void TFormMain::spEnableClick() {
  if (!spEnable->isChecked() &&
      zip::ShowMessageBox("Do you want to disable all scheduling?", S(windowTitle()),
                          zip::MsgKind::Warning, zip::MsgButtons::YesNo) != zip::MsgResult::Yes)
    spEnable->setChecked(true);
  ShowSchedulingState();
}

void TFormMain::menuEnDisClick() {
  spEnable->setChecked(!spEnable->isChecked());
  spEnableClick();
}

void TFormMain::ShowSchedulingState() {
  const bool on = spEnable->isChecked();
  const QString text = on ? "Enabled Scheduling" : "Disabled Scheduling";
  spEnable->setToolTip(text);
  menuEnDis->setText(text);
  const QIcon icon(on ? ":/icons/forauto.svg" : ":/icons/fornormal.svg");
  spEnable->setIcon(icon);
  QApplication::setWindowIcon(icon);
  setWindowIcon(icon);
  RxTrayIcon1->setIcon(icon);
}

void TFormMain::RebuildBackupMenu() {
  menuBackup->clear();
  for (int i = 0; i < comboProject->count(); ++i) {
    const std::string name = S(comboProject->itemText(i));
    QAction* item = menuBackup->addAction(Q(name));
    connect(item, &QAction::triggered, this, [this, name] { BackupMenuItemClick(name); });
  }
  ApplyControlStates();
}

void TFormMain::MakeProjectCurrent(const std::string& project) {
  // Loaded from the file even when it is current already: another program may have moved its
  // running number on.
  loadingBox_ = true;
  comboProject->setCurrentIndex(comboProject->findText(Q(project), Qt::MatchFixedString));
  loadingBox_ = false;
  comboProjectChange();
}

void TFormMain::BackupMenuItemClick(const std::string& project) {
  if (busy_ || runStarting_) return;
  if (editMode_) {
    // Loading the chosen project would throw the unsaved edits away.
    zip::ShowMessageBox("Please save or cancel the project being edited first.",
                        S(windowTitle()), zip::MsgKind::Information, zip::MsgButtons::OK);
    return;
  }
  MakeProjectCurrent(project);
  SpStartClick();
}

void TFormMain::OpenMainWindow1Click() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void TFormMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !(windowState() & Qt::WindowMinimized))
    return;
  if (startMinimized_) {
    startMinimized_ = false;
    return;
  }
  // Without a tray the taskbar button is the only way back, so it stays.
  if (QSystemTrayIcon::isSystemTrayAvailable() && RxTrayIcon1->isVisible())
    QTimer::singleShot(0, this, [this] { hide(); });
}

}  // namespace gui
