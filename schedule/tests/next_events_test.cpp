#include "schedule/next_events.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/os/simulated_os.h"

namespace vesk {
namespace {

enum Weekday : int { kSun, kMon, kTue, kWed, kThu, kFri, kSat };

uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

// "D HH:MM" of a result; hours above 23 show as they are.
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

  // The week of Sunday 2026-12-06 to Saturday 2026-12-12; "HH:MM" or "HH:MM:SS".
  void Now(int weekday, const char* time) {
    char text[40];
    std::snprintf(text, sizeof text, "2026-12-%02d %s", 6 + weekday, time);
    const auto t = sim::ParseSimTime(text);
    ASSERT_TRUE(t) << text;
    clock.Set(*t);
    ASSERT_EQ(os.GetLocalTime().wDayOfWeek, weekday);
  }
  void On(int day, int phase, uint16_t start, uint16_t end) {
    schedule.Days[static_cast<std::size_t>(day)].Phases[static_cast<std::size_t>(phase - 1)] = {1, start, end};
  }
  void Postpone(int fromDay, int fromHour, int fromMinute, int toDay, int toHour, int toMinute) {
    postponement.Day = {static_cast<uint8_t>(fromDay), static_cast<uint8_t>(toDay)};
    postponement.Hour = {static_cast<uint8_t>(fromHour), static_cast<uint8_t>(toHour)};
    postponement.Minute = {static_cast<uint8_t>(fromMinute), static_cast<uint8_t>(toMinute)};
  }
  std::string Shutdown() { return Dhm(GetNextShutdown(schedule, postponement, os)); }
  std::string PowerOn() { return Dhm(GetNextPowerOn(schedule, GetNextShutdown(schedule, postponement, os))); }
  bool Due() { return IsShutdownDue(schedule, postponement, true, os); }
  bool Warning() { return IsWarningDue(schedule, postponement, true, os); }
};

TEST_F(NextEvents, InsideAPhaseTheShutdownIsItsEndAndThePowerOnAWeekLater) {
  On(kMon, 1, Hm(8, 0), Hm(17, 30));
  Now(kMon, "10:00:42");
  EXPECT_EQ(Shutdown(), "1 17:30");
  EXPECT_EQ(PowerOn(), "1 08:00");
  EXPECT_FALSE(Due());
  EXPECT_FALSE(Warning());
  // Only weekday, hour and minute are replaced.
  const LocalTime s = GetNextShutdown(schedule, postponement, os);
  EXPECT_EQ(s.wYear, 2026);
  EXPECT_EQ(s.wMonth, 12);
  EXPECT_EQ(s.wDay, 7);
  EXPECT_EQ(s.wSecond, 42);
}

TEST_F(NextEvents, PhaseStartIsInclusiveAndEndExclusive) {
  On(kMon, 1, Hm(8, 0), Hm(17, 30));
  Now(kMon, "08:00");
  EXPECT_EQ(Shutdown(), "1 17:30");
  EXPECT_FALSE(Due());
  Now(kMon, "17:29:59");
  EXPECT_EQ(Shutdown(), "1 17:30");
  EXPECT_FALSE(Due());
  Now(kMon, "17:30:00");
  EXPECT_EQ(Shutdown(), "1 17:30");  // the current minute, no longer the phase
  EXPECT_TRUE(Due());
  Now(kMon, "07:56");
  EXPECT_EQ(Shutdown(), "1 07:56");
  EXPECT_TRUE(Due());  // the power-on is four minutes away
  Now(kMon, "07:57");
  EXPECT_FALSE(Due());  // three minutes away: keep running
}

TEST_F(NextEvents, TouchingPhasesFromAFileHandOverAtTheBoundaryMinute) {
  // Validation refuses touching phases, but a file may hold them.
  On(kMon, 1, Hm(8, 0), Hm(12, 0));
  On(kMon, 2, Hm(12, 0), Hm(13, 0));
  Now(kMon, "12:00");
  EXPECT_EQ(Shutdown(), "1 13:00");
  EXPECT_FALSE(Due());
}

TEST_F(NextEvents, OutsideEveryPhaseTheShutdownIsNowUnlessAPowerOnIsAtMostThreeMinutesAway) {
  On(kWed, 1, Hm(2, 3), Hm(6, 0));
  Now(kWed, "02:00");
  EXPECT_EQ(Shutdown(), "3 02:00");
  EXPECT_EQ(PowerOn(), "3 02:03");
  EXPECT_FALSE(Due());
  On(kWed, 1, Hm(2, 4), Hm(6, 0));
  EXPECT_TRUE(Due());
}

TEST_F(NextEvents, ThreeMinuteRuleBetweenTwoPhasesOfADay) {
  On(kTue, 1, Hm(8, 0), Hm(12, 0));
  On(kTue, 2, Hm(12, 3), Hm(13, 0));
  Now(kTue, "12:00");
  EXPECT_EQ(PowerOn(), "2 12:03");
  EXPECT_FALSE(Due());
  On(kTue, 2, Hm(12, 4), Hm(13, 0));
  EXPECT_TRUE(Due());
}

TEST_F(NextEvents, ThreeMinuteRuleAcrossMidnight) {
  On(kTue, 1, Hm(0, 2), Hm(6, 0));
  Now(kMon, "23:59");
  EXPECT_EQ(Shutdown(), "1 23:59");
  EXPECT_EQ(PowerOn(), "2 00:02");
  EXPECT_FALSE(Due());  // 23:59 + 3 is not earlier than 00:02 + 1440
  On(kTue, 1, Hm(0, 3), Hm(6, 0));
  EXPECT_TRUE(Due());
}

TEST_F(NextEvents, SaturdayToSundayCountsAsTomorrow) {
  On(kSun, 1, Hm(0, 1), Hm(6, 0));
  On(kThu, 1, Hm(9, 0), Hm(10, 0));
  Now(kSat, "23:58");
  EXPECT_EQ(PowerOn(), "0 00:01");
  EXPECT_FALSE(Due());
  Now(kSat, "23:57");
  EXPECT_TRUE(Due());
}

TEST_F(NextEvents, PowerOnIsStrictlyAfterAndSkipsPhasesThatAreOff) {
  On(kMon, 1, Hm(8, 0), Hm(9, 0));
  On(kMon, 2, Hm(10, 0), Hm(11, 0));
  schedule.Days[kMon].Phases[2] = {0, Hm(9, 30), Hm(9, 45)};  // off
  LocalTime after{};
  after.wDayOfWeek = kMon;
  after.wHour = 9;
  EXPECT_EQ(Dhm(GetNextPowerOn(schedule, after)), "1 10:00");
  after.wHour = 10;
  EXPECT_EQ(Dhm(GetNextPowerOn(schedule, after)), "1 08:00");  // next week
  // Later than every Start of Saturday: wraps to the next day with a phase.
  On(kTue, 3, Hm(7, 0), Hm(8, 0));
  On(kTue, 1, Hm(6, 0), Hm(6, 30));
  after.wDayOfWeek = kSat;
  EXPECT_EQ(Dhm(GetNextPowerOn(schedule, after)), "1 08:00");
  after.wDayOfWeek = kMon;
  after.wHour = 12;
  EXPECT_EQ(Dhm(GetNextPowerOn(schedule, after)), "2 06:00");  // smallest Start, not phase 1
}

TEST_F(NextEvents, NoPhaseOnMeansShutdownAtOnce) {
  schedule.Days[kFri].Phases[0] = {0, Hm(8, 0), Hm(17, 0)};
  Now(kFri, "09:00");
  EXPECT_EQ(Shutdown(), "5 09:00");
  EXPECT_EQ(PowerOn(), "5 09:00");
  EXPECT_TRUE(Due());
  EXPECT_TRUE(Warning());
}

TEST_F(NextEvents, NothingIsDueWhileNotArmed) {
  Now(kFri, "09:00");
  EXPECT_FALSE(IsShutdownDue(schedule, postponement, false, os));
  EXPECT_FALSE(IsWarningDue(schedule, postponement, false, os));
}

TEST_F(NextEvents, WarningComesFiveMinutesBefore) {
  On(kThu, 1, Hm(8, 0), Hm(18, 0));
  Now(kThu, "17:54:59");
  EXPECT_FALSE(Warning());
  Now(kThu, "17:55");
  EXPECT_TRUE(Warning());
  EXPECT_FALSE(Due());
  Now(kThu, "18:00");
  EXPECT_TRUE(Due());
}

TEST_F(NextEvents, PostponementIntoThePhaseOfItsDayMovesToThatPhasesEnd) {
  On(kMon, 1, Hm(8, 0), Hm(17, 30));
  On(kMon, 2, Hm(17, 45), Hm(20, 0));
  Postpone(kMon, 17, 26, kMon, 18, 0);
  Now(kMon, "17:30");
  EXPECT_EQ(Shutdown(), "1 20:00");
  EXPECT_FALSE(Due());
}

TEST_F(NextEvents, PostponedShutdownOutsidePhasesHappensAtItsTime) {
  On(kMon, 1, Hm(8, 0), Hm(17, 30));
  Postpone(kMon, 17, 26, kMon, 18, 0);
  Now(kMon, "17:30");
  EXPECT_EQ(Shutdown(), "1 18:00");
  EXPECT_FALSE(Due());
  EXPECT_FALSE(Warning());
  Now(kMon, "17:55");
  EXPECT_TRUE(Warning());
  Now(kMon, "18:00");
  EXPECT_TRUE(Due());
  // Not removed when its time has passed.
  Now(kMon, "18:01");
  EXPECT_EQ(Shutdown(), "1 18:00");
  EXPECT_FALSE(Due());
}

TEST_F(NextEvents, PostponedComparisonUsesStoredTimesInPhaseOrder) {
  On(kMon, 1, Hm(14, 0), Hm(18, 0));
  schedule.Days[kMon].Phases[1] = {0, Hm(8, 0), Hm(12, 0)};  // off, times still compared
  Now(kMon, "09:00");
  Postpone(kMon, 9, 0, kMon, 10, 0);
  EXPECT_EQ(Shutdown(), "1 10:00");  // earlier than phase 1's Start: not sorted by time
  Postpone(kMon, 9, 0, kMon, 14, 0);
  EXPECT_EQ(Shutdown(), "1 18:00");  // a phase's Start is inside it
  Postpone(kMon, 9, 0, kMon, 19, 0);
  EXPECT_EQ(Shutdown(), "1 19:00");
  schedule.Days[kMon].Phases[1] = {0, Hm(18, 30), Hm(19, 30)};
  EXPECT_EQ(Shutdown(), "1 19:30");  // inside the phase that is off
  schedule.Days[kMon].Phases[0].Enable = 0;
  EXPECT_EQ(Shutdown(), "1 19:00");  // no phase of the day on: the time itself
  // A target at a phase's End is past that phase, but a later line may still catch it.
  schedule.Days[kMon].Phases[0] = {1, Hm(8, 0), Hm(12, 0)};
  schedule.Days[kMon].Phases[1] = {1, Hm(11, 0), Hm(14, 0)};
  Postpone(kMon, 9, 0, kMon, 12, 0);
  EXPECT_EQ(Shutdown(), "1 14:00");
}

TEST_F(NextEvents, SaturdayNightPostponedPastMidnightIsHonouredOnBothDays) {
  On(kSat, 1, Hm(12, 0), Hm(23, 50));
  On(kMon, 1, Hm(8, 0), Hm(17, 0));
  Postpone(kSat, 23, 46, kSun, 0, 10);
  Now(kSat, "23:50");
  EXPECT_EQ(Shutdown(), "0 00:10");
  EXPECT_FALSE(Due());
  EXPECT_FALSE(Warning());
  Now(kSun, "00:04");
  EXPECT_FALSE(Warning());
  Now(kSun, "00:05");
  EXPECT_TRUE(Warning());
  Now(kSun, "00:10");
  EXPECT_EQ(PowerOn(), "1 08:00");
  EXPECT_TRUE(Due());
}

TEST_F(NextEvents, NextDayTargetWarnsAtTheLastFiveMinutesOfToday) {
  On(kMon, 1, Hm(8, 0), Hm(23, 50));
  On(kThu, 1, Hm(8, 0), Hm(9, 0));
  Postpone(kMon, 23, 46, kTue, 0, 2);
  Now(kMon, "23:56");
  EXPECT_FALSE(Warning());  // 1436 + 5 < 1442
  Now(kMon, "23:57");
  EXPECT_TRUE(Warning());
}

TEST_F(NextEvents, PostponementTargetsOnlyTodayLaterThisWeekOrTheNextDayAcrossSunday) {
  On(kMon, 1, Hm(8, 0), Hm(17, 0));
  struct Case {
    int today;
    int target;
    bool honoured;
  };
  const Case cases[] = {
      {kSun, kSun, true},  {kSun, kMon, true},  {kSun, kTue, false}, {kSun, kSat, false},
      {kMon, kSat, true},  {kMon, kSun, false}, {kWed, kTue, false}, {kFri, kSat, true},
      {kSat, kSun, true},  {kSat, kMon, false}, {kSat, kFri, false}, {kSat, kSat, true},
  };
  for (const Case& c : cases) {
    Now(c.today, "03:07");
    Postpone(c.today, 3, 0, c.target, 21, 15);
    const std::string honoured = std::to_string(c.target) + " 21:15";
    const std::string now = std::to_string(c.today) + " 03:07";
    EXPECT_EQ(Shutdown(), c.honoured ? honoured : now) << "today " << c.today << " target " << c.target;
  }
}

TEST_F(NextEvents, PostponementIsActiveOnlyWhenTargetDiffersFromOrigin) {
  On(kTue, 1, Hm(8, 0), Hm(17, 0));
  Now(kTue, "10:00");
  Postpone(kTue, 16, 55, kTue, 16, 55);
  EXPECT_FALSE(postponement.IsActive());
  EXPECT_EQ(Shutdown(), "2 17:00");
  for (int field = 0; field < 3; ++field) {
    Postpone(kTue, 16, 55, kTue, 16, 55);
    if (field == 0) postponement.Day[Postponement::kTarget] = kWed;
    if (field == 1) postponement.Hour[Postponement::kTarget] = 18;
    if (field == 2) postponement.Minute[Postponement::kTarget] = 56;
    EXPECT_TRUE(postponement.IsActive()) << "field " << field;
  }
}

TEST_F(NextEvents, TimesOf1440AndMoreTakePartAsTheyAre) {
  On(kWed, 1, Hm(20, 0), 2000);
  Now(kWed, "23:00");
  EXPECT_EQ(Shutdown(), "3 33:20");
  EXPECT_FALSE(Due());  // no minute of the day is 33:20
  EXPECT_FALSE(Warning());
  // A Start of 1440 or more is never a power-on.
  schedule = {};
  On(kWed, 1, 1500, 1600);
  EXPECT_EQ(Shutdown(), "3 23:00");
  EXPECT_EQ(PowerOn(), "3 23:00");
  EXPECT_TRUE(Due());
}

TEST_F(NextEvents, WeekdaysOutsideTheWeekAreNeverLookedUp) {
  On(kSun, 1, Hm(8, 0), Hm(9, 0));
  Now(kSun, "08:30");
  Postpone(kSun, 8, 0, 200, 8, 45);  // a target byte from a damaged source
  EXPECT_EQ(Shutdown(), "0 08:30");
  LocalTime after{};
  after.wDayOfWeek = 9;
  after.wHour = 7;
  EXPECT_EQ(Dhm(GetNextPowerOn(schedule, after)), "9 07:00");
}

TEST(WarningLead, AShutdownOnAnyOtherWeekdayCountsAsTomorrow) {
  LocalTime now{};
  now.wDayOfWeek = kMon;
  now.wHour = 23;
  now.wMinute = 56;
  LocalTime shutdown{};
  shutdown.wDayOfWeek = kThu;
  shutdown.wMinute = 1;
  EXPECT_TRUE(WarningLeadReached(now, shutdown));  // 1436 + 5 >= 1 + 1440
  shutdown.wMinute = 2;
  EXPECT_FALSE(WarningLeadReached(now, shutdown));
  shutdown.wDayOfWeek = kMon;
  shutdown.wHour = 12;
  EXPECT_TRUE(WarningLeadReached(now, shutdown));  // a shutdown already past today
}

}  // namespace
}  // namespace vesk
