// The schedule model: due-time rules, the schedule table, the schedule text and the timer tick.
#include "core/Schedule.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <utility>

#include "core/ProjectRecord.h"

namespace core {
namespace {

constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

constexpr std::int64_t kNoonSeconds = 12 * 3600;
constexpr std::int64_t kHourSeconds = 3600;
constexpr std::int64_t kMinutesPerDay = 1440;
constexpr int kEditorMinutesMin = 2;
constexpr int kEditorMinutesMax = 1000;
constexpr int kEditorMinutesFallback = 5;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A decimal integer with an optional sign, surrounding blanks ignored; nothing when the text has
// another form or does not fit 64 bits.
std::optional<std::int64_t> ParseInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    if (value > (std::numeric_limits<std::int64_t>::max() - 9) / 10) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

std::string TwoDigits(std::int64_t v) {
  return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10);
}

std::string FormatSecondsOfDay(std::int64_t s) {
  return TwoDigits(s / 3600) + ":" + TwoDigits(s / 60 % 60) + ":" + TwoDigits(s % 60);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Puts a flag back to its earlier value when the scope ends, however it ends.
class FlagRestorer {
 public:
  FlagRestorer(bool& flag, bool during) : flag_(flag), saved_(flag) { flag_ = during; }
  ~FlagRestorer() { flag_ = saved_; }
  FlagRestorer(const FlagRestorer&) = delete;
  FlagRestorer& operator=(const FlagRestorer&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

}  // namespace

bool IsScheduledMode(int backupMode) {
  return backupMode >= 0 && backupMode <= 2;
}

std::string_view WeekDayName(int weekDay) {
  if (weekDay < 0 || weekDay > 6) return {};
  return kDayNames[static_cast<std::size_t>(weekDay)];
}

std::optional<std::int64_t> ParseTimeOfDay(std::string_view text) {
  text = Trim(text);
  std::array<std::int64_t, 3> parts = {0, 0, 0};
  std::size_t count = 0;
  while (true) {
    if (count == parts.size()) return std::nullopt;
    std::size_t digits = 0;
    std::int64_t value = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
      value = value * 10 + (text[digits] - '0');
      ++digits;
      if (digits > 2) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    parts[count++] = value;
    text.remove_prefix(digits);
    if (text.empty()) break;
    if (text.front() != ':') return std::nullopt;
    text.remove_prefix(1);
  }
  if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
  return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

std::optional<ScheduleEntry> ComputeDueTime(std::string_view project, int backupMode,
                                            std::string_view value, const zip::DateTime& now) {
  const zip::DateTime today = now.DatePart();
  ScheduleEntry entry;
  entry.project = std::string(project);
  switch (backupMode) {
    case kScheduleDailyAt:
      entry.due = today.AddSeconds(ParseTimeOfDay(value).value_or(kNoonSeconds));
      entry.intervalSeconds = kSecondsPerDay;
      return entry;
    case kScheduleEveryMinutes: {
      const std::optional<std::int64_t> minutes = ParseInteger(value);
      // Counts below one minute would give a zero or negative interval, a project due at every
      // tick; they take the one-hour fallback like counts of a day or more.
      entry.intervalSeconds =
          minutes && *minutes >= 1 && *minutes < kMinutesPerDay ? *minutes * 60 : kHourSeconds;
      entry.due = now.AddSeconds(entry.intervalSeconds);
      return entry;
    }
    case kScheduleWeekly: {
      int days = 0;
      while (days < 8 && WeekDayName(today.AddDays(days).WeekDay()) != value) ++days;
      entry.due = today.AddDays(days).AddSeconds(kNoonSeconds);
      entry.intervalSeconds = 7 * kSecondsPerDay;
      return entry;
    }
    default:
      return std::nullopt;
  }
}

bool IsProjectScheduled(const IniDocument& projectIni, std::string_view project) {
  return IsScheduledMode(
      projectIni.ReadInteger(ProjectSection(project), kKeyBackupMode, kScheduleNone));
}

ScheduleTable BuildScheduleTable(const std::vector<std::string>& projects,
                                 const IniDocument& projectIni, const zip::DateTime& now) {
  ScheduleTable table;
  for (const std::string& project : projects) {
    const std::string section = ProjectSection(project);
    const int mode = projectIni.ReadInteger(section, kKeyBackupMode, kScheduleNone);
    if (!IsScheduledMode(mode)) continue;
    const std::string value = projectIni.ReadString(section, kKeyStartTimeOrIncrease);
    if (std::optional<ScheduleEntry> entry = ComputeDueTime(project, mode, value, now)) {
      table.push_back(std::move(*entry));
    }
  }
  return table;
}

std::string ScheduleText(int backupMode, std::string_view value) {
  switch (backupMode) {
    case kScheduleDailyAt:
      return "Daily once at " + FormatSecondsOfDay(ParseTimeOfDay(value).value_or(kNoonSeconds));
    case kScheduleEveryMinutes: {
      const std::optional<std::int64_t> minutes = ParseInteger(value);
      const std::int64_t shown =
          minutes ? std::clamp<std::int64_t>(*minutes, kEditorMinutesMin, kEditorMinutesMax)
                  : kEditorMinutesFallback;
      return "Daily every " + std::to_string(shown) + " minutes";
    }
    case kScheduleWeekly: {
      std::string text = "Weekly every on";
      for (std::string_view day : kDayNames) {
        if (EqualNoCase(day, Trim(value))) {
          text += ' ';
          text += day;
          break;
        }
      }
      return text;
    }
    default:
      return "None";
  }
}

bool TickMayRun(const TickGate& gate) {
  return gate.schedulingEnabled && !gate.editMode && !gate.runBusy;
}

std::vector<std::size_t> TakeDueEntries(ScheduleTable& table, const zip::DateTime& now,
                                        const TickGate& gate) {
  std::vector<std::size_t> due;
  if (!TickMayRun(gate)) return due;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (now > table[i].due) {
      table[i].due = table[i].due.AddSeconds(table[i].intervalSeconds);
      due.push_back(i);
    }
  }
  return due;
}

TickResult RunScheduleTick(ScheduleTable& table, const TickGate& gate,
                           const std::function<zip::DateTime()>& clock,
                           const std::vector<std::string>& projects, bool& promptBeforeBackup,
                           const std::function<bool(const std::string& project)>& runProject) {
  TickResult result;
  if (!TickMayRun(gate)) return result;
  const std::size_t count = table.size();
  // The run may rebuild the table; entries that no longer exist are not looked at.
  for (std::size_t i = 0; i < count && i < table.size(); ++i) {
    ScheduleEntry& entry = table[i];
    if (!(clock() > entry.due)) continue;
    entry.due = entry.due.AddSeconds(entry.intervalSeconds);
    const auto listed = std::find_if(projects.begin(), projects.end(), [&](const std::string& p) {
      return EqualNoCase(p, entry.project);
    });
    if (listed == projects.end()) continue;
    const std::string name = *listed;
    result.ran.push_back(name);
    bool ok = false;
    {
      FlagRestorer noPrompt(promptBeforeBackup, false);
      ok = runProject(name);
    }
    if (!ok) {
      result.stoppedByFailedRun = true;
      break;
    }
  }
  return result;
}

}  // namespace core
