// The Backup tab: layout of its four group boxes and the binding of their inputs to the model.
#include "app/TBackupTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/Schedule.h"
#include "core/ScheduleInputs.h"
#include "dialogs/GuiText.h"
#include "dialogs/SourceListCommands.h"

namespace gui {

namespace {

QDate ToQDate(const zip::DateTime& t) {
  const zip::DateParts p = t.Parts();
  return QDate(p.year, p.month, p.day);
}

QTime ToQTime(const zip::DateTime& t) {
  const zip::DateParts p = t.Parts();
  return QTime(p.hour, p.minute, p.second);
}

zip::DateTime FromQt(const QDate& d, const QTime& t) {
  return zip::DateTime::FromParts(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second())
      .value_or(zip::DateTime());
}

QToolButton* SmallButton(QWidget* parent, const char* name, const QString& hint,
                         const QIcon& icon) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setIcon(icon);
  b->setAutoRaise(true);
  return b;
}

QGroupBox* Group(const char* name, const QString& caption, QWidget* parent) {
  auto* g = new QGroupBox(caption, parent);
  g->setObjectName(name);
  QFont bold = g->font();
  bold.setBold(true);
  g->setFont(bold);
  return g;
}

// Children of a bold group box take the regular face.
void RegularFont(QWidget* w) {
  QFont f = w->font();
  f.setBold(false);
  w->setFont(f);
}

}  // namespace

TBackupTab::TBackupTab(const core::GlobalSettings& settings, std::function<zip::DateTime()> clock,
                       QWidget* parent)
    : QWidget(parent), settings_(settings), clock_(std::move(clock)) {
  setObjectName("Tabbackup");
  auto* grid = new QGridLayout(this);
  grid->addWidget(BuildSource(), 0, 0);
  grid->addWidget(BuildDestination(), 1, 0);
  grid->addWidget(BuildOptions(), 0, 1);
  grid->addWidget(BuildSchedule(), 1, 1);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);
  grid->setRowStretch(0, 1);
  for (QGroupBox* g : {GroupSource, GroupDes, GroupOption, GroupSche})
    for (QWidget* child : g->findChildren<QWidget*>()) RegularFont(child);
  SetGroupsEnabled(false);
  ApplyEnabling();
}

QWidget* TBackupTab::ListButtons(QListWidget* list, const char* names[6]) {
  auto* column = new QWidget(this);
  auto* v = new QVBoxLayout(column);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(1);
  struct Button {
    QString hint;
    QIcon icon;
    void (*command)(QListWidget*);
  };
  const Button buttons[6] = {
      {"Select files by wildcard", QIcon(":/icons/pattern.svg"), &AddEntryByWildcard},
      {"Select files by filename", QIcon(":/icons/file.svg"), &AddEntriesByFileName},
      {"Up a item", style()->standardIcon(QStyle::SP_ArrowUp), &MoveEntryUp},
      {"Down a item", style()->standardIcon(QStyle::SP_ArrowDown), &MoveEntryDown},
      {"Delete a item", QIcon(":/icons/delete.svg"), &DeleteSelectedEntry},
      {"Delete all items", QIcon(":/icons/cancel.svg"), &DeleteAllEntries},
  };
  for (int i = 0; i < 6; ++i) {
    QToolButton* b = SmallButton(column, names[i], buttons[i].hint, buttons[i].icon);
    auto command = buttons[i].command;
    connect(b, &QToolButton::clicked, this, [list, command] { command(list); });
    v->addWidget(b);
  }
  v->addStretch();
  return column;
}

QWidget* TBackupTab::BuildSource() {
  GroupSource = Group("GroupSource", "Source", this);
  auto* grid = new QGridLayout(GroupSource);
  ListboxBackup = new QListWidget(GroupSource);
  ListboxBackup->setObjectName("ListboxBackup");
  ListBoxNobackup = new QListWidget(GroupSource);
  ListBoxNobackup->setObjectName("ListBoxNobackup");
  for (QListWidget* l : {ListboxBackup, ListBoxNobackup}) {
    l->setIconSize(QSize(14, 14));
    l->setMinimumWidth(300);
  }
  ListboxBackup->setMinimumHeight(96);
  ListBoxNobackup->setMinimumHeight(64);
  static const char* backupNames[6] = {"Button1", "Button2", "SpeedButton3",
                                       "SpeedButton4", "Button4", "SpeedButton1"};
  static const char* excludeNames[6] = {"Button6", "Button3", "SpeedButton6",
                                        "SpeedButton5", "Button5", "SpeedButton2"};
  grid->addWidget(new QLabel("Select files to backup", GroupSource), 0, 0, 1, 2);
  grid->addWidget(ListboxBackup, 1, 0);
  grid->addWidget(ListButtons(ListboxBackup, backupNames), 1, 1);
  radioyes = new QCheckBox(
      "Include Subdirectories ( if checked, it will also look for the files in subfolders )",
      GroupSource);
  radioyes->setObjectName("radioyes");
  grid->addWidget(radioyes, 2, 0, 1, 2);

  auto* newer = new QHBoxLayout;
  CheckBoxAddNewer = new QCheckBox("Only files newer than", GroupSource);
  CheckBoxAddNewer->setObjectName("CheckBoxAddNewer");
  DateTimePickerToday = new QDateEdit(GroupSource);
  DateTimePickerToday->setObjectName("DateTimePickerToday");
  DateTimePickerToday->setDisplayFormat("yyyy-MM-dd");
  DateTimePickerToday->setCalendarPopup(true);
  DateTimePickerTime = new QTimeEdit(GroupSource);
  DateTimePickerTime->setObjectName("DateTimePickerTime");
  DateTimePickerTime->setDisplayFormat("HH:mm:ss");
  CheckBoxToday = new QCheckBox("Use last backup date", GroupSource);
  CheckBoxToday->setObjectName("CheckBoxToday");
  newer->addWidget(CheckBoxAddNewer);
  newer->addWidget(DateTimePickerToday);
  newer->addWidget(DateTimePickerTime);
  newer->addWidget(CheckBoxToday);
  newer->addStretch();
  grid->addLayout(newer, 3, 0, 1, 2);

  grid->addWidget(new QLabel("Select files to exclude", GroupSource), 4, 0, 1, 2);
  grid->addWidget(ListBoxNobackup, 5, 0);
  grid->addWidget(ListButtons(ListBoxNobackup, excludeNames), 5, 1);
  grid->setRowStretch(1, 3);
  grid->setRowStretch(5, 2);

  connect(CheckBoxAddNewer, &QCheckBox::toggled, this, [this] { ApplyEnabling(); });
  connect(CheckBoxToday, &QCheckBox::toggled, this, [this] { ApplyEnabling(); });
  return GroupSource;
}

QWidget* TBackupTab::BuildDestination() {
  GroupDes = Group("GroupDes", "Destination", this);
  auto* grid = new QGridLayout(GroupDes);
  EditPrefix = new QLineEdit(GroupDes);
  EditPrefix->setObjectName("EditPrefix");
  grid->addWidget(new QLabel("Prefix:", GroupDes), 0, 0);
  grid->addWidget(EditPrefix, 0, 1, 1, 5);

  RadioUseNone = new QRadioButton("None", GroupDes);
  RadioUseNone->setObjectName("RadioUseNone");
  RadioUseDate = new QRadioButton("Date", GroupDes);
  RadioUseDate->setObjectName("RadioUseDate");
  RadioUserNumber = new QRadioButton("Number", GroupDes);
  RadioUserNumber->setObjectName("RadioUserNumber");
  RadioUserNumber->setChecked(true);
  rxSpinvalue = new QSpinBox(GroupDes);
  rxSpinvalue->setObjectName("rxSpinvalue");
  rxSpinvalue->setRange(1, 1000);
  RxSpinIncrease = new QSpinBox(GroupDes);
  RxSpinIncrease->setObjectName("RxSpinIncrease");
  RxSpinIncrease->setRange(1, 1000);
  LabelNextIncrease = new QLabel("Next increase:", GroupDes);
  auto* suffix = new QHBoxLayout;
  suffix->addWidget(RadioUseNone);
  suffix->addWidget(RadioUseDate);
  suffix->addWidget(RadioUserNumber);
  suffix->addWidget(rxSpinvalue);
  suffix->addSpacing(16);
  suffix->addWidget(LabelNextIncrease);
  suffix->addWidget(RxSpinIncrease);
  suffix->addStretch();
  grid->addWidget(new QLabel("Suffix:", GroupDes), 1, 0);
  grid->addLayout(suffix, 1, 1, 1, 5);

  EditFilename = new QLineEdit(GroupDes);
  EditFilename->setObjectName("EditFilename");
  SpSelectDirectory = SmallButton(GroupDes, "SpSelectDirectory", "Select directory to save",
                                  QIcon(":/icons/folder.svg"));
  grid->addWidget(new QLabel("Filename:", GroupDes), 3, 0);
  grid->addWidget(EditFilename, 3, 1, 1, 4);
  grid->addWidget(SpSelectDirectory, 3, 5);
  grid->setColumnStretch(5, 0);
  grid->setColumnStretch(1, 1);

  for (QRadioButton* r : {RadioUseNone, RadioUseDate, RadioUserNumber})
    connect(r, &QRadioButton::toggled, this, [this](bool on) {
      if (on) RadioUseNoneClick();
    });
  connect(EditPrefix, &QLineEdit::textChanged, this, [this] { ComposeArchiveName(); });
  connect(rxSpinvalue, &QSpinBox::valueChanged, this, [this] { ComposeArchiveName(); });
  connect(RxSpinIncrease, &QSpinBox::valueChanged, this, [this] { ComposeArchiveName(); });
  connect(SpSelectDirectory, &QToolButton::clicked, this, [this] {
    if (onSelectDirectory) onSelectDirectory();
  });
  return GroupDes;
}

QWidget* TBackupTab::BuildOptions() {
  GroupOption = Group("GroupOption", "Options", this);
  auto* grid = new QGridLayout(GroupOption);
  CheckBoxPassword = new QCheckBox("Use password protect Zip file:", GroupOption);
  CheckBoxPassword->setObjectName("CheckBoxPassword");
  EditPassword = new QLineEdit(GroupOption);
  EditPassword->setObjectName("EditPassword");
  EditConfirmPassword = new QLineEdit(GroupOption);
  EditConfirmPassword->setObjectName("EditConfirmPassword");
  for (QLineEdit* e : {EditPassword, EditConfirmPassword}) e->setEchoMode(QLineEdit::Password);
  grid->addWidget(CheckBoxPassword, 0, 0, 1, 3);
  grid->addWidget(new QLabel("Enter Password:", GroupOption), 1, 0);
  grid->addWidget(EditPassword, 1, 1, 1, 2);
  grid->addWidget(new QLabel("Retype Password:", GroupOption), 2, 0);
  grid->addWidget(EditConfirmPassword, 2, 1, 1, 2);
  CheckBoxpath = new QCheckBox("Save full path information to Zip", GroupOption);
  CheckBoxpath->setObjectName("CheckBoxpath");
  grid->addWidget(CheckBoxpath, 3, 0, 1, 3);
  CheckBoxcomment = new QCheckBox("Add comment:", GroupOption);
  CheckBoxcomment->setObjectName("CheckBoxcomment");
  Editcomment = new QLineEdit(GroupOption);
  Editcomment->setObjectName("Editcomment");
  grid->addWidget(CheckBoxcomment, 4, 0);
  grid->addWidget(Editcomment, 4, 1, 1, 2);
  Trackbar1 = new QSlider(Qt::Horizontal, GroupOption);
  Trackbar1->setObjectName("Trackbar1");
  Trackbar1->setRange(0, 9);
  Trackbar1->setValue(7);
  Trackbar1->setTickPosition(QSlider::TicksBelow);
  Trackbar1->setPageStep(1);
  Trackbar1->setToolTip("A value of 9 has the highest compression ratio");
  grid->addWidget(new QLabel("Compression ratio:", GroupOption), 5, 0);
  grid->addWidget(Trackbar1, 5, 1, 1, 2);
  spStore = new QSpinBox(GroupOption);
  spStore->setObjectName("spStore");
  spStore->setRange(2, 50000);
  spStore->setValue(50);
  auto* keep = new QHBoxLayout;
  keep->addWidget(new QLabel("Only keep the last ", GroupOption));
  keep->addWidget(spStore);
  keep->addWidget(new QLabel("backups", GroupOption));
  keep->addStretch();
  grid->addLayout(keep, 6, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(7, 1);

  connect(CheckBoxPassword, &QCheckBox::toggled, this, [this] { ApplyEnabling(); });
  connect(CheckBoxcomment, &QCheckBox::toggled, this, [this] { ApplyEnabling(); });
  return GroupOption;
}

QWidget* TBackupTab::BuildSchedule() {
  GroupSche = Group("GroupSche", "Schedule", this);
  auto* grid = new QGridLayout(GroupSche);
  radioNone = new QRadioButton("None", GroupSche);
  radioNone->setObjectName("radioNone");
  radioNone->setChecked(true);
  radioOnce = new QRadioButton("Daily once at", GroupSche);
  radioOnce->setObjectName("radioOnce");
  radioDaily = new QRadioButton("Daily every", GroupSche);
  radioDaily->setObjectName("radioDaily");
  radioWeekly = new QRadioButton("Weekly every on", GroupSche);
  radioWeekly->setObjectName("radioWeekly");
  DateTimePicker1 = new QTimeEdit(QTime(12, 0, 0), GroupSche);
  DateTimePicker1->setObjectName("DateTimePicker1");
  DateTimePicker1->setDisplayFormat("HH:mm:ss");
  SpinEditNumber = new QSpinBox(GroupSche);
  SpinEditNumber->setObjectName("SpinEditNumber");
  SpinEditNumber->setRange(2, 1000);
  SpinEditNumber->setValue(2);
  cbWeekly = new QComboBox(GroupSche);
  cbWeekly->setObjectName("cbWeekly");
  for (int d = 0; d < 7; ++d) cbWeekly->addItem(Q(std::string(core::WeekDayName(d))));
  cbWeekly->setCurrentIndex(-1);
  auto* cbhour = new QLabel("minutes", GroupSche);
  cbhour->setObjectName("cbhour");
  grid->addWidget(radioNone, 0, 0);
  grid->addWidget(radioOnce, 1, 0);
  grid->addWidget(DateTimePicker1, 1, 1);
  auto* later = new QLabel("later", GroupSche);
  later->setObjectName("Label12");
  grid->addWidget(later, 1, 2);
  grid->addWidget(radioDaily, 2, 0);
  grid->addWidget(SpinEditNumber, 2, 1);
  grid->addWidget(cbhour, 2, 2);
  grid->addWidget(radioWeekly, 3, 0);
  grid->addWidget(cbWeekly, 3, 1);
  auto* noon = new QLabel("12:00:00", GroupSche);
  noon->setObjectName("Label13");
  grid->addWidget(noon, 3, 2);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(4, 1);
  for (QRadioButton* r : {radioNone, radioOnce, radioDaily, radioWeekly})
    connect(r, &QRadioButton::toggled, this, [this](bool on) {
      if (on) radioNoneClick();
    });
  return GroupSche;
}

core::ScheduleInputs TBackupTab::CurrentScheduleInputs() const {
  core::ScheduleInputs s;
  s.mode = radioNone->isChecked() ? 3 : radioWeekly->isChecked() ? 2 : radioDaily->isChecked() ? 1 : 0;
  s.timeOfDay = DateTimePicker1->time().msecsSinceStartOfDay() / 1000;
  s.minutes = SpinEditNumber->value();
  s.weekDay = cbWeekly->currentIndex();
  return s;
}

void TBackupTab::RadioUseNoneClick() {
  ApplyEnabling();
  ComposeArchiveName();
}

void TBackupTab::radioNoneClick() {
  if (radioWeekly->isChecked() && cbWeekly->currentIndex() < 0) cbWeekly->setCurrentIndex(0);
  ApplyEnabling();
}

void TBackupTab::ApplyEnabling() {
  core::BackupTabModel m;
  ReadInto(m);
  const core::BackupTabEnablement e = core::ComputeEnablement(m);
  rxSpinvalue->setEnabled(e.numberBoxes);
  RxSpinIncrease->setEnabled(e.numberBoxes);
  LabelNextIncrease->setEnabled(e.numberBoxes);
  EditPassword->setEnabled(e.editPassword);
  EditConfirmPassword->setEnabled(e.editConfirmPassword);
  Editcomment->setEnabled(e.editcomment);
  CheckBoxToday->setEnabled(e.checkBoxToday);
  DateTimePickerToday->setEnabled(e.dateTimePickerToday);
  DateTimePickerTime->setEnabled(e.dateTimePickerTime);
  DateTimePicker1->setEnabled(radioOnce->isChecked());
  SpinEditNumber->setEnabled(radioDaily->isChecked());
  GroupSche->findChild<QLabel*>("cbhour")->setEnabled(radioDaily->isChecked());
  cbWeekly->setEnabled(radioWeekly->isChecked());
}

void TBackupTab::ComposeArchiveName() {
  if (showing_) return;
  core::BackupTabModel m;
  ReadInto(m);
  core::ComposeTabFileName(m, settings_, clock_ ? clock_() : zip::DateTime::Now());
  EditFilename->setText(Q(m.editFilename));
}

void TBackupTab::Show(const core::BackupTabModel& m) {
  showing_ = true;
  EditPrefix->setText(Q(m.editPrefix));
  RadioUseNone->setChecked(m.radioUseNone);
  RadioUseDate->setChecked(m.radioUseDate);
  RadioUserNumber->setChecked(m.radioUserNumber);
  rxSpinvalue->setValue(m.rxSpinvalue.value);
  RxSpinIncrease->setValue(m.rxSpinIncrease.value);
  currentSavePath_ = m.currentSavePath;
  EditFilename->setText(Q(m.editFilename));
  SetEntries(ListboxBackup, m.listboxBackup);
  SetEntries(ListBoxNobackup, m.listBoxNobackup);
  radioyes->setChecked(m.radioyes);
  CheckBoxPassword->setChecked(m.checkBoxPassword);
  EditPassword->setText(Q(m.editPassword));
  EditConfirmPassword->setText(Q(m.editConfirmPassword));
  CheckBoxpath->setChecked(m.checkBoxpath);
  CheckBoxcomment->setChecked(m.checkBoxcomment);
  Editcomment->setText(Q(m.editcomment));

  core::ScheduleInputs s = CurrentScheduleInputs();
  core::LoadScheduleInputs(m.backupMode, m.startTimeOrIncrease, s);
  DateTimePicker1->setTime(QTime::fromMSecsSinceStartOfDay(static_cast<int>(s.timeOfDay) * 1000));
  SpinEditNumber->setValue(s.minutes);
  QRadioButton* modes[4] = {radioOnce, radioDaily, radioWeekly, radioNone};
  if (s.mode >= 0 && s.mode <= 3) modes[s.mode]->setChecked(true);
  // After the radio button: a stored day that matches none leaves no day selected.
  cbWeekly->setCurrentIndex(s.weekDay);

  Trackbar1->setValue(m.trackbar1.value);
  spStore->setValue(m.spStore.value);
  CheckBoxAddNewer->setChecked(m.checkBoxAddNewer);
  CheckBoxToday->setChecked(m.checkBoxToday);
  DateTimePickerToday->setDate(ToQDate(m.dateTimePickerToday));
  DateTimePickerTime->setTime(ToQTime(m.dateTimePickerTime));
  showing_ = false;
  ApplyEnabling();
}

void TBackupTab::ReadInto(core::BackupTabModel& m) const {
  m.editPrefix = S(EditPrefix->text());
  m.radioUseNone = RadioUseNone->isChecked();
  m.radioUseDate = RadioUseDate->isChecked();
  m.radioUserNumber = RadioUserNumber->isChecked();
  m.rxSpinvalue.Set(rxSpinvalue->value());
  m.rxSpinIncrease.Set(RxSpinIncrease->value());
  m.currentSavePath = currentSavePath_;
  m.editFilename = S(EditFilename->text());
  m.listboxBackup = Entries(ListboxBackup);
  m.listBoxNobackup = Entries(ListBoxNobackup);
  m.radioyes = radioyes->isChecked();
  m.checkBoxPassword = CheckBoxPassword->isChecked();
  m.editPassword = S(EditPassword->text());
  m.editConfirmPassword = S(EditConfirmPassword->text());
  m.checkBoxpath = CheckBoxpath->isChecked();
  m.checkBoxcomment = CheckBoxcomment->isChecked();
  m.editcomment = S(Editcomment->text());
  const core::ScheduleInputs s = CurrentScheduleInputs();
  core::StoreScheduleInputs(s, m.backupMode, m.startTimeOrIncrease);
  m.trackbar1.Set(Trackbar1->value());
  m.spStore.Set(spStore->value());
  m.checkBoxAddNewer = CheckBoxAddNewer->isChecked();
  m.checkBoxToday = CheckBoxToday->isChecked();
  m.dateTimePickerToday = FromQt(DateTimePickerToday->date(), QTime(0, 0, 0));
  m.dateTimePickerTime = FromQt(DateTimePickerToday->date(), DateTimePickerTime->time());
}

void TBackupTab::SetGroupsEnabled(bool enabled) {
  for (QGroupBox* g : {GroupSource, GroupDes, GroupOption, GroupSche}) g->setEnabled(enabled);
}

void TBackupTab::FocusFirstSource() {
  if (!GroupSource->isEnabled() || ListboxBackup->count() == 0) return;
  ListboxBackup->setFocus();
  ListboxBackup->setCurrentRow(0);
}

void TBackupTab::ClearProject() {
  showing_ = true;
  EditPrefix->clear();
  EditFilename->clear();
  ListboxBackup->clear();
  ListBoxNobackup->clear();
  showing_ = false;
}

}  // namespace gui
