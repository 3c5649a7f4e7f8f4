// The schedule model: the due-time rules of the four schedule modes, the schedule table built
// from the project list, the text that describes a schedule, and the timer tick that runs due
// projects one after another. Every function takes the clock as a value; none reads it itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/IniDocument.h"
#include "zip/DateTime.h"

namespace core {

// The schedule modes stored as BackupMode (kScheduleNone, 3, is in ProjectRecord.h).
inline constexpr int kScheduleDailyAt = 0;
inline constexpr int kScheduleEveryMinutes = 1;
inline constexpr int kScheduleWeekly = 2;

inline constexpr std::int64_t kSecondsPerDay = 86400;

// One entry of the schedule table (tautobackup).
struct ScheduleEntry {
  std::string project;               // the name as listed in the project box
  zip::DateTime due;                 // when the project next runs
  std::int64_t intervalSeconds = 0;  // added to due after each run; always at least 60

  friend bool operator==(const ScheduleEntry&, const ScheduleEntry&) = default;
};

using ScheduleTable = std::vector<ScheduleEntry>;

// True when the mode schedules a project: 0, 1 or 2. Mode 3 and any value outside 0..3 are None.
bool IsScheduledMode(int backupMode);

// The English name of a weekday, 0 = "Sunday" to 6 = "Saturday"; empty outside 0..6.
std::string_view WeekDayName(int weekDay);

// A time of day "H:m" or "H:m:s" (one or two digits each, surrounding blanks ignored), as seconds
// since midnight; nothing when the text has another form or names no real time (24:00, 12:60).
std::optional<std::int64_t> ParseTimeOfDay(std::string_view text);

// The first due time and interval of a project with the given mode and StartTime_or_Increase
// value, computed at now; nothing when the mode is not scheduled.
//  0: today at the time of day value (12:00:00 when it does not parse), every day.
//  1: value = N minutes, N a decimal integer from 1 to 1439: now + N minutes, every N minutes;
//     any other value: now + one hour, every hour.
//  2: the first of today .. today + 7 days whose English day name equals value exactly (case
//     included), else today + 8 days; at 12:00:00; every 7 days.
std::optional<ScheduleEntry> ComputeDueTime(std::string_view project, int backupMode,
                                            std::string_view value, const zip::DateTime& now);

// True when the project's record in project.ini has a scheduled BackupMode (missing: None). This
// is the schedule mark of the project box and the tray submenu.
bool IsProjectScheduled(const IniDocument& projectIni, std::string_view project);

// The schedule table: one entry per project of the list (in list order, which is the project
// box's sorted order) whose record has a scheduled mode, with due times computed at now. An
// empty table means the schedule timer is off.
ScheduleTable BuildScheduleTable(const std::vector<std::string>& projects,
                                 const IniDocument& projectIni, const zip::DateTime& now);

// The text that describes a schedule as the Backup tab shows it: "None"; "Daily once at HH:mm:ss"
// (12:00:00 when the time does not parse); "Daily every N minutes" (N as the number box shows it:
// 5 when not an integer, kept within 2..1000); "Weekly every on Day" (the listed day name that
// equals the value without regard to case; no day after "on" when none matches).
std::string ScheduleText(int backupMode, std::string_view value);

// What the timer tick looks at besides the table.
struct TickGate {
  bool schedulingEnabled = true;  // the global switch is down
  bool editMode = false;          // a project is being edited
  bool runBusy = false;           // a backup or restore is running
};

// The tick's three checks: scheduling on, not in edit mode, no run going on.
bool TickMayRun(const TickGate& gate);

// For a tick in which every due project runs: when the gate allows, the indices (in table order)
// of the entries whose due time now is strictly later than, each advanced by exactly one interval.
// Nothing is changed when the gate stops the tick.
std::vector<std::size_t> TakeDueEntries(ScheduleTable& table, const zip::DateTime& now,
                                        const TickGate& gate);

// What one tick did.
struct TickResult {
  std::vector<std::string> ran;     // listed names handed to the run, in order
  bool stoppedByFailedRun = false;  // a run reported a failed validation and ended the tick
};

// Runs one timer tick. When the gate allows, goes through the entries present at the start, in
// table order; an entry is due when clock() is strictly later than its due time. A due entry is
// first advanced by one interval, then its project is looked up in projects (without regard to
// case; not listed: skipped), and runProject is called with the listed name while
// promptBeforeBackup is false; the prompt setting is put back afterwards however the run ends,
// an exception included (the exception then leaves the tick). A run that returns false (failed
// validation) ends the tick: later entries wait for the next tick.
TickResult RunScheduleTick(ScheduleTable& table, const TickGate& gate,
                           const std::function<zip::DateTime()>& clock,
                           const std::vector<std::string>& projects, bool& promptBeforeBackup,
                           const std::function<bool(const std::string& project)>& runProject);

}  // namespace core
