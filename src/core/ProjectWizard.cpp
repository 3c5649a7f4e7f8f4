// The add-project wizard's logic: defaults, step checks, preview and what Finish writes.
#include "core/ProjectWizard.h"

#include <stdexcept>

#include "core/ArchiveName.h"
#include "core/DateText.h"
#include "core/IniFile.h"
#include "core/Schedule.h"
#include "zip/Paths.h"
#include "zip/Text.h"

namespace core {

namespace {

zip::DateTime At(int year, int month, int day, int hour, int minute, int second) {
  return *zip::DateTime::FromParts(year, month, day, hour, minute, second);
}

// The schedule parameter of step 6 as StartTime_or_Increase holds it.
std::string ScheduleValue(const WizardModel& m) {
  switch (m.scheduleMode) {
    case kScheduleDailyAt:
      return FormatTime(m.dateTimePicker1);
    case kScheduleEveryMinutes:
      return std::to_string(m.spinEditNumber.value);
    case kScheduleWeekly:
      return m.cbWeekly;
    default:
      return {};
  }
}

}  // namespace

WizardModel NewWizardModel() {
  WizardModel m;
  BackupTabModel& t = m.tab;
  t.radioUseNone = false;
  t.radioUseDate = false;
  t.radioUserNumber = true;
  t.rxSpinvalue = NumberBox{1, 1000, 1};
  t.rxSpinIncrease = NumberBox{1, 1000, 1};
  t.radioyes = true;
  t.checkBoxPassword = false;
  t.checkBoxpath = true;
  t.checkBoxcomment = false;
  t.trackbar1 = NumberBox{0, 9, 6};
  t.spStore = NumberBox{2, 50000, 50};
  t.checkBoxAddNewer = false;
  t.checkBoxToday = false;
  t.dateTimePickerToday = At(1980, 1, 1, 0, 0, 0);
  t.dateTimePickerTime = At(1980, 1, 1, 0, 0, 0);
  t.backupMode = kScheduleNone;
  m.saveFolder = DefaultSavePath();
  m.dateTimePicker1 = At(1980, 1, 1, 12, 0, 0);
  return m;
}

std::string WizardStepCaption(int step) {
  return "Add project wizard - Step " + std::to_string(step) + " of " +
         std::to_string(kWizardSteps);
}

std::optional<std::string> CheckWizardStep(int step, WizardModel& m,
                                           const std::vector<std::string>& projects) {
  switch (step) {
    case 1: {
      const std::string name = zip::Trim(m.comboproject);
      if (name.empty()) return "Please input a new project name!";
      for (const std::string& listed : projects) {
        if (zip::SameText(zip::Trim(listed), name))
          return "Project '" + name + "' exists,please input another name!";
      }
      if (zip::Trim(m.tab.editPrefix).empty()) m.tab.editPrefix = m.comboproject;
      return std::nullopt;
    }
    case 2:
      if (m.tab.listboxBackup.empty()) return "Please select files to backup";
      return std::nullopt;
    case 4:
      if (zip::Trim(m.tab.editPrefix).empty()) return "Please enter the prefix of backup filename";
      return std::nullopt;
    case 5:
      if (m.tab.checkBoxPassword &&
          zip::Trim(m.tab.editPassword) != zip::Trim(m.tab.editConfirmPassword))
        return "Confirm password is not matching";
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::string ComposeWizardFileName(const WizardModel& m, const GlobalSettings& settings,
                                  const zip::DateTime& now) {
  ArchiveNaming naming;
  naming.saveFolder = m.saveFolder;
  naming.prefix = m.tab.editPrefix;
  naming.suffix = CheckedSuffix(m.tab);
  naming.number = m.tab.rxSpinvalue.value;
  naming.padNumber = settings.isAppend0;
  naming.width = settings.width;
  return ComposeArchiveName(naming, now);
}

std::string WizardProjectName(const WizardModel& m) {
  return zip::Trim(m.comboproject);
}

ProjectRecord WizardRecord(const WizardModel& m) {
  BackupTabModel tab = m.tab;
  tab.backupMode = m.scheduleMode;
  tab.startTimeOrIncrease = ScheduleValue(m);
  ProjectRecord r = RecordFromTab(tab, WizardProjectName(m));
  if (r.savePath.empty()) {
    const std::string folder = zip::Trim(m.saveFolder);
    r.savePath = folder.empty() ? DefaultSavePath() : zip::IncludeTrailingPathDelimiter(folder);
  }
  return r;
}

std::string FinishWizard(const DataFolder& folder, const WizardModel& m,
                         const std::vector<std::string>& projects) {
  const std::string name = WizardProjectName(m);
  if (name.empty()) throw std::invalid_argument("FinishWizard: empty project name");
  const ProjectRecord record = WizardRecord(m);
  std::vector<std::string> list = projects;
  list.push_back(name);
  SortProjectNames(list);
  IniFile(folder.ProjectIni()).Edit([&](IniDocument& doc) {
    doc.EraseSection(ProjectSection(name));
    WriteProjectRecord(doc, name, record);
    doc.WriteString(kCommonSection, "Last Project", name);
    doc.WriteInteger(kCommonSection, "Project Count", static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i)
      doc.WriteString(kCommonSection, "Count" + std::to_string(i), list[i]);
  });
  return name;
}

}  // namespace core
