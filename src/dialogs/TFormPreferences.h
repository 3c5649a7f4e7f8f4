// TFormPreferences: the program-wide settings (start at login, start minimised, log limit,
// number padding, the question before a backup, what to do when the archive exists). Apply
// stores them all at once; Close changes nothing.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "core/DataFolder.h"
#include "core/GlobalSettings.h"

class QCheckBox;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace gui {

class TFormPreferences : public QDialog {
  Q_OBJECT
 public:
  // Fills the dialog: start at login from the autostart entry of executable, Is Minimized from
  // the folder's project.ini, the other five from the settings the main window holds.
  TFormPreferences(const core::GlobalSettings& held, const core::DataFolder& folder,
                   std::string executable, QWidget* parent = nullptr);

  // Enables "Run Minimized" exactly while "Run ... when windows starts" is checked.
  void cbRunClick();
  // Writes (or removes) the autostart entry and stores all seven settings, then closes with OK.
  // When the entry cannot be written, says so and keeps the stored Auto Run and Is Minimized;
  // the others are still stored and taken.
  void btnApplyClick();

  // The held settings with the dialog's values (meaningful after Apply).
  const core::GlobalSettings& Result() const { return result_; }

 private:
  core::GlobalSettings result_;
  core::DataFolder folder_;
  std::string executable_;
  QTabWidget* tabs_;
  QCheckBox* cbRun_;
  QCheckBox* cbMini_;
  QSpinBox* logSpinEdit_;
  QCheckBox* cbWidth_;
  QSpinBox* spinEdit1_;
  QCheckBox* cbprompt_;
  QRadioButton* rbOverwrite_;
  QRadioButton* rbSkip_;
};

// Runs Preferences over the settings the main window holds. After Apply, settings takes the
// dialog's values, onLogCount (if set) gets the new log limit, and the result is true; after
// Close, nothing changes and the result is false.
bool RunPreferences(QWidget* parent, core::GlobalSettings& settings,
                    const std::function<void(int logCount)>& onLogCount);

}  // namespace gui
