// A project record (one section of project.ini) and the Backup tab's inputs as plain data:
// reading a record with its defaults, showing it in the tab, checking the tab, saving it, and
// the scrambling of the stored password.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ArchiveName.h"
#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "core/IniDocument.h"
#include "zip/DateTime.h"

namespace core {

// Key names of a project section, in the order a save writes them.
inline constexpr const char* kKeyPrefix = "Filename prefix";
inline constexpr const char* kKeySuffix = "Suffix";
inline constexpr const char* kKeyIncreaseValue = "Increase Value";
inline constexpr const char* kKeyValue = "Value";
inline constexpr const char* kKeySavePath = "Save Path";
inline constexpr const char* kKeyBackupCount = "Backup Directory Count";
inline constexpr const char* kKeyBackupWord = "Backup";
inline constexpr const char* kKeyNoBackupCount = "No Backup Directory Count";
inline constexpr const char* kKeyNoBackupWord = "NoBackup";
inline constexpr const char* kKeyIncludeSubdirectory = "Whether include Subdirectory";
inline constexpr const char* kKeyUsePassword = "Whether password Project";
inline constexpr const char* kKeyPassword = "Password";
inline constexpr const char* kKeyStorePath = "Whether store path in Zip";
inline constexpr const char* kKeyStoreComment = "Whether store comment in Zip";
inline constexpr const char* kKeyComment = "Comment";
inline constexpr const char* kKeyBackupMode = "BackupMode";
inline constexpr const char* kKeyStartTimeOrIncrease = "StartTime_or_Increase";
inline constexpr const char* kKeyPackLevel = "PackLevel";
inline constexpr const char* kKeyStoreNumber = "Store Number";
inline constexpr const char* kKeyIsUseNew = "isUseNew";
inline constexpr const char* kKeyIsUseToday = "isUseToday";
inline constexpr const char* kKeyNewDateTime = "NewDateTime";

// The schedule mode that means "not scheduled".
inline constexpr int kScheduleNone = 3;

// Every key of a project section with the value a missing key reads as.
struct ProjectRecord {
  std::string prefix;                  // Filename prefix
  int suffix = 2;                      // 0 None, 1 Date, 2 Number
  int increaseValue = 1;               // step of the running number
  int value = 1;                       // running number of the last archive made
  std::string savePath;                // "c:\" default: DefaultSavePath()
  std::vector<std::string> backups;    // sources (non-empty entries below the count)
  std::vector<std::string> noBackups;  // exclusions
  bool includeSubdirectory = true;
  bool usePassword = true;
  std::string password;  // as stored: the scrambled "#" form
  bool storePath = true;
  bool storeComment = true;
  std::string comment;
  int backupMode = kScheduleNone;   // schedule mode, read as stored
  std::string startTimeOrIncrease;  // schedule parameter
  int packLevel = 6;
  int storeNumber = 50;
  bool isUseNew = false;
  bool isUseToday = false;
  zip::DateTime newDateTime;  // default: the current date and time
};

// The section name of a project: the name with blanks and control characters at either end
// removed.
std::string ProjectSection(std::string_view projectName);

// The scrambling key of a project: its section name followed by the decimal count of its
// characters (UTF-8 code points).
std::string PasswordKey(std::string_view projectName);

// Scrambles (encode on) or unscrambles (encode off) text with key, byte by byte: a text starting
// with "#" is first turned from "#"-separated decimal codes back into bytes (each code taken
// modulo 256), then every byte i is XORed with key byte i mod key size; encode on writes each
// result byte as "#" and its decimal code. An empty key leaves the bytes unchanged.
std::string ScramblePassword(std::string_view text, std::string_view key, bool encode);

// Reads the project's section from a snapshot of project.ini. Missing or non-numeric keys give
// the defaults of ProjectRecord; a missing Save Path gives DefaultSavePath(); a missing or
// unparsable NewDateTime gives now. Lists stop at their count and skip empty values. Never
// throws for file content.
ProjectRecord ReadProjectRecord(const IniDocument& doc, std::string_view projectName,
                                const zip::DateTime& now);

// Writes the record into the project's section in key order. Password is written only when
// usePassword is on and password is not empty; Comment only when storeComment is on and the
// trimmed comment is not blank; StartTime_or_Increase only when backupMode is not 3. Keys not
// written keep their earlier values, and list keys beyond the new counts stay.
void WriteProjectRecord(IniDocument& doc, std::string_view projectName,
                        const ProjectRecord& record);

// A number box with a range: values set into it are clamped, text that is not a number reads
// as the minimum.
struct NumberBox {
  int minimum = 0;
  int maximum = 0;
  int value = 0;

  // Sets the value clamped to minimum..maximum.
  void Set(std::int64_t newValue);
  // Sets the value from typed text (surrounding blanks ignored), clamped; not a decimal
  // integer: the minimum.
  void SetText(std::string_view text);
};

// The inputs of the Backup tab that show a project record.
struct BackupTabModel {
  std::string editPrefix;
  bool radioUseNone = false;
  bool radioUseDate = false;
  bool radioUserNumber = true;
  NumberBox rxSpinvalue{1, 1000, 2};     // the next running number
  NumberBox rxSpinIncrease{1, 1000, 1};  // the step
  std::string currentSavePath;           // the current save path held in memory
  std::string editFilename;              // the next archive's path
  std::vector<std::string> listboxBackup;
  std::vector<std::string> listBoxNobackup;
  bool radioyes = true;  // include subfolders
  bool checkBoxPassword = true;
  std::string editPassword;
  std::string editConfirmPassword;
  bool checkBoxpath = true;
  bool checkBoxcomment = true;
  std::string editcomment;
  int backupMode = kScheduleNone;   // schedule mode shown by the schedule inputs (0..3)
  std::string startTimeOrIncrease;  // schedule parameter shown by the schedule inputs
  NumberBox trackbar1{0, 9, 6};     // compression level
  NumberBox spStore{2, 50000, 50};  // archives to keep
  bool checkBoxAddNewer = false;
  bool checkBoxToday = false;
  zip::DateTime dateTimePickerToday;  // its date part is the threshold's date
  zip::DateTime dateTimePickerTime;   // its time part is the threshold's time
};

// The suffix whose radio button is checked (Number when none is).
ArchiveSuffix CheckedSuffix(const BackupTabModel& tab);

// A date-time of a's date and b's time of day (how the two pickers make one threshold).
zip::DateTime CombineDateAndTime(const zip::DateTime& a, const zip::DateTime& b);

// Composes the file-name field from the tab's save path, prefix, checked suffix and next number
// with the settings' padding; the Date suffix takes now.
void ComposeTabFileName(BackupTabModel& tab, const GlobalSettings& settings,
                        const zip::DateTime& now);

// Which option inputs are enabled (inside the edit-mode group boxes).
struct BackupTabEnablement {
  bool numberBoxes = false;  // rxSpinvalue, RxSpinIncrease and "Next increase:"
  bool editPassword = false;
  bool editConfirmPassword = false;
  bool editcomment = false;
  bool checkBoxToday = false;
  bool dateTimePickerToday = false;
  bool dateTimePickerTime = false;
};

// The enabled state the option handlers give the tab's inputs.
BackupTabEnablement ComputeEnablement(const BackupTabModel& tab);

// Shows a record in the tab. Suffix 0/1/2 checks its radio button, another value leaves them;
// both number boxes always take the record's step and next number (Value + step, clamped); the
// current save path becomes savePath and the file-name field is composed from the tab with the
// settings' padding at now; the password fields show the unscrambled password when protection
// is on and one is stored, else nothing; a BackupMode outside 0..3 shows as 3; each picker takes
// its part of newDateTime and keeps the other part.
void ShowProjectRecord(const ProjectRecord& record, std::string_view projectName,
                       const GlobalSettings& settings, const zip::DateTime& now,
                       BackupTabModel& tab);

// Loads the project's record from the folder's project.ini into the tab. Does nothing and
// returns false when the trimmed name is empty (no current project).
bool LoadProject(const DataFolder& folder, std::string_view projectName,
                 const GlobalSettings& settings, const zip::DateTime& now, BackupTabModel& tab);

// The checks shared by saving and backing up, in order; the message of the first that fails,
// or nothing when all pass.
std::optional<std::string> ValidateProject(const BackupTabModel& tab);

// The record the tab stands for, as a save writes it (password scrambled with the project's
// key when protection is on and the trimmed password is not blank, else empty).
ProjectRecord RecordFromTab(const BackupTabModel& tab, std::string_view projectName);

// Checks the tab and saves it under the project in one replacement of project.ini. Returns the
// failing check's message (nothing written, tab unchanged) or nothing on success, after which
// the current save path is the folder part of the trimmed file-name field and the password or
// comment fields that were not stored are emptied. Throws EIniFileException when project.ini
// cannot be written (tab unchanged) and std::invalid_argument when the trimmed name is empty.
std::optional<std::string> SaveProject(const DataFolder& folder, std::string_view projectName,
                                       BackupTabModel& tab);

}  // namespace core
