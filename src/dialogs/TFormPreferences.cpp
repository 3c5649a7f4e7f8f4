// The preferences dialog: General (start at login, log limit) and Backup (padding, question,
// existing archive) tabs.
#include "dialogs/TFormPreferences.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/AutoStart.h"
#include "core/IniFile.h"
#include "dialogs/GuiText.h"
#include "dialogs/Help.h"
#include "dialogs/QtPrompts.h"

namespace gui {

namespace {

QLabel* Label(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
}

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

}  // namespace

TFormPreferences::TFormPreferences(const core::GlobalSettings& held, const core::DataFolder& folder,
                                   std::string executable, QWidget* parent)
    : QDialog(parent), result_(held), folder_(folder), executable_(std::move(executable)) {
  setObjectName(QStringLiteral("TFormPreferences"));
  setWindowTitle(QStringLiteral("Preferences"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  tabs_ = Named(new QTabWidget(this), "PageControl1");

  // General: the Run and Log groups.
  auto* general = new QWidget;
  auto* runGroup = new QGroupBox(QStringLiteral("Run"), general);
  cbRun_ = Named(new QCheckBox(QStringLiteral("Run  VIR Ovaruz when windows starts"), runGroup),
                 "cbRun");
  cbMini_ = Named(new QCheckBox(QStringLiteral("Run Minimized"), runGroup), "cbMini");
  auto* runLayout = new QVBoxLayout(runGroup);
  runLayout->addWidget(cbRun_);
  runLayout->addWidget(cbMini_);

  auto* logGroup = new QGroupBox(QStringLiteral("Log"), general);
  logSpinEdit_ = Named(new QSpinBox(logGroup), "LogSpinEdit");
  logSpinEdit_->setRange(core::kMinLogCount, core::kMaxLogCount);
  auto* logRow = new QHBoxLayout;
  logRow->addWidget(Label("When the log items exceed", logGroup));
  logRow->addWidget(logSpinEdit_);
  logRow->addWidget(Label(",the log", logGroup));
  logRow->addStretch();
  auto* logLayout = new QVBoxLayout(logGroup);
  logLayout->addLayout(logRow);
  logLayout->addWidget(Label("will be cleared except for the last 5 items.", logGroup));

  auto* generalLayout = new QVBoxLayout(general);
  generalLayout->addWidget(runGroup);
  generalLayout->addWidget(logGroup);
  generalLayout->addStretch();
  tabs_->addTab(general, QStringLiteral("General"));

  // Backup: number padding, the question before a backup, an existing archive.
  auto* backup = new QWidget;
  cbWidth_ =
      Named(new QCheckBox(QStringLiteral("If filename suffix is number,when number width"), backup),
            "cbWidth");
  spinEdit1_ = Named(new QSpinBox(backup), "SpinEdit1");
  spinEdit1_->setRange(2, 30);
  auto* widthRow = new QHBoxLayout;
  widthRow->addSpacing(20);
  widthRow->addWidget(Label("is less than", backup));
  widthRow->addWidget(spinEdit1_);
  widthRow->addWidget(Label(", append 0 before number", backup));
  widthRow->addStretch();
  cbprompt_ = Named(new QCheckBox(QStringLiteral("Prompt before start backup a project"), backup),
                    "cbprompt");
  auto* existsGroup = new QGroupBox(QStringLiteral("When  backup, if  filename exists:"), backup);
  rbOverwrite_ = Named(new QRadioButton(QStringLiteral("Overwrite"), existsGroup), "rbOverwrite");
  rbSkip_ = Named(new QRadioButton(QStringLiteral("Skip"), existsGroup), "rbSkip");
  auto* existsLayout = new QHBoxLayout(existsGroup);
  existsLayout->addWidget(rbOverwrite_);
  existsLayout->addWidget(rbSkip_);
  existsLayout->addStretch();

  auto* backupLayout = new QVBoxLayout(backup);
  backupLayout->addWidget(cbWidth_);
  backupLayout->addLayout(widthRow);
  backupLayout->addSpacing(8);
  backupLayout->addWidget(cbprompt_);
  backupLayout->addSpacing(8);
  backupLayout->addWidget(existsGroup);
  backupLayout->addStretch();
  tabs_->addTab(backup, QStringLiteral("Backup"));

  auto* help = Named(new QPushButton(QStringLiteral("H&elp"), this), "btnHelp");
  help->setAutoDefault(false);
  auto* apply = Named(new QPushButton(QStringLiteral("&Apply"), this), "btnApply");
  apply->setAutoDefault(false);
  auto* close = Named(new QPushButton(QStringLiteral("Clo&se"), this), "btnClose");
  close->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(help);
  buttons->addStretch();
  buttons->addWidget(apply);
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(cbRun_, &QCheckBox::toggled, this, &TFormPreferences::cbRunClick);
  connect(help, &QPushButton::clicked, this, [] { ShowHelp(601); });
  connect(apply, &QPushButton::clicked, this, &TFormPreferences::btnApplyClick);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  // Start at login shows whether the entry really starts this program; Is Minimized comes from
  // the file; the rest from the main window's held values.
  tabs_->setCurrentIndex(0);
  cbRun_->setChecked(core::IsAutoStartEnabled(executable_));
  cbMini_->setChecked(
      core::IniFile(folder_.ProjectIni()).ReadBool(core::kCommonSection, "Is Minimized", false));
  cbRunClick();
  cbprompt_->setChecked(held.promptBeforeBackup);
  cbWidth_->setChecked(held.isAppend0);
  spinEdit1_->setValue(held.width);
  rbOverwrite_->setChecked(held.isOverWrite);
  rbSkip_->setChecked(!held.isOverWrite);
  logSpinEdit_->setValue(held.logCount);
}

void TFormPreferences::cbRunClick() {
  cbMini_->setEnabled(cbRun_->isChecked());
}

void TFormPreferences::btnApplyClick() {
  // A number still being typed is taken as the box shows it once it loses the focus.
  logSpinEdit_->interpretText();
  spinEdit1_->interpretText();

  core::GlobalSettings s = result_;
  s.autoRun = cbRun_->isChecked();
  s.isMinimized = cbMini_->isChecked();
  s.promptBeforeBackup = cbprompt_->isChecked();
  s.isAppend0 = cbWidth_->isChecked();
  s.width = spinEdit1_->value();
  s.isOverWrite = rbOverwrite_->isChecked();
  s.logCount = logSpinEdit_->value();

  if (s.autoRun) {
    try {
      core::EnableAutoStart(executable_);
    } catch (const core::EAutoStartError& e) {
      ShowMessage(e.what(), zip::MsgKind::Error);
      const core::IniDocument stored = core::IniFile(folder_.ProjectIni()).Load();
      s.autoRun = stored.ReadBool(core::kCommonSection, "Auto Run", false);
      s.isMinimized = stored.ReadBool(core::kCommonSection, "Is Minimized", false);
    }
  } else {
    // Removing fails silently: the keys still say the program does not start at login.
    core::DisableAutoStart();
  }
  try {
    core::SavePreferences(folder_, s);
  } catch (const core::EIniFileException& e) {
    // The main window still takes the values and stores them at exit.
    ShowMessage(e.what(), zip::MsgKind::Error);
  }
  result_ = s;
  accept();
}

bool RunPreferences(QWidget* parent, core::GlobalSettings& settings,
                    const std::function<void(int)>& onLogCount) {
  TFormPreferences form(settings, core::DataFolder::Current(),
                        S(QCoreApplication::applicationFilePath()), parent);
  if (form.exec() != QDialog::Accepted) return false;
  settings = form.Result();
  if (onLogCount) onLogCount(settings.logCount);
  return true;
}

}  // namespace gui
