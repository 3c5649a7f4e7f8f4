// Project records: reading and writing a project's section of project.ini, the Backup tab model's
// load, checks and save, and the password scrambling.
#include "core/ProjectRecord.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "core/ArchiveName.h"
#include "core/DateText.h"
#include "core/IniFile.h"
#include "zip/Paths.h"
#include "zip/Text.h"

namespace core {
namespace {

// The number of UTF-8 code points of the text (bytes that do not continue a sequence).
std::size_t CountCharacters(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Turns "#97#98" (any non-digit ending a number) into the bytes of those codes, modulo 256.
std::string DecodeCharacterCodes(std::string_view text) {
  std::string out;
  unsigned code = 0;
  bool open = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      code = (code * 10 + static_cast<unsigned>(c - '0')) % 256;
      open = true;
    } else if (open) {
      out.push_back(static_cast<char>(code));
      code = 0;
      open = false;
    }
  }
  if (open) out.push_back(static_cast<char>(code));
  return out;
}

void WriteList(IniDocument& doc, std::string_view section, const char* countKey, const char* word,
               const std::vector<std::string>& entries) {
  doc.WriteInteger(section, countKey, static_cast<int>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i)
    doc.WriteString(section, std::string(word) + std::to_string(i), entries[i]);
}

}  // namespace

zip::DateTime CombineDateAndTime(const zip::DateTime& a, const zip::DateTime& b) {
  return zip::DateTime(a.DatePart().Value() + (b.Value() - b.DatePart().Value()));
}

ArchiveSuffix CheckedSuffix(const BackupTabModel& tab) {
  if (tab.radioUserNumber) return ArchiveSuffix::Number;
  if (tab.radioUseDate) return ArchiveSuffix::Date;
  if (tab.radioUseNone) return ArchiveSuffix::None;
  return ArchiveSuffix::Number;
}

void ComposeTabFileName(BackupTabModel& tab, const GlobalSettings& settings,
                        const zip::DateTime& now) {
  ArchiveNaming naming;
  naming.saveFolder = tab.currentSavePath;
  naming.prefix = tab.editPrefix;
  naming.suffix = CheckedSuffix(tab);
  naming.number = tab.rxSpinvalue.value;
  naming.padNumber = settings.isAppend0;
  naming.width = settings.width;
  tab.editFilename = ComposeArchiveName(naming, now);
}


std::string ProjectSection(std::string_view projectName) {
  return zip::Trim(projectName);
}

std::string PasswordKey(std::string_view projectName) {
  std::string section = ProjectSection(projectName);
  return section + std::to_string(CountCharacters(section));
}

std::string ScramblePassword(std::string_view text, std::string_view key, bool encode) {
  std::string bytes =
      (!text.empty() && text.front() == '#') ? DecodeCharacterCodes(text) : std::string(text);
  if (!key.empty()) {
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] ^= key[i % key.size()];
  }
  if (!encode) return bytes;
  std::string out;
  for (char c : bytes) {
    out += '#';
    out += std::to_string(static_cast<unsigned char>(c));
  }
  return out;
}

ProjectRecord ReadProjectRecord(const IniDocument& doc, std::string_view projectName,
                                const zip::DateTime& now) {
  const std::string s = ProjectSection(projectName);
  ProjectRecord r;
  r.prefix = doc.ReadString(s, kKeyPrefix);
  r.suffix = doc.ReadInteger(s, kKeySuffix, r.suffix);
  r.increaseValue = doc.ReadInteger(s, kKeyIncreaseValue, r.increaseValue);
  r.value = doc.ReadInteger(s, kKeyValue, r.value);
  r.savePath = doc.ReadString(s, kKeySavePath, DefaultSavePath());
  r.backups = doc.ReadList(s, kKeyBackupWord, 0, doc.ReadInteger(s, kKeyBackupCount, 0));
  r.noBackups = doc.ReadList(s, kKeyNoBackupWord, 0, doc.ReadInteger(s, kKeyNoBackupCount, 0));
  r.includeSubdirectory = doc.ReadBool(s, kKeyIncludeSubdirectory, r.includeSubdirectory);
  r.usePassword = doc.ReadBool(s, kKeyUsePassword, r.usePassword);
  r.password = doc.ReadString(s, kKeyPassword);
  r.storePath = doc.ReadBool(s, kKeyStorePath, r.storePath);
  r.storeComment = doc.ReadBool(s, kKeyStoreComment, r.storeComment);
  r.comment = doc.ReadString(s, kKeyComment);
  r.backupMode = doc.ReadInteger(s, kKeyBackupMode, r.backupMode);
  r.startTimeOrIncrease = doc.ReadString(s, kKeyStartTimeOrIncrease);
  r.packLevel = doc.ReadInteger(s, kKeyPackLevel, r.packLevel);
  r.storeNumber = doc.ReadInteger(s, kKeyStoreNumber, r.storeNumber);
  r.isUseNew = doc.ReadBool(s, kKeyIsUseNew, r.isUseNew);
  r.isUseToday = doc.ReadBool(s, kKeyIsUseToday, r.isUseToday);
  r.newDateTime = TryParseDateTime(doc.ReadString(s, kKeyNewDateTime)).value_or(now);
  return r;
}

void WriteProjectRecord(IniDocument& doc, std::string_view projectName, const ProjectRecord& r) {
  const std::string s = ProjectSection(projectName);
  doc.WriteString(s, kKeyPrefix, zip::Trim(r.prefix));
  doc.WriteInteger(s, kKeySuffix, r.suffix);
  doc.WriteInteger(s, kKeyIncreaseValue, r.increaseValue);
  doc.WriteInteger(s, kKeyValue, r.value);
  doc.WriteString(s, kKeySavePath, r.savePath);
  WriteList(doc, s, kKeyBackupCount, kKeyBackupWord, r.backups);
  WriteList(doc, s, kKeyNoBackupCount, kKeyNoBackupWord, r.noBackups);
  doc.WriteBool(s, kKeyIncludeSubdirectory, r.includeSubdirectory);
  doc.WriteBool(s, kKeyUsePassword, r.usePassword);
  if (r.usePassword && !r.password.empty()) doc.WriteString(s, kKeyPassword, r.password);
  doc.WriteBool(s, kKeyStorePath, r.storePath);
  doc.WriteBool(s, kKeyStoreComment, r.storeComment);
  if (r.storeComment && !zip::Trim(r.comment).empty()) doc.WriteString(s, kKeyComment, r.comment);
  doc.WriteInteger(s, kKeyBackupMode, r.backupMode);
  if (r.backupMode != kScheduleNone)
    doc.WriteString(s, kKeyStartTimeOrIncrease, r.startTimeOrIncrease);
  doc.WriteInteger(s, kKeyPackLevel, r.packLevel);
  doc.WriteInteger(s, kKeyStoreNumber, r.storeNumber);
  doc.WriteBool(s, kKeyIsUseNew, r.isUseNew);
  doc.WriteBool(s, kKeyIsUseToday, r.isUseToday);
  doc.WriteString(s, kKeyNewDateTime, FormatDateAndTime(r.newDateTime));
}

void NumberBox::Set(std::int64_t newValue) {
  value = static_cast<int>(std::clamp<std::int64_t>(newValue, minimum, maximum));
}

void NumberBox::SetText(std::string_view text) {
  const std::string t = zip::Trim(text);
  std::int64_t parsed = 0;
  const char* begin = t.data();
  if (!t.empty() && t.front() == '+') ++begin;
  auto [end, ec] = std::from_chars(begin, t.data() + t.size(), parsed);
  if (t.empty() || begin == t.data() + t.size() || end != t.data() + t.size()) {
    value = minimum;
  } else if (ec == std::errc::result_out_of_range) {
    value = t.front() == '-' ? minimum : maximum;
  } else if (ec != std::errc()) {
    value = minimum;
  } else {
    Set(parsed);
  }
}

BackupTabEnablement ComputeEnablement(const BackupTabModel& tab) {
  BackupTabEnablement e;
  e.numberBoxes = tab.radioUserNumber;
  e.editPassword = tab.checkBoxPassword;
  e.editConfirmPassword = e.editPassword;
  e.editcomment = tab.checkBoxcomment;
  e.checkBoxToday = tab.checkBoxAddNewer;
  e.dateTimePickerToday = tab.checkBoxAddNewer && !tab.checkBoxToday;
  e.dateTimePickerTime = e.dateTimePickerToday;
  return e;
}

void ShowProjectRecord(const ProjectRecord& r, std::string_view projectName,
                       const GlobalSettings& settings, const zip::DateTime& now,
                       BackupTabModel& tab) {
  tab.editPrefix = r.prefix;
  if (r.suffix >= 0 && r.suffix <= 2) {
    tab.radioUseNone = r.suffix == 0;
    tab.radioUseDate = r.suffix == 1;
    tab.radioUserNumber = r.suffix == 2;
  }
  tab.rxSpinIncrease.Set(r.increaseValue);
  tab.rxSpinvalue.Set(static_cast<std::int64_t>(r.value) + tab.rxSpinIncrease.value);
  tab.currentSavePath = r.savePath;
  ComposeTabFileName(tab, settings, now);
  tab.listboxBackup = r.backups;
  tab.listBoxNobackup = r.noBackups;
  tab.radioyes = r.includeSubdirectory;
  tab.checkBoxPassword = r.usePassword;
  if (r.usePassword && !r.password.empty()) {
    tab.editPassword = ScramblePassword(r.password, PasswordKey(projectName), false);
  } else {
    tab.editPassword.clear();
  }
  tab.editConfirmPassword = tab.editPassword;
  tab.checkBoxpath = r.storePath;
  tab.checkBoxcomment = r.storeComment;
  tab.editcomment = r.comment;
  tab.backupMode = (r.backupMode >= 0 && r.backupMode <= 3) ? r.backupMode : kScheduleNone;
  tab.startTimeOrIncrease = r.startTimeOrIncrease;
  tab.trackbar1.Set(r.packLevel);
  tab.spStore.Set(r.storeNumber);
  tab.checkBoxAddNewer = r.isUseNew;
  tab.checkBoxToday = r.isUseToday;
  tab.dateTimePickerToday = CombineDateAndTime(r.newDateTime, tab.dateTimePickerToday);
  tab.dateTimePickerTime = CombineDateAndTime(tab.dateTimePickerTime, r.newDateTime);
}

bool LoadProject(const DataFolder& folder, std::string_view projectName,
                 const GlobalSettings& settings, const zip::DateTime& now, BackupTabModel& tab) {
  if (ProjectSection(projectName).empty()) return false;
  const IniDocument doc = IniFile(folder.ProjectIni()).Load();
  ShowProjectRecord(ReadProjectRecord(doc, projectName, now), projectName, settings, now, tab);
  return true;
}

std::optional<std::string> ValidateProject(const BackupTabModel& tab) {
  if (zip::Trim(tab.editFilename).empty()) return "Please enter the backup filename";
  if (zip::Trim(tab.editPrefix).empty()) return "Please enter the prefix of backup filename";
  if (tab.checkBoxPassword && zip::Trim(tab.editPassword) != zip::Trim(tab.editConfirmPassword))
    return "Confirm password is not matching";
  if (tab.listboxBackup.empty()) return "Please select files to backup";
  return std::nullopt;
}

ProjectRecord RecordFromTab(const BackupTabModel& tab, std::string_view projectName) {
  ProjectRecord r;
  r.prefix = zip::Trim(tab.editPrefix);
  r.suffix = static_cast<int>(CheckedSuffix(tab));
  r.increaseValue = tab.rxSpinIncrease.value;
  r.value = tab.rxSpinvalue.value - tab.rxSpinIncrease.value;
  r.savePath = zip::ExtractFilePath(zip::Trim(tab.editFilename));
  r.backups = tab.listboxBackup;
  r.noBackups = tab.listBoxNobackup;
  r.includeSubdirectory = tab.radioyes;
  r.usePassword = tab.checkBoxPassword;
  const std::string password = zip::Trim(tab.editPassword);
  if (r.usePassword && !password.empty())
    r.password = ScramblePassword(password, PasswordKey(projectName), true);
  r.storePath = tab.checkBoxpath;
  r.storeComment = tab.checkBoxcomment;
  r.comment = tab.editcomment;
  r.backupMode = (tab.backupMode >= 0 && tab.backupMode <= 3) ? tab.backupMode : kScheduleNone;
  r.startTimeOrIncrease = tab.startTimeOrIncrease;
  r.packLevel = tab.trackbar1.value;
  r.storeNumber = tab.spStore.value;
  r.isUseNew = tab.checkBoxAddNewer;
  r.isUseToday = tab.checkBoxToday;
  r.newDateTime = CombineDateAndTime(tab.dateTimePickerToday, tab.dateTimePickerTime);
  return r;
}

std::optional<std::string> SaveProject(const DataFolder& folder, std::string_view projectName,
                                       BackupTabModel& tab) {
  if (ProjectSection(projectName).empty())
    throw std::invalid_argument("SaveProject: empty project name");
  if (auto message = ValidateProject(tab)) return message;
  const ProjectRecord record = RecordFromTab(tab, projectName);
  IniFile(folder.ProjectIni()).Edit([&](IniDocument& doc) {
    WriteProjectRecord(doc, projectName, record);
  });
  tab.currentSavePath = record.savePath;
  if (record.password.empty()) {
    tab.editPassword.clear();
    tab.editConfirmPassword.clear();
  }
  if (!(record.storeComment && !zip::Trim(record.comment).empty())) tab.editcomment.clear();
  return std::nullopt;
}

}  // namespace core
