#include "sim/os/virtual_clock.h"

#include <gtest/gtest.h>

namespace vesk::sim {
namespace {

TEST(VirtualClock, WrapsAtSaturdayMidnightAndObserversSeeOnlyRealSteps) {
  VirtualClock clock{*ParseSimTime("2026-12-12 23:59:59")};  // a Saturday
  int calls = 0;
  clock.AddObserver([&](SimTime) { ++calls; });
  EXPECT_EQ(clock.ToLocalTime().wDayOfWeek, 6);
  clock.Advance(std::chrono::seconds{1});
  clock.Advance(Microseconds{0});
  EXPECT_EQ(calls, 1);
  const LocalTime lt = clock.ToLocalTime();
  EXPECT_EQ(std::vector<int>({lt.wDayOfWeek, lt.wDay, lt.wHour, lt.wMinute}), std::vector<int>({0, 13, 0, 0}));
  EXPECT_EQ(FormatSimTime(clock.Now()), "2026-12-13 00:00:00");
}

TEST(ParseSimTime, AcceptsMinutesOrSecondsAndRejectsNonsense) {
  EXPECT_EQ(FormatSimTime(*ParseSimTime("2026-02-28 07:05")), "2026-02-28 07:05:00");
  for (const char* bad : {"2026-02-29 07:05", "2026-12-07 24:00", "2026-12-07 08:00 x", "yesterday"}) {
    EXPECT_FALSE(ParseSimTime(bad)) << bad;
  }
}

}  // namespace
}  // namespace vesk::sim
