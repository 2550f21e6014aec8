#include "sim/os/virtual_clock.h"

#include <gtest/gtest.h>

namespace vesk::sim {
namespace {

TEST(VirtualClock, LocalTimeCarriesWeekdayAndWrapsAtMidnight) {
  VirtualClock clock{*ParseSimTime("2026-12-12 23:59:59")};  // a Saturday
  EXPECT_EQ(clock.ToLocalTime().wDayOfWeek, 6);
  clock.Advance(std::chrono::seconds{1});
  const LocalTime lt = clock.ToLocalTime();
  EXPECT_EQ(lt.wDayOfWeek, 0);
  EXPECT_EQ(lt.wDay, 13);
  EXPECT_EQ(lt.wHour, 0);
  EXPECT_EQ(lt.wMinute, 0);
  EXPECT_EQ(FormatSimTime(clock.Now()), "2026-12-13 00:00:00");
}

TEST(VirtualClock, ObserversSeeEveryAdvanceButNotEmptySteps) {
  VirtualClock clock;
  int calls = 0;
  clock.AddObserver([&](SimTime) { ++calls; });
  clock.Advance(Microseconds{300});
  clock.Advance(Microseconds{0});
  EXPECT_EQ(calls, 1);
}

TEST(ParseSimTime, AcceptsMinutesOrSecondsAndRejectsNonsense) {
  EXPECT_EQ(FormatSimTime(*ParseSimTime("2026-02-28 07:05")), "2026-02-28 07:05:00");
  EXPECT_FALSE(ParseSimTime("2026-02-29 07:05"));  // not a leap year
  EXPECT_FALSE(ParseSimTime("2026-12-07 24:00"));
  EXPECT_FALSE(ParseSimTime("2026-12-07 08:00 x"));
  EXPECT_FALSE(ParseSimTime("yesterday"));
}

}  // namespace
}  // namespace vesk::sim
