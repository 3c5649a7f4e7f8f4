// The add-project wizard's window: six pages in a page book, Back / Next / Cancel, and the
// handlers that keep the inputs' enabled states and the archive-name preview up to date.
#include "dialogs/TFormProjectName.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/IniFileError.h"
#include "core/Schedule.h"
#include "dialogs/GuiText.h"
#include "dialogs/Help.h"
#include "dialogs/QtPrompts.h"
#include "dialogs/SourceListCommands.h"
#include "zip/Prompts.h"
#include "zip/Text.h"

namespace gui {

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

QLabel* Label(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
}

// A page with its heading and a rule under it; the caller fills the returned layout.
QVBoxLayout* NewPage(QStackedWidget* book, const char* heading) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* title = Label(heading, page);
  QFont font = title->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.25);
  title->setFont(font);
  auto* rule = new QFrame(page);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  layout->addWidget(title);
  layout->addWidget(rule);
  book->addWidget(page);
  return layout;
}

// The names of the six command buttons of a source list, in the order wildcard, file name, up,
// down, delete, delete all.
struct ListButtonNames {
  const char* names[6];
};

// A source list with its six command buttons in a column beside it.
QHBoxLayout* SourceList(QWidget* parent, QListWidget* list, const ListButtonNames& names) {
  struct Command {
    const char* hint;
    QStyle::StandardPixmap icon;
    void (*run)(QListWidget*);
  };
  const Command commands[6] = {
      {"Select files by wildcard", QStyle::SP_FileDialogContentsView, AddEntryByWildcard},
      {"Select files by filename", QStyle::SP_FileIcon, AddEntriesByFileName},
      {"Up a item", QStyle::SP_ArrowUp, MoveEntryUp},
      {"Down a item", QStyle::SP_ArrowDown, MoveEntryDown},
      {"Delete a item", QStyle::SP_DialogDiscardButton, DeleteSelectedEntry},
      {"Delete all items", QStyle::SP_TrashIcon, DeleteAllEntries},
  };
  auto* buttons = new QVBoxLayout;
  for (int i = 0; i < 6; ++i) {
    auto* button = Named(new QToolButton(parent), names.names[i]);
    button->setToolTip(QLatin1String(commands[i].hint));
    button->setIcon(parent->style()->standardIcon(commands[i].icon));
    button->setAutoRaise(true);
    auto run = commands[i].run;
    QObject::connect(button, &QToolButton::clicked, list, [list, run] { run(list); });
    buttons->addWidget(button);
    if (i == 1 || i == 3) buttons->addSpacing(8);
  }
  buttons->addStretch();
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* row = new QHBoxLayout;
  row->addWidget(list, 1);
  row->addLayout(buttons);
  return row;
}

zip::DateTime DateOf(const QDate& date) {
  return zip::DateTime::FromParts(date.year(), date.month(), date.day()).value_or(zip::DateTime());
}

zip::DateTime TimeOf(const QTime& time) {
  return zip::DateTime::FromParts(1980, 1, 1, time.hour(), time.minute(), time.second())
      .value_or(zip::DateTime());
}

}  // namespace

TFormProjectName::TFormProjectName(const core::GlobalSettings& settings,
                                   const core::DataFolder& folder, QWidget* parent)
    : QDialog(parent), settings_(settings), folder_(folder) {
  setObjectName(QStringLiteral("TFormProjectName"));
  setWindowTitle(QStringLiteral("Add Project Wizard"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  const core::WizardModel defaults = core::NewWizardModel();
  saveFolder_ = defaults.saveFolder;

  notebook1_ = Named(new QStackedWidget(this), "Notebook1");

  // Step 1.
  {
    QVBoxLayout* page = NewPage(notebook1_, "Project name");
    QWidget* w = page->parentWidget();
    comboproject_ = Named(new QLineEdit(w), "comboproject");
    page->addSpacing(12);
    page->addWidget(Label("Please enter new project name:", w));
    page->addWidget(comboproject_);
    page->addStretch();
  }
  // Step 2.
  {
    QVBoxLayout* page = NewPage(notebook1_, "Select files to backup");
    QWidget* w = page->parentWidget();
    page->addWidget(Label("You can select files by filename or wildcard", w));
    listboxBackup_ = Named(new QListWidget(w), "ListboxBackup");
    page->addLayout(SourceList(w, listboxBackup_,
                               {{"SpeedButton1", "SpeedButton2", "SpeedButton10", "SpeedButton11",
                                 "Button4", "SpeedButton3"}}),
                    1);
    radioyes_ =
        Named(new QCheckBox(
                  QStringLiteral("Include Subfolders (if checked,it will also look for files in "
                                 "subfolders)"),
                  w),
              "radioyes");
    radioyes_->setChecked(true);
    checkBoxAddNewer_ =
        Named(new QCheckBox(QStringLiteral("Add only files newer than"), w), "CheckBoxAddNewer");
    dateTimePickerToday_ = Named(new QDateEdit(QDate(1980, 1, 1), w), "DateTimePickerToday");
    dateTimePickerToday_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dateTimePickerToday_->setCalendarPopup(true);
    dateTimePickerTime_ = Named(new QTimeEdit(QTime(0, 0, 0), w), "DateTimePickerTime");
    dateTimePickerTime_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    checkBoxToday_ = Named(new QCheckBox(QStringLiteral("Next use the last backup date-time"), w),
                           "CheckBoxToday");
    auto* newer = new QHBoxLayout;
    newer->addWidget(checkBoxAddNewer_);
    newer->addWidget(dateTimePickerToday_);
    newer->addWidget(dateTimePickerTime_);
    newer->addStretch();
    page->addWidget(radioyes_);
    page->addLayout(newer);
    auto* today = new QHBoxLayout;
    today->addSpacing(20);
    today->addWidget(checkBoxToday_);
    page->addLayout(today);
  }
  // Step 3.
  {
    QVBoxLayout* page = NewPage(notebook1_, "Select files to exclude");
    QWidget* w = page->parentWidget();
    page->addWidget(Label("You can select files by filename or wildcard  ( Option )", w));
    listBoxNobackup_ = Named(new QListWidget(w), "ListBoxNobackup");
    page->addLayout(SourceList(w, listBoxNobackup_,
                               {{"SpeedButton4", "SpeedButton5", "SpeedButton8", "SpeedButton9",
                                 "SpeedButton6", "SpeedButton7"}}),
                    1);
    labelYesOrNo_ = Named(Label("Subdirectories are included", w), "LabelYesOrNo");
    page->addWidget(labelYesOrNo_);
  }
  // Step 4.
  {
    QVBoxLayout* page = NewPage(notebook1_, "Select location to store backup");
    QWidget* w = page->parentWidget();
    page->addWidget(Label("Backup filename can be auto created based on prefix and suffix ", w));
    auto* prefixGroup = new QGroupBox(QStringLiteral("Prefix"), w);
    editPrefix_ = Named(new QLineEdit(prefixGroup), "EditPrefix");
    (new QVBoxLayout(prefixGroup))->addWidget(editPrefix_);

    auto* suffixGroup = new QGroupBox(QStringLiteral("Suffix"), w);
    radioUseNone_ = Named(new QRadioButton(QStringLiteral("None"), suffixGroup), "RadioUseNone");
    radioUseDate_ = Named(new QRadioButton(QStringLiteral("Date"), suffixGroup), "RadioUseDate");
    radioUserNumber_ =
        Named(new QRadioButton(QStringLiteral("Number"), suffixGroup), "RadioUserNumber");
    radioUserNumber_->setChecked(true);
    rxSpinvalue_ = Named(new QSpinBox(suffixGroup), "rxSpinvalue");
    rxSpinvalue_->setRange(1, 1000);
    rxSpinvalue_->setValue(defaults.tab.rxSpinvalue.value);
    labelIncrease_ = Label("Next increase:", suffixGroup);
    rxSpinIncrease_ = Named(new QSpinBox(suffixGroup), "RxSpinIncrease");
    rxSpinIncrease_->setRange(1, 1000);
    rxSpinIncrease_->setValue(defaults.tab.rxSpinIncrease.value);
    auto* suffix = new QHBoxLayout(suffixGroup);
    suffix->addWidget(radioUseNone_);
    suffix->addWidget(radioUseDate_);
    suffix->addWidget(radioUserNumber_);
    suffix->addWidget(rxSpinvalue_);
    suffix->addSpacing(12);
    suffix->addWidget(labelIncrease_);
    suffix->addWidget(rxSpinIncrease_);
    suffix->addStretch();

    auto* fileGroup = new QGroupBox(QStringLiteral("Filename"), w);
    editFilename_ = Named(new QLineEdit(fileGroup), "EditFilename");
    auto* select = Named(new QPushButton(QStringLiteral("Select directory to save"), fileGroup),
                         "SpSelectDirectory");
    select->setAutoDefault(false);
    auto* file = new QVBoxLayout(fileGroup);
    file->addWidget(editFilename_);
    auto* selectRow = new QHBoxLayout;
    selectRow->addStretch();
    selectRow->addWidget(select);
    file->addLayout(selectRow);

    page->addWidget(prefixGroup);
    page->addWidget(suffixGroup);
    page->addWidget(fileGroup);
    page->addStretch();
    connect(select, &QPushButton::clicked, this, &TFormProjectName::SpSelectDirectoryClick);
  }
  // Step 5.
  {
    QVBoxLayout* page = NewPage(notebook1_, "Options");
    QWidget* w = page->parentWidget();
    checkBoxPassword_ = Named(new QCheckBox(QStringLiteral("Use password protect Zip file"), w),
                              "CheckBoxPassword");
    labelPassword_ = Label("Enter password:", w);
    editPassword_ = Named(new QLineEdit(w), "EditPassword");
    labelConfirm_ = Label("Retype password:", w);
    editConfirmPassword_ = Named(new QLineEdit(w), "EditConfirmPassword");
    for (QLineEdit* edit : {editPassword_, editConfirmPassword_}) {
      edit->setEchoMode(QLineEdit::Password);
    }
    auto* passwords = new QGridLayout;
    passwords->setColumnMinimumWidth(0, 20);
    passwords->addWidget(labelPassword_, 0, 1);
    passwords->addWidget(editPassword_, 0, 2);
    passwords->addWidget(labelConfirm_, 1, 1);
    passwords->addWidget(editConfirmPassword_, 1, 2);

    checkBoxcomment_ =
        Named(new QCheckBox(QStringLiteral("Add comment to Zip file:"), w), "CheckBoxcomment");
    editcomment_ = Named(new QLineEdit(w), "Editcomment");
    auto* comment = new QHBoxLayout;
    comment->addSpacing(20);
    comment->addWidget(editcomment_);

    checkBoxpath_ = Named(new QCheckBox(QStringLiteral("Store full path information (from the "
                                                       "root folder) with all files added"),
                                        w),
                          "CheckBoxpath");
    checkBoxpath_->setChecked(true);

    trackBar1_ = Named(new QSlider(Qt::Horizontal, w), "TrackBar1");
    trackBar1_->setRange(0, 9);
    trackBar1_->setSingleStep(1);
    trackBar1_->setPageStep(1);
    trackBar1_->setTickInterval(1);
    trackBar1_->setTickPosition(QSlider::TicksBelow);
    trackBar1_->setValue(defaults.tab.trackbar1.value);
    auto* level = new QHBoxLayout;
    level->addWidget(Label("Compression ratio:", w));
    level->addWidget(Label("(None)", w));
    level->addWidget(trackBar1_, 1);
    level->addWidget(Label("(Max)", w));

    spStore_ = Named(new QSpinBox(w), "spStore");
    spStore_->setRange(2, 50000);
    spStore_->setValue(defaults.tab.spStore.value);
    auto* keep = new QHBoxLayout;
    keep->addWidget(Label("Keep the last ", w));
    keep->addWidget(spStore_);
    keep->addWidget(Label("backups (if exceeds, the oldest backups deleted)", w));
    keep->addStretch();

    page->addWidget(checkBoxPassword_);
    page->addLayout(passwords);
    page->addSpacing(6);
    page->addWidget(checkBoxcomment_);
    page->addLayout(comment);
    page->addSpacing(6);
    page->addWidget(checkBoxpath_);
    page->addSpacing(6);
    page->addLayout(level);
    page->addLayout(keep);
    page->addStretch();
  }
  // Step 6.
  {
    QVBoxLayout* page = NewPage(notebook1_, "Schedule");
    QWidget* w = page->parentWidget();
    page->addWidget(
        Label("You can customize a schedule for project to launch the\n"
              "backup operation within a specified time automatically.",
              w));
    radioNone_ = Named(new QRadioButton(QStringLiteral("None"), w), "radioNone");
    radioNone_->setChecked(true);
    radioOnce_ = Named(new QRadioButton(QStringLiteral("Occurs daily once at"), w), "radioOnce");
    radioDaily_ = Named(new QRadioButton(QStringLiteral("Occurs daily every"), w), "radioDaily");
    radioWeekly_ =
        Named(new QRadioButton(QStringLiteral("Occurs weekly every on"), w), "radioWeekly");
    dateTimePicker1_ = Named(new QTimeEdit(QTime(12, 0, 0), w), "DateTimePicker1");
    dateTimePicker1_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    spinEditNumber_ = Named(new QSpinBox(w), "SpinEditNumber");
    spinEditNumber_->setRange(2, 1000);
    spinEditNumber_->setValue(defaults.spinEditNumber.value);
    cbhour_ = Named(Label("minutes", w), "cbhour");
    cbWeekly_ = Named(new QComboBox(w), "cbWeekly");
    for (int day = 0; day < 7; ++day)
      cbWeekly_->addItem(QString::fromUtf8(core::WeekDayName(day).data(),
                                           static_cast<qsizetype>(core::WeekDayName(day).size())));
    cbWeekly_->setCurrentIndex(-1);

    auto* grid = new QGridLayout;
    grid->addWidget(radioNone_, 0, 0);
    grid->addWidget(radioOnce_, 1, 0);
    grid->addWidget(dateTimePicker1_, 1, 1);
    grid->addWidget(Label("later", w), 1, 2);
    grid->addWidget(radioDaily_, 2, 0);
    grid->addWidget(spinEditNumber_, 2, 1);
    grid->addWidget(cbhour_, 2, 2);
    grid->addWidget(radioWeekly_, 3, 0);
    grid->addWidget(cbWeekly_, 3, 1);
    grid->addWidget(Label("12:00:00", w), 3, 2);
    grid->setColumnStretch(3, 1);
    grid->setVerticalSpacing(10);
    page->addSpacing(8);
    page->addLayout(grid);
    page->addStretch();
  }

  auto* help = Named(new QPushButton(QStringLiteral("Help"), this), "Button1");
  btnBack_ = Named(new QPushButton(QStringLiteral("Back"), this), "btnBack");
  btnNext_ = Named(new QPushButton(QStringLiteral("Next"), this), "btnNext");
  auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "btnClose");
  help->setAutoDefault(false);
  btnBack_->setAutoDefault(false);
  cancel->setAutoDefault(false);
  btnNext_->setDefault(true);
  btnBack_->setEnabled(false);

  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(help);
  buttons->addStretch();
  buttons->addWidget(btnBack_);
  buttons->addWidget(btnNext_);
  buttons->addSpacing(12);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(notebook1_);
  layout->addWidget(rule);
  layout->addLayout(buttons);
  notebook1_->setFixedSize(560, 400);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(notebook1_, &QStackedWidget::currentChanged, this,
          &TFormProjectName::Notebook1PageChanged);
  connect(help, &QPushButton::clicked, this, &TFormProjectName::Button1Click);
  connect(btnBack_, &QPushButton::clicked, this, &TFormProjectName::btnBackClick);
  connect(btnNext_, &QPushButton::clicked, this, &TFormProjectName::btnNextClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(editPrefix_, &QLineEdit::textChanged, this, &TFormProjectName::EditPrefixChange);
  connect(rxSpinvalue_, &QSpinBox::valueChanged, this, &TFormProjectName::EditPrefixChange);
  connect(rxSpinIncrease_, &QSpinBox::valueChanged, this, &TFormProjectName::EditPrefixChange);
  for (QRadioButton* r : {radioUseNone_, radioUseDate_, radioUserNumber_})
    connect(r, &QRadioButton::toggled, this, &TFormProjectName::RadioUseNoneClick);
  for (QRadioButton* r : {radioNone_, radioOnce_, radioDaily_, radioWeekly_})
    connect(r, &QRadioButton::toggled, this, &TFormProjectName::radioNoneClick);
  connect(checkBoxPassword_, &QCheckBox::toggled, this, &TFormProjectName::CheckBoxPasswordClick);
  connect(checkBoxcomment_, &QCheckBox::toggled, this, &TFormProjectName::CheckBoxcommentClick);
  connect(radioyes_, &QCheckBox::toggled, this, &TFormProjectName::radioyesClick);
  connect(checkBoxAddNewer_, &QCheckBox::toggled, this, &TFormProjectName::CheckBoxAddNewerClick);
  connect(checkBoxToday_, &QCheckBox::toggled, this, &TFormProjectName::CheckBoxTodayClick);

  // The enabled states of a fresh wizard.
  CheckBoxAddNewerClick();
  RadioUseNoneClick();
  CheckBoxPasswordClick();
  CheckBoxcommentClick();
  radioNoneClick();
  ShowStep(1);
  Notebook1PageChanged();
  comboproject_->setFocus();
}

int TFormProjectName::Step() const {
  return notebook1_->currentIndex() + 1;
}

core::WizardModel TFormProjectName::Model() const {
  core::WizardModel m = core::NewWizardModel();
  core::BackupTabModel& t = m.tab;
  m.comboproject = S(comboproject_->text());
  t.listboxBackup = Entries(listboxBackup_);
  t.radioyes = radioyes_->isChecked();
  t.checkBoxAddNewer = checkBoxAddNewer_->isChecked();
  t.checkBoxToday = checkBoxToday_->isChecked();
  t.dateTimePickerToday = DateOf(dateTimePickerToday_->date());
  t.dateTimePickerTime = TimeOf(dateTimePickerTime_->time());
  t.listBoxNobackup = Entries(listBoxNobackup_);
  t.editPrefix = S(editPrefix_->text());
  t.radioUseNone = radioUseNone_->isChecked();
  t.radioUseDate = radioUseDate_->isChecked();
  t.radioUserNumber = radioUserNumber_->isChecked();
  t.rxSpinvalue.Set(rxSpinvalue_->value());
  t.rxSpinIncrease.Set(rxSpinIncrease_->value());
  m.saveFolder = saveFolder_;
  t.editFilename = S(editFilename_->text());
  t.checkBoxPassword = checkBoxPassword_->isChecked();
  t.editPassword = S(editPassword_->text());
  t.editConfirmPassword = S(editConfirmPassword_->text());
  t.checkBoxcomment = checkBoxcomment_->isChecked();
  t.editcomment = S(editcomment_->text());
  t.checkBoxpath = checkBoxpath_->isChecked();
  t.trackbar1.Set(trackBar1_->value());
  t.spStore.Set(spStore_->value());
  m.scheduleMode = radioNone_->isChecked()     ? core::kScheduleNone
                   : radioWeekly_->isChecked() ? core::kScheduleWeekly
                   : radioDaily_->isChecked()  ? core::kScheduleEveryMinutes
                                               : core::kScheduleDailyAt;
  m.dateTimePicker1 = TimeOf(dateTimePicker1_->time());
  m.spinEditNumber.Set(spinEditNumber_->value());
  m.cbWeekly = cbWeekly_->currentIndex() < 0 ? std::string() : S(cbWeekly_->currentText());
  return m;
}

void TFormProjectName::ShowStep(int step) {
  notebook1_->setCurrentIndex(step - 1);
}

void TFormProjectName::Notebook1PageChanged() {
  setWindowTitle(Q(core::WizardStepCaption(Step())));
}

void TFormProjectName::btnBackClick() {
  if (Step() > 1) {
    ShowStep(Step() - 1);
    if (Step() == 1) btnBack_->setEnabled(false);
  }
  btnNext_->setText(QStringLiteral("Next"));
}

void TFormProjectName::btnNextClick() {
  // Numbers still being typed count as the boxes show them.
  for (QSpinBox* box : {rxSpinvalue_, rxSpinIncrease_, spStore_, spinEditNumber_})
    box->interpretText();
  const int step = Step();
  core::WizardModel model = Model();
  if (const auto message = core::CheckWizardStep(step, model, settings_.projects)) {
    ShowMessage(*message, zip::MsgKind::Error);
    return;
  }
  if (step == 1 && model.tab.editPrefix != S(editPrefix_->text()))
    editPrefix_->setText(Q(model.tab.editPrefix));
  if (step == core::kWizardSteps) {
    Finish();
    return;
  }
  ShowStep(step + 1);
  btnBack_->setEnabled(true);
  if (Step() == core::kWizardSteps) btnNext_->setText(QStringLiteral("Finish"));
}

void TFormProjectName::Button1Click() {
  ShowHelp(core::WizardHelpContext(Step()));
}

void TFormProjectName::SpSelectDirectoryClick() {
  zip::FileDialogRequest request;
  request.kind = zip::FileDialogRequest::Kind::Folder;
  request.title = "Please select directory";
  request.initialDir = saveFolder_;
  const std::optional<std::string> chosen = zip::AskForPath(request);
  if (!chosen || zip::Trim(S(comboproject_->text())).empty()) return;
  saveFolder_ = *chosen;
  ComposeWizardFileName();
}

void TFormProjectName::EditPrefixChange() {
  ComposeWizardFileName();
}

void TFormProjectName::RadioUseNoneClick() {
  const bool number = radioUserNumber_->isChecked();
  rxSpinvalue_->setEnabled(number);
  rxSpinIncrease_->setEnabled(number);
  labelIncrease_->setEnabled(number);
  ComposeWizardFileName();
}

void TFormProjectName::radioNoneClick() {
  dateTimePicker1_->setEnabled(radioOnce_->isChecked());
  spinEditNumber_->setEnabled(radioDaily_->isChecked());
  cbhour_->setEnabled(radioDaily_->isChecked());
  cbWeekly_->setEnabled(radioWeekly_->isChecked());
  if (radioWeekly_->isChecked() && cbWeekly_->currentIndex() < 0) cbWeekly_->setCurrentIndex(0);
}

void TFormProjectName::CheckBoxPasswordClick() {
  const bool on = checkBoxPassword_->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{labelPassword_, editPassword_, labelConfirm_,
                                                    editConfirmPassword_})
    w->setEnabled(on);
}

void TFormProjectName::CheckBoxcommentClick() {
  editcomment_->setEnabled(checkBoxcomment_->isChecked());
}

void TFormProjectName::radioyesClick() {
  labelYesOrNo_->setText(radioyes_->isChecked()
                             ? QStringLiteral("Subdirectories are included")
                             : QStringLiteral("Subdirectories are not included"));
}

void TFormProjectName::CheckBoxAddNewerClick() {
  if (checkBoxAddNewer_->isChecked()) {
    checkBoxToday_->setEnabled(true);
    CheckBoxTodayClick();
  } else {
    checkBoxToday_->setEnabled(false);
    dateTimePickerToday_->setEnabled(false);
    dateTimePickerTime_->setEnabled(false);
  }
}

void TFormProjectName::CheckBoxTodayClick() {
  const bool pickers = !checkBoxToday_->isChecked();
  dateTimePickerToday_->setEnabled(pickers);
  dateTimePickerTime_->setEnabled(pickers);
}

void TFormProjectName::ComposeWizardFileName() {
  editFilename_->setText(Q(core::ComposeWizardFileName(Model(), settings_, zip::DateTime::Now())));
}

void TFormProjectName::Finish() {
  try {
    finishedName_ = core::FinishWizard(folder_, Model(), settings_.projects);
  } catch (const core::EIniFileException& e) {
    ShowMessage(e.what(), zip::MsgKind::Error);
    return;
  }
  accept();
}

std::optional<std::string> RunProjectWizard(QWidget* parent, const core::DataFolder& folder,
                                            const core::GlobalSettings& settings) {
  TFormProjectName wizard(settings, folder, parent);
  if (wizard.exec() != QDialog::Accepted) return std::nullopt;
  return wizard.FinishedName();
}

}  // namespace gui
