#include "schedule/next_events.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/os/simulated_os.h"

namespace vesk {
namespace {

enum Weekday : uint8_t { kSun, kMon, kTue, kWed, kThu, kFri, kSat };

uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

std::string Dhm(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%u %02u:%02u", t.wDayOfWeek, t.wHour, t.wMinute);
  return text;
}

class NextEvents : public ::testing::Test {
 protected:
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  WeekSchedule schedule;
  Postponement postponement;
  const Holidays none;

  void On(int day, int phase, uint16_t start, uint16_t end, uint16_t enable = 1) {
    schedule.Days[static_cast<std::size_t>(day)].Phases[static_cast<std::size_t>(phase - 1)] = {enable, start, end};
  }
  void Postpone(uint8_t fromDay, uint8_t fromHour, uint8_t fromMinute, uint8_t toDay, uint8_t toHour,
                uint8_t toMinute) {
    postponement = {{fromDay, toDay}, {fromHour, toHour}, {fromMinute, toMinute}};
  }
  // At `time` on `weekday` of the week of Sunday 2026-12-06, armed:
  // "shutdown | power-on | shutdown due | warning due".
  std::string At(int weekday, const char* time) {
    char text[40];
    std::snprintf(text, sizeof text, "2026-12-%02d %s", 6 + weekday, time);
    clock.Set(*sim::ParseSimTime(text));
    const LocalTime shutdown = GetNextShutdown(schedule, postponement, os, none);
    return Dhm(shutdown) + " | " + Dhm(GetNextPowerOn(schedule, shutdown, none)) + " | " +
           (IsShutdownDue(schedule, postponement, true, os, none) ? "due" : "-") + " | " +
           (IsWarningDue(schedule, postponement, true, os, none) ? "warn" : "-");
  }
};

TEST_F(NextEvents, PhaseStartIsInclusiveEndExclusiveAndWarningFiveMinutesBefore) {
  On(kMon, 1, Hm(8, 0), Hm(17, 30));
  EXPECT_EQ(At(kMon, "10:00:42"), "1 17:30 | 1 08:00 | - | -");  // power-on a week later
  const LocalTime s = GetNextShutdown(schedule, postponement, os, none);  // only weekday, hour, minute replaced
  EXPECT_EQ(s.wDay, 7);
  EXPECT_EQ(s.wSecond, 42);
  EXPECT_EQ(At(kMon, "08:00"), "1 17:30 | 1 08:00 | - | -");
  EXPECT_EQ(At(kMon, "17:24:59"), "1 17:30 | 1 08:00 | - | -");
  EXPECT_EQ(At(kMon, "17:25"), "1 17:30 | 1 08:00 | - | warn");
  EXPECT_EQ(At(kMon, "17:30"), "1 17:30 | 1 08:00 | due | warn");  // the current minute now
  EXPECT_FALSE(IsShutdownDue(schedule, postponement, false, os, none));  // nothing is due while not armed
  EXPECT_FALSE(IsWarningDue(schedule, postponement, false, os, none));
}

TEST_F(NextEvents, OutsideThePhasesTheShutdownIsNowUnlessAPowerOnIsAtMostThreeMinutesAway) {
  On(kMon, 1, Hm(8, 0), Hm(17, 30));
  EXPECT_EQ(At(kMon, "07:56"), "1 07:56 | 1 08:00 | due | warn");
  EXPECT_EQ(At(kMon, "07:57"), "1 07:57 | 1 08:00 | - | -");  // no warning for a skipped shutdown
  // Between two phases of a day.
  On(kTue, 1, Hm(8, 0), Hm(12, 0));
  On(kTue, 2, Hm(12, 3), Hm(13, 0));
  EXPECT_EQ(At(kTue, "12:00"), "2 12:00 | 2 12:03 | - | -");
  On(kTue, 2, Hm(12, 4), Hm(13, 0));
  EXPECT_EQ(At(kTue, "12:00"), "2 12:00 | 2 12:04 | due | warn");
}

TEST_F(NextEvents, ThreeMinuteRuleAcrossMidnightAndFromSaturdayToSunday) {
  On(kTue, 1, Hm(0, 2), Hm(6, 0));
  EXPECT_EQ(At(kMon, "23:59"), "1 23:59 | 2 00:02 | - | -");  // 23:59 + 3 is not before 00:02 + 1440
  On(kTue, 1, Hm(0, 3), Hm(6, 0));
  EXPECT_EQ(At(kMon, "23:59"), "1 23:59 | 2 00:03 | due | warn");
  On(kSun, 1, Hm(0, 1), Hm(6, 0));
  EXPECT_EQ(At(kSat, "23:58"), "6 23:58 | 0 00:01 | - | -");
  EXPECT_EQ(At(kSat, "23:57"), "6 23:57 | 0 00:01 | due | warn");
}

TEST_F(NextEvents, PhasesThatAreOffNeitherRunNorPowerOn) {
  On(kFri, 1, Hm(8, 0), Hm(17, 0), 0);
  EXPECT_EQ(At(kFri, "09:00"), "5 09:00 | 5 09:00 | due | warn");  // nothing on at all
  On(kFri, 2, Hm(10, 0), Hm(11, 0));
  On(kFri, 3, Hm(9, 30), Hm(9, 45), 0);
  EXPECT_EQ(At(kFri, "09:00"), "5 09:00 | 5 10:00 | due | warn");
  On(kFri, 3, Hm(9, 30), Hm(9, 45), 0x8000);  // any nonzero Enable is on
  EXPECT_EQ(At(kFri, "09:00"), "5 09:00 | 5 09:30 | due | warn");
}

TEST_F(NextEvents, PowerOnIsTheSmallestStartStrictlyAfterWrappingOverTheWeek) {
  On(kMon, 1, Hm(8, 0), Hm(9, 0));
  On(kTue, 1, Hm(7, 0), Hm(8, 0));
  On(kTue, 3, Hm(6, 0), Hm(6, 30));  // earlier than phase 1: the smallest counts
  LocalTime after{0, 0, kMon, 0, 8, 0, 0, 0};
  EXPECT_EQ(Dhm(GetNextPowerOn(schedule, after, none)), "2 06:00");  // 08:00 itself is not after 08:00
  after.wDayOfWeek = kSat;
  EXPECT_EQ(Dhm(GetNextPowerOn(schedule, after, none)), "1 08:00");
  after.wDayOfWeek = 9;  // no such weekday: nothing is looked up
  EXPECT_EQ(Dhm(GetNextPowerOn(schedule, after, none)), "9 08:00");
}

TEST_F(NextEvents, TouchingPhasesFromAFileHandOverAndTimesOf1440AndMoreTakePartAsTheyAre) {
  On(kMon, 1, Hm(8, 0), Hm(12, 0));  // validation refuses touching phases, but a file may hold them
  On(kMon, 2, Hm(12, 0), Hm(13, 0));
  EXPECT_EQ(At(kMon, "12:00"), "1 13:00 | 1 08:00 | - | -");
  schedule = {};
  On(kWed, 1, Hm(20, 0), 2000);
  EXPECT_EQ(At(kWed, "23:00"), "3 33:20 | 3 20:00 | - | -");  // no minute of a day is 33:20
  schedule = {};
  On(kWed, 1, 1500, 1600);  // a Start of 1440 or more is never a power-on
  EXPECT_EQ(At(kWed, "23:00"), "3 23:00 | 3 23:00 | due | warn");
}

TEST_F(NextEvents, PostponedShutdownHappensAtItsTimeAndIsSpentOncePassed) {
  On(kMon, 1, Hm(8, 0), Hm(17, 30));
  Postpone(kMon, 17, 26, kMon, 18, 0);
  EXPECT_EQ(At(kMon, "17:30"), "1 18:00 | 1 08:00 | - | -");
  EXPECT_EQ(At(kMon, "17:55"), "1 18:00 | 1 08:00 | - | warn");
  EXPECT_EQ(At(kMon, "18:00"), "1 18:00 | 1 08:00 | due | warn");
  EXPECT_EQ(At(kMon, "18:01"), "1 18:01 | 1 08:00 | due | warn");  // spent: outside the phases again
  Postpone(kMon, 17, 26, kMon, 17, 26);                        // target = origin: none
  EXPECT_FALSE(postponement.IsActive());
  EXPECT_EQ(At(kMon, "10:00"), "1 17:30 | 1 08:00 | - | -");
}

TEST_F(NextEvents, PostponedTimeInsideAPhaseMovesToItsEndComparingStoredTimesInPhaseOrder) {
  On(kMon, 1, Hm(14, 0), Hm(18, 0));
  On(kMon, 2, Hm(8, 0), Hm(12, 0), 0);  // off, but its times are compared
  const struct {
    uint8_t hour, minute;
    const char* shutdown;
  } cases[] = {
      {10, 0, "1 10:00"},  // before phase 1's Start: not sorted by time, so not moved to 12:00
      {14, 0, "1 18:00"},  // a phase's Start is inside it
      {17, 59, "1 18:00"},
      {18, 0, "1 18:00"},  // at the End: past phase 1, outside every later line
      {19, 0, "1 19:00"},
  };
  for (const auto& c : cases) {
    Postpone(kMon, 9, 0, kMon, c.hour, c.minute);
    EXPECT_EQ(At(kMon, "09:00").substr(0, 7), c.shutdown) << int{c.hour} << ":" << int{c.minute};
  }
  On(kMon, 2, Hm(18, 30), Hm(19, 30), 0);
  EXPECT_EQ(At(kMon, "09:00").substr(0, 7), "1 19:30");  // inside the phase that is off
  On(kMon, 1, Hm(14, 0), Hm(18, 0), 0);
  EXPECT_EQ(At(kMon, "09:00").substr(0, 7), "1 19:00");  // no phase of the day on: the time itself
  // At phase 1's End a later line may still catch the time.
  On(kMon, 1, Hm(8, 0), Hm(12, 0));
  On(kMon, 2, Hm(11, 0), Hm(14, 0));
  Postpone(kMon, 9, 0, kMon, 12, 0);
  EXPECT_EQ(At(kMon, "09:00").substr(0, 7), "1 14:00");
}

TEST_F(NextEvents, SaturdayNightPostponedPastMidnightCountsOnBothDays) {
  On(kSat, 1, Hm(12, 0), Hm(23, 50));
  On(kMon, 1, Hm(8, 0), Hm(17, 0));
  Postpone(kSat, 23, 46, kSun, 0, 10);
  EXPECT_EQ(At(kSat, "23:50"), "0 00:10 | 1 08:00 | - | -");
  EXPECT_EQ(At(kSun, "00:04"), "0 00:10 | 1 08:00 | - | -");
  EXPECT_EQ(At(kSun, "00:05"), "0 00:10 | 1 08:00 | - | warn");
  EXPECT_EQ(At(kSun, "00:10"), "0 00:10 | 1 08:00 | due | warn");
  // A target early on the next day warns in the last minutes of today.
  Postpone(kMon, 23, 46, kTue, 0, 2);
  EXPECT_EQ(At(kMon, "23:56"), "2 00:02 | 6 12:00 | - | -");  // 1436 + 5 < 1442
  EXPECT_EQ(At(kMon, "23:57"), "2 00:02 | 6 12:00 | - | warn");
}

TEST_F(NextEvents, PostponementTargetsOnlyTodayLaterThisWeekOrTheNextDayAcrossSunday) {
  On(kMon, 1, Hm(8, 0), Hm(17, 0));
  const struct {
    uint8_t today, target;
    bool honoured;
  } cases[] = {
      {kSun, kSun, true},  {kSun, kMon, true},  {kSun, kTue, false}, {kSun, kSat, false},
      {kMon, kSat, true},  {kMon, kSun, false}, {kWed, kTue, false}, {kFri, kSat, true},
      {kSat, kSun, true},  {kSat, kMon, false}, {kSat, kFri, false}, {kSat, kSat, true},
      {kMon, 200, false},  // a damaged target byte is never looked up
  };
  for (const auto& c : cases) {
    Postpone(c.today, 3, 0, c.target, 21, 15);
    const std::string expected = std::to_string(c.honoured ? c.target : c.today) + (c.honoured ? " 21:15" : " 03:07");
    EXPECT_EQ(At(c.today, "03:07").substr(0, 7), expected) << int{c.today} << " -> " << int{c.target};
  }
}

TEST_F(NextEvents, WarningOnlyForAShutdownThatTakesPlaceWithinFiveMinutes) {
  On(kMon, 1, Hm(8, 0), Hm(12, 0));
  On(kMon, 2, Hm(12, 2), Hm(12, 4));
  EXPECT_EQ(At(kMon, "11:59"), "1 12:00 | 1 12:02 | - | warn");  // 12:00 is skipped, 12:04 is not
  Postpone(kMon, 23, 0, kWed, 0, 1);                             // two days ahead is not "tomorrow"
  EXPECT_EQ(At(kMon, "23:56"), "3 00:01 | 1 08:00 | - | -");
}

}  // namespace
}  // namespace vesk
