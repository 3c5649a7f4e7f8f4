// Mapping between the schedule inputs and the two stored schedule keys.
#include "core/ScheduleInputs.h"

#include <algorithm>
#include <cstdio>

#include "core/ProjectRecord.h"
#include "core/Schedule.h"
#include "zip/Text.h"

namespace core {

void LoadScheduleInputs(int backupMode, std::string_view value, ScheduleInputs& inputs) {
  switch (backupMode) {
    case kScheduleDailyAt:
      inputs.timeOfDay = ParseTimeOfDay(value).value_or(12 * 3600);
      break;
    case kScheduleEveryMinutes: {
      const std::string text = zip::Trim(value);
      int minutes = 5;
      try {
        std::size_t used = 0;
        const long long n = std::stoll(text, &used);
        if (used == text.size()) minutes = static_cast<int>(std::clamp<long long>(n, 2, 1000));
      } catch (const std::exception&) {
      }
      inputs.minutes = minutes;
      break;
    }
    case kScheduleWeekly:
      inputs.weekDay = -1;
      for (int d = 0; d < 7; ++d)
        if (zip::SameText(WeekDayName(d), value)) inputs.weekDay = d;
      break;
    case kScheduleNone:
      break;
    default:
      return;
  }
  inputs.mode = backupMode;
}

void StoreScheduleInputs(const ScheduleInputs& inputs, int& backupMode, std::string& value) {
  backupMode = inputs.mode;
  value.clear();
  switch (inputs.mode) {
    case kScheduleDailyAt: {
      char text[16];
      const auto t = inputs.timeOfDay;
      std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(t / 3600),
                    static_cast<int>(t / 60 % 60), static_cast<int>(t % 60));
      value = text;
      break;
    }
    case kScheduleEveryMinutes:
      value = std::to_string(inputs.minutes);
      break;
    case kScheduleWeekly:
      value = std::string(WeekDayName(inputs.weekDay));
      break;
    default:
      break;
  }
}

}  // namespace core
