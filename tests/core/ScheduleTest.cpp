// Tests of the schedule model: due times of every mode and fallback, the table built from the
// project list, the schedule text, and the timer tick with an injected clock (strictly later,
// one interval per tick, table order, the three checks, the prompt setting around each run).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/IniDocument.h"
#include "core/Schedule.h"

namespace core {
namespace {

using Names = std::vector<std::string>;

using testsupport::At;

// A Tuesday afternoon.
const zip::DateTime kNow = At(2024, 3, 5, 15, 0, 0);
constexpr std::int64_t kDay = 86400;

// ---- due times ----

TEST(ScheduleDueTime, EveryModeAndFallback) {
  struct Case {
    int mode;
    const char* value;
    zip::DateTime due;
    std::int64_t interval;
  };
  const Case cases[] = {
      // daily at a time: today, even when already passed
      {0, "09:00:00", At(2024, 3, 5, 9), kDay},
      {0, "23:59:59", At(2024, 3, 5, 23, 59, 59), kDay},
      {0, "7:5", At(2024, 3, 5, 7, 5), kDay},
      {0, "", At(2024, 3, 5, 12), kDay},
      {0, "24:00:00", At(2024, 3, 5, 12), kDay},
      {0, "9 o'clock", At(2024, 3, 5, 12), kDay},
      {0, "12:60", At(2024, 3, 5, 12), kDay},
      // every N minutes: from now
      {1, "90", At(2024, 3, 5, 16, 30), 90 * 60},
      {1, "2", At(2024, 3, 5, 15, 2), 120},
      {1, "1439", At(2024, 3, 6, 14, 59), 1439 * 60},
      {1, "1440", At(2024, 3, 5, 16), 3600},
      {1, "1500", At(2024, 3, 5, 16), 3600},
      {1, "-5", At(2024, 3, 5, 16), 3600},
      {1, "0", At(2024, 3, 5, 16), 3600},
      {1, "ten", At(2024, 3, 5, 16), 3600},
      {1, "", At(2024, 3, 5, 16), 3600},
      // weekly: nearest day from today on, at noon; exact names only
      {2, "Tuesday", At(2024, 3, 5, 12), 7 * kDay},
      {2, "Wednesday", At(2024, 3, 6, 12), 7 * kDay},
      {2, "Monday", At(2024, 3, 11, 12), 7 * kDay},
      {2, "Sunday", At(2024, 3, 10, 12), 7 * kDay},
      {2, "monday", At(2024, 3, 13, 12), 7 * kDay},
      {2, "", At(2024, 3, 13, 12), 7 * kDay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " '" + c.value + "'");
    const auto entry = ComputeDueTime("P", c.mode, c.value, kNow);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->project, "P");
    EXPECT_EQ(entry->due, c.due);
    EXPECT_EQ(entry->intervalSeconds, c.interval);
  }
}

TEST(ScheduleDueTime, WeeklyTodayBeforeAndAfterNoon) {
  EXPECT_EQ(ComputeDueTime("P", 2, "Tuesday", At(2024, 3, 5, 11))->due, At(2024, 3, 5, 12));
  EXPECT_EQ(ComputeDueTime("P", 2, "Tuesday", At(2024, 3, 5, 13))->due, At(2024, 3, 5, 12));
}

TEST(ScheduleDueTime, NoneAndOutOfRangeModesAreNotScheduled) {
  for (int mode : {3, -1, 4, 99}) {
    EXPECT_FALSE(IsScheduledMode(mode)) << mode;
    EXPECT_FALSE(ComputeDueTime("P", mode, "09:00:00", kNow).has_value()) << mode;
  }
}

// ---- table ----

TEST(ScheduleTable, EntriesInListOrderForScheduledProjectsOnly) {
  const IniDocument ini = IniDocument::Parse(
      "[Common]\nProject Count=6\n"
      "[Alpha]\nBackupMode=1\nStartTime_or_Increase=30\n"
      "[beta]\nBackupMode=3\nStartTime_or_Increase=09:00:00\n"
      "[Gamma]\nBackupMode=0\nStartTime_or_Increase=09:00:00\n"
      "[Delta]\nStartTime_or_Increase=09:00:00\n"
      "[Eps]\nBackupMode=7\nStartTime_or_Increase=09:00:00\n"
      "[Zeta]\nBackupMode=2\nStartTime_or_Increase=Friday\n");
  const Names projects = {"Alpha", "beta", "Delta", "Eps", "Gamma", "Zeta"};
  const ScheduleTable table = BuildScheduleTable(projects, ini, kNow);
  const ScheduleTable expected = {
      {"Alpha", At(2024, 3, 5, 15, 30), 1800},
      {"Gamma", At(2024, 3, 5, 9), kDay},
      {"Zeta", At(2024, 3, 8, 12), 7 * kDay},
  };
  EXPECT_EQ(table, expected);
  EXPECT_TRUE(IsProjectScheduled(ini, "Gamma"));
  EXPECT_TRUE(IsProjectScheduled(ini, " alpha "));
  for (const char* name : {"beta", "Delta", "Eps", "Missing"}) {
    EXPECT_FALSE(IsProjectScheduled(ini, name)) << name;
  }
  EXPECT_TRUE(BuildScheduleTable({"beta", "Delta"}, ini, kNow).empty());
}

// ---- text ----

TEST(ScheduleText, AsTheBackupTabShowsIt) {
  struct Case {
    int mode;
    const char* value;
    const char* text;
  };
  const Case cases[] = {
      {3, "09:00:00", "None"},
      {5, "09:00:00", "None"},
      {-1, "", "None"},
      {0, "09:00:00", "Daily once at 09:00:00"},
      {0, "7:5", "Daily once at 07:05:00"},
      {0, "bad", "Daily once at 12:00:00"},
      {1, "90", "Daily every 90 minutes"},
      {1, "1500", "Daily every 1000 minutes"},
      {1, "0", "Daily every 2 minutes"},
      {1, "x", "Daily every 5 minutes"},
      {2, "Monday", "Weekly every on Monday"},
      {2, "monday", "Weekly every on Monday"},
      {2, "Someday", "Weekly every on"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScheduleText(c.mode, c.value), c.text) << c.mode << " " << c.value;
  }
}

// ---- tick ----

struct Recorder {
  Names runs;
  std::vector<bool> promptDuringRun;
  std::string failOn;
  std::string throwOn;
  const bool* prompt = nullptr;

  std::function<bool(const std::string&)> Callback() {
    return [this](const std::string& project) {
      runs.push_back(project);
      promptDuringRun.push_back(*prompt);
      if (project == throwOn) throw std::runtime_error("run failed");
      return project != failOn;
    };
  }
};

std::function<zip::DateTime()> FixedClock(const zip::DateTime& t) {
  return [t] { return t; };
}

TEST(ScheduleTick, StrictlyLaterAndOneIntervalPerTick) {
  ScheduleTable table = {{"P", At(2024, 3, 5, 9), 600}};
  // Exactly at the due time: not due.
  EXPECT_TRUE(TakeDueEntries(table, At(2024, 3, 5, 9), TickGate{}).empty());
  EXPECT_EQ(table[0].due, At(2024, 3, 5, 9));
  // Five hours late: one interval per tick until now is no longer strictly later.
  const zip::DateTime late = At(2024, 3, 5, 14);
  int ticks = 0;
  while (!TakeDueEntries(table, late, TickGate{}).empty()) {
    ++ticks;
    EXPECT_EQ(table[0].due, At(2024, 3, 5, 9).AddSeconds(600 * ticks));
  }
  EXPECT_EQ(ticks, 30);
  EXPECT_EQ(table[0].due, At(2024, 3, 5, 14));
  EXPECT_EQ(TakeDueEntries(table, late.AddSeconds(1), TickGate{}).size(), 1u);
  EXPECT_EQ(table[0].due, At(2024, 3, 5, 14, 10));
}

TEST(ScheduleTick, ChecksStopTheTickWithoutAdvancing) {
  const TickGate gates[] = {{false, false, false}, {true, true, false}, {true, false, true}};
  for (const TickGate& gate : gates) {
    EXPECT_FALSE(TickMayRun(gate));
    ScheduleTable table = {{"P", At(2024, 3, 5, 9), kDay}};
    bool prompt = true;
    Recorder rec;
    rec.prompt = &prompt;
    EXPECT_TRUE(TakeDueEntries(table, kNow, gate).empty());
    const TickResult r =
        RunScheduleTick(table, gate, FixedClock(kNow), {"P"}, prompt, rec.Callback());
    EXPECT_TRUE(r.ran.empty());
    EXPECT_TRUE(rec.runs.empty());
    EXPECT_EQ(table[0].due, At(2024, 3, 5, 9));
  }
  EXPECT_TRUE(TickMayRun(TickGate{}));
}

TEST(ScheduleTick, DueProjectsRunInTableOrderWithoutPrompt) {
  ScheduleTable table = {{"Alpha", At(2024, 3, 5, 9), kDay},
                         {"Beta", At(2024, 3, 5, 16), kDay},
                         {"Gamma", At(2024, 3, 5, 9), kDay}};
  bool prompt = true;
  Recorder rec;
  rec.prompt = &prompt;
  const TickResult r = RunScheduleTick(table, TickGate{}, FixedClock(kNow),
                                       {"ALPHA", "Beta", "gamma"}, prompt, rec.Callback());
  // The listed names (found without regard to case) are handed to the run.
  EXPECT_EQ(rec.runs, (Names{"ALPHA", "gamma"}));
  EXPECT_EQ(r.ran, rec.runs);
  EXPECT_FALSE(r.stoppedByFailedRun);
  EXPECT_EQ(rec.promptDuringRun, (std::vector<bool>{false, false}));
  EXPECT_TRUE(prompt);
  EXPECT_EQ(table[0].due, At(2024, 3, 6, 9));
  EXPECT_EQ(table[1].due, At(2024, 3, 5, 16));
  EXPECT_EQ(table[2].due, At(2024, 3, 6, 9));
}

TEST(ScheduleTick, UnlistedProjectIsSkippedButAdvanced) {
  ScheduleTable table = {{"Gone", At(2024, 3, 5, 9), kDay}, {"P", At(2024, 3, 5, 9), kDay}};
  bool prompt = false;
  Recorder rec;
  rec.prompt = &prompt;
  RunScheduleTick(table, TickGate{}, FixedClock(kNow), {"P"}, prompt, rec.Callback());
  EXPECT_EQ(rec.runs, (Names{"P"}));
  EXPECT_EQ(table[0].due, At(2024, 3, 6, 9));
}

TEST(ScheduleTick, ClockIsReadForEachEntry) {
  // The first run takes an hour; the second entry becomes due during it.
  ScheduleTable table = {{"A", At(2024, 3, 5, 9), kDay}, {"B", At(2024, 3, 5, 15, 30), kDay}};
  zip::DateTime now = kNow;
  bool prompt = false;
  Names runs;
  RunScheduleTick(
      table, TickGate{}, [&] { return now; }, {"A", "B"}, prompt,
      [&](const std::string& p) {
        runs.push_back(p);
        now = now.AddSeconds(3600);
        return true;
      });
  EXPECT_EQ(runs, (Names{"A", "B"}));
}

TEST(ScheduleTick, FailedValidationEndsTheTickAndRestoresPrompt) {
  ScheduleTable table = {{"A", At(2024, 3, 5, 9), kDay},
                         {"B", At(2024, 3, 5, 9), kDay},
                         {"C", At(2024, 3, 5, 9), kDay}};
  bool prompt = true;
  Recorder rec;
  rec.prompt = &prompt;
  rec.failOn = "B";
  const TickResult r =
      RunScheduleTick(table, TickGate{}, FixedClock(kNow), {"A", "B", "C"}, prompt, rec.Callback());
  EXPECT_TRUE(r.stoppedByFailedRun);
  EXPECT_EQ(rec.runs, (Names{"A", "B"}));
  EXPECT_TRUE(prompt);
  EXPECT_EQ(table[1].due, At(2024, 3, 6, 9));  // the failed one has moved on
  EXPECT_EQ(table[2].due, At(2024, 3, 5, 9));  // the rest waits for the next tick
  // The next tick takes up the rest.
  rec.runs.clear();
  RunScheduleTick(table, TickGate{}, FixedClock(kNow), {"A", "B", "C"}, prompt, rec.Callback());
  EXPECT_EQ(rec.runs, (Names{"C"}));
}

TEST(ScheduleTick, ExceptionLeavesTheTickWithPromptRestored) {
  for (bool before : {true, false}) {
    ScheduleTable table = {{"A", At(2024, 3, 5, 9), kDay}, {"B", At(2024, 3, 5, 9), kDay}};
    bool prompt = before;
    Recorder rec;
    rec.prompt = &prompt;
    rec.throwOn = "A";
    EXPECT_THROW(
        RunScheduleTick(table, TickGate{}, FixedClock(kNow), {"A", "B"}, prompt, rec.Callback()),
        std::runtime_error);
    EXPECT_EQ(prompt, before);
    EXPECT_EQ(rec.promptDuringRun, (std::vector<bool>{false}));
    EXPECT_EQ(table[0].due, At(2024, 3, 6, 9));
  }
}

TEST(ScheduleTick, RunThatEmptiesTheTableEndsSafely) {
  ScheduleTable table = {{"A", At(2024, 3, 5, 9), kDay}, {"B", At(2024, 3, 5, 9), kDay}};
  bool prompt = false;
  Names runs;
  RunScheduleTick(table, TickGate{}, FixedClock(kNow), {"A", "B"}, prompt,
                  [&](const std::string& p) {
                    runs.push_back(p);
                    table.clear();
                    return true;
                  });
  EXPECT_EQ(runs, (Names{"A"}));
}

}  // namespace
}  // namespace core
