// The add-project wizard without its widgets: the inputs with a fresh wizard's defaults, the check
// each step runs when Next leaves it, the archive-name preview, and the record and project-list
// keys that Finish writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "core/ProjectRecord.h"
#include "zip/DateTime.h"

namespace core {

inline constexpr int kWizardSteps = 6;

// Everything the wizard's pages hold. Steps 2 to 5 use the Backup tab's model (the same keys with
// the same encodings); its schedule fields are filled from step 6 at Finish.
struct WizardModel {
  std::string comboproject;  // step 1: the name as typed
  BackupTabModel tab;        // steps 2 to 5
  std::string saveFolder;    // the folder of the preview, chosen with "Select directory to save"
  // Step 6.
  int scheduleMode = kScheduleNone;
  zip::DateTime dateTimePicker1;  // its time of day is the daily time
  NumberBox spinEditNumber{2, 1000, 20};
  std::string cbWeekly;  // the chosen day name; empty while none is chosen
};

// A fresh wizard: no name, empty lists, subfolders on, newer-files filter off at
// 1980-01-01 00:00:00, Number suffix with next number and step 1, no password, no comment, full
// paths on, level 6, keep 50, no schedule (daily time 12:00:00, every 20 minutes, no day), the
// home folder as save folder. The preview is not composed yet.
WizardModel NewWizardModel();

// "Add project wizard - Step N of 6".
std::string WizardStepCaption(int step);

// The help context of a step: 301 to 306.
inline int WizardHelpContext(int step) {
  return 300 + step;
}

// The check run when Next leaves step (1 to 6), against the listed projects. Returns the message
// that keeps the page, or nothing. Passing step 1 fills an empty (after trimming) prefix with
// the name as typed.
std::optional<std::string> CheckWizardStep(int step, WizardModel& model,
                                           const std::vector<std::string>& projects);

// The archive-name preview: the trimmed save folder with a trailing separator (nothing when
// empty), the trimmed prefix, the suffix (now for Date, the next number padded as the settings
// say for Number) and ".zip".
std::string ComposeWizardFileName(const WizardModel& model, const GlobalSettings& settings,
                                  const zip::DateTime& now);

// The project name Finish uses: the step 1 text, trimmed.
std::string WizardProjectName(const WizardModel& model);

// The record Finish writes. Save Path is the folder part of the trimmed preview, or the save
// folder when the preview names no folder (a bare file name would send archives to whatever the
// current directory is). The password is stored, scrambled with the project's key, only when
// the box is checked and the trimmed password is not blank; the comment only when its box is
// checked and it is not blank.
ProjectRecord WizardRecord(const WizardModel& model);

// Finish: in one replacement of project.ini, replaces any section of the new name by the
// wizard's record, then writes Last Project and the project list (projects plus the new name,
// sorted) to Common. Returns the name. Throws EIniFileException when project.ini cannot be
// written (nothing is changed then) and std::invalid_argument when the name is empty.
std::string FinishWizard(const DataFolder& folder, const WizardModel& model,
                         const std::vector<std::string>& projects);

}  // namespace core
