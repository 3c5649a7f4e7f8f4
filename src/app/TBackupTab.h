// TBackupTab: the Backup tab of the main window: the four group boxes (Source, Destination,
// Options, Schedule) bound to the core's model of the tab, with the option handlers' enabling
// rules and the archive name composed as inputs change.
#pragma once

#include <QWidget>
#include <functional>

#include "core/GlobalSettings.h"
#include "core/ProjectRecord.h"
#include "core/ScheduleInputs.h"
#include "zip/DateTime.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTimeEdit;
class QToolButton;

namespace gui {

class TBackupTab : public QWidget {
  Q_OBJECT
 public:
  // settings: the main window's held settings (padding of the running number); clock: now.
  TBackupTab(const core::GlobalSettings& settings, std::function<zip::DateTime()> clock,
             QWidget* parent = nullptr);

  // Shows the model in the inputs and applies the enabling rules.
  void Show(const core::BackupTabModel& model);
  // Reads the inputs into the model (the current save path is the tab's own).
  void ReadInto(core::BackupTabModel& model) const;
  // Enables (edit mode) or disables (browse mode) the four group boxes.
  void SetGroupsEnabled(bool enabled);
  // Gives the source list the focus and selects its first entry, when it has one.
  void FocusFirstSource();
  // Composes the file-name field from the inputs (ComposeArchiveName).
  void ComposeArchiveName();
  // Clears prefix, file name and both lists (no project left).
  void ClearProject();

  // Called when the folder button is pressed (SpSelectDirectoryClick lives in the main window).
  std::function<void()> onSelectDirectory;

  void SetCurrentSavePath(const std::string& path) { currentSavePath_ = path; }
  const std::string& CurrentSavePath() const { return currentSavePath_; }

  // The inputs, named as the program's forms name them.
  QGroupBox *GroupSource, *GroupDes, *GroupOption, *GroupSche;
  QListWidget *ListboxBackup, *ListBoxNobackup;
  QCheckBox* radioyes;
  QCheckBox *CheckBoxAddNewer, *CheckBoxToday;
  QDateEdit* DateTimePickerToday;
  QTimeEdit* DateTimePickerTime;
  QLineEdit *EditPrefix, *EditFilename;
  QRadioButton *RadioUseNone, *RadioUseDate, *RadioUserNumber;
  QSpinBox *rxSpinvalue, *RxSpinIncrease;
  QLabel* LabelNextIncrease;
  QToolButton* SpSelectDirectory;
  QCheckBox *CheckBoxPassword, *CheckBoxpath, *CheckBoxcomment;
  QLineEdit *EditPassword, *EditConfirmPassword, *Editcomment;
  QSlider* Trackbar1;
  QSpinBox* spStore;
  QRadioButton *radioNone, *radioOnce, *radioDaily, *radioWeekly;
  QTimeEdit* DateTimePicker1;
  QSpinBox* SpinEditNumber;
  QComboBox* cbWeekly;

 private:
  QWidget* BuildSource();
  QWidget* BuildDestination();
  QWidget* BuildOptions();
  QWidget* BuildSchedule();
  QWidget* ListButtons(QListWidget* list, const char* names[6]);
  void ApplyEnabling();
  // What the schedule inputs show now.
  core::ScheduleInputs CurrentScheduleInputs() const;
  void RadioUseNoneClick();
  void radioNoneClick();

  const core::GlobalSettings& settings_;
  std::function<zip::DateTime()> clock_;
  std::string currentSavePath_;
  bool showing_ = false;
};

}  // namespace gui
