// The main window: construction, start-up and exit, project handling and the backup command.
#include "app/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QShowEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/TBackupTab.h"
#include "app/TLogGrid.h"
#include "core/IniFile.h"
#include "core/ProjectCommands.h"
#include "dialogs/GuiText.h"
#include "dialogs/Help.h"
#include "dialogs/TFormPreferences.h"
#include "dialogs/TFormProjectName.h"
#include "dialogs/TFormRename.h"
#include "restore/TRestoreTab.h"
#include "zip/Paths.h"
#include "zip/Prompts.h"
#include "zip/Text.h"

// The program's icons live in a static library; their registration must be pulled in by name.
static void InitResources() { Q_INIT_RESOURCE(ovaruz); }

namespace gui {

namespace {

const char kCaption[] = "Tessaly VIR Ovaruz  V1.12";
const char kWebsite[] = "https://example.org/tessaly-vir-ovaruz";
constexpr int kHelpMainWindow = 1;
constexpr int kHelpBackupTab = 41;
constexpr int kHelpRestoreTab = 6;

QToolButton* ToolButton(QToolBar* bar, const char* name, const char* hint, const char* icon,
                        const char* themeIcon) {
  auto* b = new QToolButton(bar);
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setIcon(QIcon::fromTheme(themeIcon, QIcon(QString(":/icons/%1.svg").arg(icon))));
  b->setIconSize(QSize(22, 22));
  b->setAutoRaise(true);
  bar->addWidget(b);
  return b;
}

}  // namespace

TFormMain::TFormMain(const core::DataFolder& folder, std::function<zip::DateTime()> clock,
                     QWidget* parent)
    : QMainWindow(parent), folder_(folder), clock_(std::move(clock)) {
  InitResources();
  setObjectName("TFormMain");
  setWindowTitle(kCaption);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  BuildToolBar();

  auto* central = new QWidget(this);
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(4, 2, 4, 4);
  PageControl1 = new QTabWidget(central);
  PageControl1->setObjectName("PageControl1");
  backupTab_ = new TBackupTab(settings_, [this] { return Now(); }, PageControl1);
  backupTab_->onSelectDirectory = [this] { SpSelectDirectoryClick(); };
  restoreTab_ = new TRestoreTab(*this, PageControl1);
  restoreTab_->onRestoreRequested = [this] { SpRestoreClick(); };
  logGrid_ = new TLogGrid(PageControl1);
  logGrid_->onClearAll = [this] { Clearalllog1Click(); };
  auto* logPage = new QWidget(PageControl1);
  logPage->setObjectName("TabSheet1");
  auto* logLayout = new QVBoxLayout(logPage);
  logLayout->addWidget(logGrid_);
  PageControl1->addTab(backupTab_, "Backup ");
  PageControl1->addTab(restoreTab_, "Restore");
  PageControl1->addTab(logPage, "Log");
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == 1) Guarded([this] { restoreTab_->PageControl1Change(); });
  });
  ProgressBar1 = new QProgressBar(central);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setMaximumHeight(14);
  v->addWidget(PageControl1);
  v->addWidget(ProgressBar1);
  setCentralWidget(central);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(30000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  BuildMenus();
  BuildTray();

  // FormCreate: settings, the log grid's size, the log, the start-minimised state.
  Guarded([this] { LoadGlobalSettings(); });
  logGrid_->SetLogCount(settings_.logCount);
  Guarded([this] { LoadLog(); });
  ApplyControlStates();
  adjustSize();
  setFixedSize(sizeHint().expandedTo(QSize(779, 543)));
}

TFormMain::~TFormMain() = default;

void TFormMain::BuildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName("ToolBar");
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setContextMenuPolicy(Qt::PreventContextMenu);
  auto* label = new QLabel("Project:", bar);
  label->setContentsMargins(4, 0, 4, 0);
  bar->addWidget(label);
  comboProject = new QComboBox(bar);
  comboProject->setObjectName("comboProject");
  comboProject->setMinimumWidth(200);
  comboProject->setIconSize(QSize(16, 16));
  bar->addWidget(comboProject);
  connect(comboProject, &QComboBox::currentIndexChanged, this, [this] {
    if (!loadingBox_) Guarded([this] { comboProjectChange(); });
  });
  SpNew = ToolButton(bar, "SpNew", "Add Project", "new", "document-new");
  SpEdit = ToolButton(bar, "SpEdit", "Edit Project", "edit", "document-edit");
  SpSave = ToolButton(bar, "SpSave", "Save Project", "save", "document-save");
  SpCancel = ToolButton(bar, "SpCancel", "Cancel ", "cancel", "dialog-cancel");
  bar->addSeparator();
  SpRename = ToolButton(bar, "SpRename", "Rename Project", "rename", "edit-rename");
  spCopy = ToolButton(bar, "spCopy", "Copy Project", "copy", "edit-copy");
  SpDelete = ToolButton(bar, "SpDelete", "Delete Project", "delete", "edit-delete");
  bar->addSeparator();
  SpMenu = ToolButton(bar, "SpMenu", "Menu", "menu", "open-menu");
  spEnable = ToolButton(bar, "spEnable", "Enable Scheduling", "forauto", "");
  spEnable->setCheckable(true);
  spEnable->setChecked(true);
  bar->addSeparator();
  SpStart = ToolButton(bar, "SpStart", "Create Backup", "start", "");
  SpRestore = ToolButton(bar, "SpRestore", "Restore File", "restore", "");
  auto* spacer = new QWidget(bar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  bar->addWidget(spacer);
  SpExit = ToolButton(bar, "SpExit", "Exit", "exit", "application-exit");
  addToolBar(Qt::TopToolBarArea, bar);

  connect(SpNew, &QToolButton::clicked, this, [this] { Guarded([this] { SpNewClick(); }); });
  connect(SpEdit, &QToolButton::clicked, this, [this] { SpEditClick(); });
  connect(SpSave, &QToolButton::clicked, this, [this] { Guarded([this] { SpSaveClick(); }); });
  connect(SpCancel, &QToolButton::clicked, this, [this] { Guarded([this] { SpCancelClick(); }); });
  connect(SpRename, &QToolButton::clicked, this, [this] { Guarded([this] { SpRenameClick(); }); });
  connect(spCopy, &QToolButton::clicked, this, [this] { Guarded([this] { spCopyClick(); }); });
  connect(SpDelete, &QToolButton::clicked, this, [this] { Guarded([this] { SpDeleteClick(); }); });
  connect(spEnable, &QToolButton::clicked, this, [this] { spEnableClick(); });
  connect(SpStart, &QToolButton::clicked, this, [this] { SpStartClick(); });
  connect(SpRestore, &QToolButton::clicked, this, [this] { SpRestoreClick(); });
  connect(SpExit, &QToolButton::clicked, this, [this] { SpExitClick(); });
}

void TFormMain::BuildMenus() {
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  menuPreferences = PopupMenu1->addAction("Preferences...");
  menuPreferences->setObjectName("menuPreferences");
  PopupMenu1->addSeparator();
  QAction* website = PopupMenu1->addAction("Visits Website...");
  website->setObjectName("Help1");
  QAction* help = PopupMenu1->addAction("Help...");
  help->setObjectName("Help2");
  help->setShortcut(QKeySequence(Qt::Key_F1));
  help->setShortcutContext(Qt::ApplicationShortcut);
  addAction(help);
  QAction* about = PopupMenu1->addAction("About...");
  about->setObjectName("About1");
  SpMenu->setMenu(PopupMenu1);
  SpMenu->setPopupMode(QToolButton::InstantPopup);
  connect(menuPreferences, &QAction::triggered, this, [this] {
    Guarded([this] {
      RunPreferences(this, settings_, [this](int logCount) {
        logGrid_->SetLogCount(logCount);
        LoadLog();
      });
      backupTab_->ComposeArchiveName();
    });
  });
  connect(website, &QAction::triggered, this,
          [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebsite))); });
  // The topic of the page in front: the Backup tab, the Restore tab, else the window.
  connect(help, &QAction::triggered, this, [this] {
    const int page = PageControl1->currentIndex();
    ShowHelp(page == 0 ? kHelpBackupTab : page == 1 ? kHelpRestoreTab : kHelpMainWindow);
  });
  connect(about, &QAction::triggered, this, [this] { ShowAbout(); });
}

void TFormMain::ShowAbout() {
  QDialog box(this);
  box.setObjectName("AboutBox");
  box.setWindowTitle("About  Tessaly VIR Ovaruz");
  auto* v = new QVBoxLayout(&box);
  auto* icon = new QLabel(&box);
  icon->setPixmap(QIcon(":/icons/ovaruz.svg").pixmap(48, 48));
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  auto* text = new QLabel(
      "Tessaly VIR Ovaruz V1.12\n\nBackup projects into standard ZIP archives,\n"
      "by hand, from the tray or on a schedule.",
      &box);
  row->addWidget(text);
  v->addLayout(row);
  auto* buttons = new QDialogButtonBox(&box);
  QPushButton* close = buttons->addButton("Cl&ose", QDialogButtonBox::AcceptRole);
  close->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  v->addWidget(buttons);
  box.setFixedSize(box.sizeHint());
  box.exec();
}

zip::DateTime TFormMain::Now() const { return clock_ ? clock_() : zip::DateTime::Now(); }

void TFormMain::Guarded(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    prompts_.ReportError(e.what());
  }
}

std::string TFormMain::ProjectBoxText() const { return S(comboProject->currentText()); }

const core::BackupTabModel& TFormMain::BackupTab() const {
  backupTab_->ReadInto(tab_);
  return tab_;
}

core::RunHooks TFormMain::RunHooks() {
  core::RunHooks hooks;
  hooks.enableRunControls = [this](bool enabled) { EnableRunControls(enabled); };
  hooks.progress = [this](int percent) { ProgressBar1->setValue(percent); };
  hooks.processMessages = [] { QCoreApplication::processEvents(); };
  hooks.clock = [this] { return Now(); };
  return hooks;
}

// ---------------------------------------------------------------- start-up and exit

void TFormMain::FillProjectBox(const std::string& current) {
  loadingBox_ = true;
  comboProject->clear();
  const core::IniDocument ini = core::IniFile(folder_.ProjectIni()).Load();
  const QIcon clock(":/icons/clock.svg");
  for (const std::string& name : settings_.projects)
    comboProject->addItem(core::IsProjectScheduled(ini, name) ? clock : QIcon(), Q(name));
  comboProject->setCurrentIndex(comboProject->findText(Q(current), Qt::MatchFixedString));
  loadingBox_ = false;
}

void TFormMain::LoadGlobalSettings() {
  PageControl1->setCurrentIndex(0);
  settings_ = core::LoadGlobalSettings(folder_, settings_);
  startMinimized_ = settings_.StartMinimized();
  FillProjectBox(settings_.currentProject);
  RebuildBackupMenu();
  spEnable->setChecked(settings_.enableSchedule);
  ShowSchedulingState();
  RefreshSchedule();
  comboProjectChange();
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFormMain::FormShow() {
  const QRect screen = this->screen()->geometry();
  move(screen.x() + (screen.width() - frameGeometry().width()) / 2,
       screen.y() + (screen.height() - frameGeometry().height()) / 2 - 14);
}

void TFormMain::FormClose() {
  Timer1->stop();
  if (comboProject->count() == 0) return;
  settings_.currentProject = ProjectBoxText();
  settings_.enableSchedule = spEnable->isChecked();
  core::SaveGlobalSettings(folder_, settings_);
}

void TFormMain::SpExitClick() { close(); }

void TFormMain::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // The run must end first: leaving now would abandon a half-written archive.
    if (zip::ShowMessageBox("A backup or restore is running. Exit when it has finished?",
                            S(windowTitle()), zip::MsgKind::Confirmation,
                            zip::MsgButtons::YesNo) == zip::MsgResult::Yes)
      closeAfterRun_ = true;
    event->ignore();
    return;
  }
  Guarded([this] { FormClose(); });
  if (RxTrayIcon1) RxTrayIcon1->hide();
  event->accept();
  QApplication::quit();
}

// ---------------------------------------------------------------- projects

void TFormMain::comboProjectChange() {
  if (zip::Trim(ProjectBoxText()).empty()) return;
  core::BackupTabModel model;
  backupTab_->ReadInto(model);
  core::LoadProject(folder_, ProjectBoxText(), settings_, Now(), model);
  tab_ = model;
  backupTab_->Show(model);
  PageControl1->setCurrentIndex(0);
}

void TFormMain::ApplyControlStates() {
  const bool browse = !editMode_ && !busy_;
  for (QWidget* w : {static_cast<QWidget*>(comboProject), static_cast<QWidget*>(SpNew),
                     static_cast<QWidget*>(SpEdit), static_cast<QWidget*>(SpRename),
                     static_cast<QWidget*>(SpDelete), static_cast<QWidget*>(SpStart),
                     static_cast<QWidget*>(SpRestore)})
    w->setEnabled(browse);
  menuPreferences->setEnabled(browse);
  SpSave->setEnabled(editMode_ && !busy_);
  SpCancel->setEnabled(editMode_ && !busy_);
  spCopy->setEnabled(!busy_);
  SpExit->setEnabled(!busy_);
  PageControl1->setEnabled(!busy_);
  backupTab_->SetGroupsEnabled(editMode_);
  for (QAction* item : menuBackup->actions()) item->setEnabled(!busy_);
}

void TFormMain::SetBrowseMode(bool browse) {
  editMode_ = !browse;
  ApplyControlStates();
  backupTab_->FocusFirstSource();
}

void TFormMain::SpEditClick() {
  if (comboProject->count() == 0 || zip::Trim(ProjectBoxText()).empty()) return;
  PageControl1->setCurrentIndex(0);
  SetBrowseMode(false);
}

void TFormMain::SpCancelClick() {
  SetBrowseMode(true);
  comboProjectChange();
}

void TFormMain::SpSaveClick() {
  backupTab_->ReadInto(tab_);
  if (auto message = core::SaveProject(folder_, ProjectBoxText(), tab_)) {
    prompts_.ShowError(*message);
    return;
  }
  backupTab_->Show(tab_);
  SetBrowseMode(true);
  RefreshSchedule();
}

void TFormMain::SpNewClick() {
  PageControl1->setCurrentIndex(0);
  if (!RunProjectWizard(this, folder_, settings_)) return;
  LoadGlobalSettings();
}

std::optional<std::string> TFormMain::AskFreeProjectName(const QString& caption,
                                                         const std::string& current,
                                                         const std::string& proposed) {
  auto name = AskProjectName(this, caption, proposed);
  if (!name) return std::nullopt;
  switch (core::CheckNewProjectName(settings_.projects, current, *name)) {
    case core::NewNameCheck::Taken:
      zip::ShowMessageBox(core::kProjectNameExists, S(windowTitle()), zip::MsgKind::Error,
                          zip::MsgButtons::OK);
      return std::nullopt;
    case core::NewNameCheck::SameProject:
      return std::nullopt;
    case core::NewNameCheck::Free:
      break;
  }
  return name;
}

void TFormMain::ShowSavedProject(const std::string& name) {
  FillProjectBox(name);
  RebuildBackupMenu();
  backupTab_->Show(tab_);
  SetBrowseMode(true);
  RefreshSchedule();
}

void TFormMain::SpRenameClick() {
  const std::string current = zip::Trim(ProjectBoxText());
  if (current.empty()) return;
  auto name = AskFreeProjectName(kRenameCaption, current, current);
  if (!name) return;
  backupTab_->ReadInto(tab_);
  const std::string listed = *core::FindProject(settings_.projects, current);
  if (auto message = core::RenameProject(folder_, settings_.projects, listed, *name, tab_)) {
    prompts_.ShowError(*message);
    return;
  }
  ShowSavedProject(*name);
}

void TFormMain::spCopyClick() {
  const std::string current = zip::Trim(ProjectBoxText());
  if (current.empty()) return;
  auto name = AskFreeProjectName(kCopyCaption, current, "Copy of " + current);
  if (!name) return;
  backupTab_->ReadInto(tab_);
  if (auto message = core::CopyProject(folder_, settings_.projects, *name, tab_)) {
    prompts_.ShowError(*message);
    return;
  }
  ShowSavedProject(*name);
}

void TFormMain::SpDeleteClick() {
  if (comboProject->count() == 0) return;
  const std::string current = zip::Trim(ProjectBoxText());
  if (zip::ShowMessageBox("Do you want to delete '" + current + "' project?", S(windowTitle()),
                          zip::MsgKind::Warning, zip::MsgButtons::YesNo) != zip::MsgResult::Yes)
    return;
  if (comboProject->currentIndex() < 0) return;
  core::DeleteProject(folder_, settings_.projects, S(comboProject->currentText()));
  FillProjectBox(settings_.projects.empty() ? std::string() : settings_.projects.front());
  RebuildBackupMenu();
  if (settings_.projects.empty()) {
    backupTab_->ClearProject();
  } else {
    comboProjectChange();
  }
  RefreshSchedule();
}

void TFormMain::SpSelectDirectoryClick() {
  zip::FileDialogRequest request;
  request.kind = zip::FileDialogRequest::Kind::Folder;
  request.title = "Please select directory";
  auto folder = zip::AskForPath(request);
  if (!folder || zip::Trim(ProjectBoxText()).empty()) return;
  backupTab_->SetCurrentSavePath(*folder);
  backupTab_->ComposeArchiveName();
}

// ---------------------------------------------------------------- runs

void TFormMain::EnableRunControls(bool enabled) {
  const bool wasBusy = busy_;
  busy_ = !enabled;
  ApplyControlStates();
  if (busy_ && !wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!busy_ && wasBusy) QApplication::restoreOverrideCursor();
  // An exit asked for during the run happens now that it has ended.
  if (!busy_ && closeAfterRun_) QTimer::singleShot(0, this, [this] { close(); });
}

core::BackupOutcome TFormMain::SpStartClick() {
  if (busy_ || runStarting_ || comboProject->count() == 0) return core::BackupOutcome::NotStarted;
  // From the first question to the last message no other run may start: the timer and the tray
  // keep working while those boxes are open.
  runStarting_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{runStarting_};
  const int page = PageControl1->currentIndex();
  const std::string project = ProjectBoxText();
  backupTab_->ReadInto(tab_);
  core::BackupTabModel run = tab_;
  const core::BackupResult result =
      core::RunBackup(folder_, project, settings_, run, prompts_, RunHooks());
  if (ProjectBoxText() == project) {
    tab_ = run;
    backupTab_->Show(tab_);
  } else {
    comboProjectChange();
  }
  Guarded([this] { LoadLog(); });
  PageControl1->setCurrentIndex(page);
  if (page == 1) Guarded([this] { restoreTab_->Refresh(); });
  return result.outcome;
}

void TFormMain::SpRestoreClick() {
  if (busy_ || runStarting_) return;
  // Like a backup: no scheduled or tray run starts between the question and the last message.
  runStarting_ = true;
  Guarded([this] { restoreTab_->SpRestoreClick(); });
  runStarting_ = false;
}

// ---------------------------------------------------------------- log

void TFormMain::LoadLog() { logGrid_->ShowLog(core::LoadLog(folder_, settings_.logCount)); }

void TFormMain::Clearalllog1Click() {
  Guarded([this] { core::ClearLog(folder_); });
  LoadLog();
}

}  // namespace gui
