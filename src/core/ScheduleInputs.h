// The schedule inputs of the Backup tab as plain data, and how they map to a project record's
// BackupMode and StartTime_or_Increase.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

struct ScheduleInputs {
  int mode = 3;                         // checked radio button: 0 once, 1 every, 2 weekly, 3 none
  std::int64_t timeOfDay = 12 * 3600;   // DateTimePicker1, seconds since midnight
  int minutes = 2;                      // SpinEditNumber, 2 to 1000
  int weekDay = -1;                     // cbWeekly selection, 0 = Sunday; -1: none
};

// Shows a stored schedule in the inputs, changing only what the mode loads: a time that does not
// parse shows 12:00:00, a minute count that is not an integer shows 5 (kept within 2..1000), a
// day name is matched without regard to case (none: no selection). A mode outside 0..3 changes
// nothing.
void LoadScheduleInputs(int backupMode, std::string_view value, ScheduleInputs& inputs);

// The mode and StartTime_or_Increase a save writes for the inputs ("HH:mm:ss", the minutes, the
// day name; empty for None).
void StoreScheduleInputs(const ScheduleInputs& inputs, int& backupMode, std::string& value);

}  // namespace core
