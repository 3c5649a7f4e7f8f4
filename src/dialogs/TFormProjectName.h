// TFormProjectName: the six-step add-project wizard. Nothing is written before Finish; Finish
// writes the new project's record and the project list, and Cancel discards everything.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "core/ProjectWizard.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTimeEdit;

namespace gui {

class TFormProjectName : public QDialog {
  Q_OBJECT
 public:
  // settings: the main window's held settings (its project list for the name check and the new
  // list, the padding for the preview); folder: where Finish writes.
  TFormProjectName(const core::GlobalSettings& settings, const core::DataFolder& folder,
                   QWidget* parent = nullptr);

  int Step() const;  // 1 to 6
  // The inputs as the wizard's model.
  core::WizardModel Model() const;
  // The name Finish wrote (empty before).
  const std::string& FinishedName() const { return finishedName_; }

  void btnBackClick();
  // Runs the check of the step shown; on success shows the next step, or finishes on step 6.
  void btnNextClick();
  void Notebook1PageChanged();
  void Button1Click();  // help of the step shown
  void SpSelectDirectoryClick();
  void EditPrefixChange();  // rebuilds the preview
  void RadioUseNoneClick();
  void radioNoneClick();
  void CheckBoxPasswordClick();
  void CheckBoxcommentClick();
  void radioyesClick();
  void CheckBoxAddNewerClick();
  void CheckBoxTodayClick();
  void ComposeWizardFileName();

 private:
  void ShowStep(int step);
  // Writes the record and the list; closes with OK unless the write failed.
  void Finish();

  core::GlobalSettings settings_;
  core::DataFolder folder_;
  std::string saveFolder_;
  std::string finishedName_;

  QStackedWidget* notebook1_;
  QPushButton* btnBack_;
  QPushButton* btnNext_;
  // Step 1.
  QLineEdit* comboproject_;
  // Step 2.
  QListWidget* listboxBackup_;
  QCheckBox* radioyes_;
  QCheckBox* checkBoxAddNewer_;
  QDateEdit* dateTimePickerToday_;
  QTimeEdit* dateTimePickerTime_;
  QCheckBox* checkBoxToday_;
  // Step 3.
  QListWidget* listBoxNobackup_;
  QLabel* labelYesOrNo_;
  // Step 4.
  QLineEdit* editPrefix_;
  QRadioButton* radioUseNone_;
  QRadioButton* radioUseDate_;
  QRadioButton* radioUserNumber_;
  QSpinBox* rxSpinvalue_;
  QLabel* labelIncrease_;
  QSpinBox* rxSpinIncrease_;
  QLineEdit* editFilename_;
  // Step 5.
  QCheckBox* checkBoxPassword_;
  QLabel* labelPassword_;
  QLineEdit* editPassword_;
  QLabel* labelConfirm_;
  QLineEdit* editConfirmPassword_;
  QCheckBox* checkBoxcomment_;
  QLineEdit* editcomment_;
  QCheckBox* checkBoxpath_;
  QSlider* trackBar1_;
  QSpinBox* spStore_;
  // Step 6.
  QRadioButton* radioNone_;
  QRadioButton* radioOnce_;
  QRadioButton* radioDaily_;
  QRadioButton* radioWeekly_;
  QTimeEdit* dateTimePicker1_;
  QSpinBox* spinEditNumber_;
  QLabel* cbhour_;
  QComboBox* cbWeekly_;
};

// Runs the wizard modally over the main window's held settings and the data folder. Returns the
// new project's name when Finish wrote it, nothing after Cancel. The caller then reloads the
// global settings, which makes the new project current.
std::optional<std::string> RunProjectWizard(QWidget* parent, const core::DataFolder& folder,
                                            const core::GlobalSettings& settings);

}  // namespace gui
