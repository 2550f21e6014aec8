#include "schedule/alarm/chip_time.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace vesk {
namespace {

LocalTime Record(int year, int month, int day, int hour, int minute) {
  LocalTime t;
  t.wYear = static_cast<uint16_t>(year);
  t.wMonth = static_cast<uint16_t>(month);
  t.wDay = static_cast<uint16_t>(day);
  t.wHour = static_cast<uint16_t>(hour);
  t.wMinute = static_cast<uint16_t>(minute);
  return t;
}

// Minutes of a UTC record since 2026-01-01, for the rules below.
int MinuteOf2026(const LocalTime& utc) {
  static const int firstDayOfMonth[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  return ((firstDayOfMonth[utc.wMonth - 1] + utc.wDay - 1) * 24 + utc.wHour) * 60 + utc.wMinute;
}

// Central Europe in 2026: summer time from 29 March to 25 October, both at
// 01:00 UTC. Shanghai: +8 all year.
int32_t Berlin(const LocalTime& utc) {
  const int minute = MinuteOf2026(utc);
  return minute >= MinuteOf2026(Record(2026, 3, 29, 1, 0)) && minute < MinuteOf2026(Record(2026, 10, 25, 1, 0)) ? 120
                                                                                                              : 60;
}
int32_t Shanghai(const LocalTime&) { return 480; }

struct ChipTimeCase {
  const char* what;
  UtcOffsetRule rule;
  LocalTime nowUtc;
  LocalTime powerOn;  // local: by weekday, hour and minute, or with a date
  const char* chip;   // the chip's clock then, "YYYY-MM-DD HH:MM"
};

LocalTime Weekly(uint16_t weekday, uint16_t hour, uint16_t minute) { return {0, 0, weekday, 0, hour, minute}; }

// A power-on with its date (1 March 2026 was a Sunday).
LocalTime Dated(int year, int month, int day, int hour, int minute) {
  LocalTime t = Record(year, month, day, hour, minute);
  t.wDayOfWeek = static_cast<uint16_t>((DaysBetween(Record(2026, 3, 1, 0, 0), t) % 7 + 7) % 7);
  return t;
}

TEST(WakeInChipTime, IsWhereTheChipsClockStandsWhenLocalTimeReachesThePowerOn) {
  const ChipTimeCase cases[] = {
      {"no daylight saving", Shanghai, Record(2026, 3, 27, 9, 30), Weekly(1, 8, 0), "2026-03-30 08:00"},
      {"same offset, Friday to Monday", Berlin, Record(2026, 3, 20, 16, 30), Weekly(1, 8, 0), "2026-03-23 08:00"},
      {"springing forward on the way", Berlin, Record(2026, 3, 27, 16, 30), Weekly(1, 8, 0), "2026-03-30 07:00"},
      {"falling back on the way", Berlin, Record(2026, 10, 23, 15, 30), Weekly(1, 8, 0), "2026-10-26 09:00"},
      {"a week away, falling back", Berlin, Record(2026, 10, 18, 8, 0), Weekly(0, 9, 30), "2026-10-25 10:30"},
      {"the skipped hour: at the jump", Berlin, Record(2026, 3, 28, 11, 0), Weekly(0, 2, 30), "2026-03-29 02:00"},
      {"the repeated hour: its first pass", Berlin, Record(2026, 10, 24, 10, 0), Weekly(0, 2, 30), "2026-10-25 02:30"},
      {"after the change, in summer time", Berlin, Record(2026, 3, 29, 6, 0), Weekly(1, 8, 0), "2026-03-30 08:00"},
      {"the current minute: a week away", Shanghai, Record(2026, 3, 23, 1, 0),
       Dated(2026, 3, 23, 9, 0), "2026-03-30 09:00"},
      {"a dated one after a closure, springing forward", Berlin, Record(2026, 3, 20, 16, 30),
       Dated(2026, 4, 6, 8, 0), "2026-04-06 07:00"},
  };
  for (const ChipTimeCase& c : cases) {
    LocalTime nowLocal = Record(c.nowUtc.wYear, c.nowUtc.wMonth, c.nowUtc.wDay, c.nowUtc.wHour, c.nowUtc.wMinute);
    const int offset = c.rule(c.nowUtc);
    nowLocal.wHour = static_cast<uint16_t>(nowLocal.wHour + offset / 60);  // no case crosses midnight
    nowLocal.wDayOfWeek = static_cast<uint16_t>((DaysBetween(Record(2026, 3, 1, 0, 0), nowLocal) % 7 + 7) % 7);
    const LocalTime chip = WakeInChipTime(nowLocal, c.nowUtc, c.powerOn, c.rule);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", chip.wYear, chip.wMonth, chip.wDay, chip.wHour,
                  chip.wMinute);
    EXPECT_EQ(std::string(text), c.chip) << c.what;
  }
}

TEST(ClockJumpWatch, SeesTheLocalClockMoveAgainstTheTicks) {
  ClockJumpWatch watch;
  LocalTime t = Record(2026, 3, 29, 1, 59);
  EXPECT_FALSE(watch.Jumped(t, 1'000));  // bearings only
  t.wSecond = 59;
  EXPECT_FALSE(watch.Jumped(t, 60'000));  // a late tick, the clock with it
  t.wHour = 3;
  t.wMinute = 0;
  t.wSecond = 0;
  EXPECT_TRUE(watch.Jumped(t, 61'000));  // springing forward
  t.wMinute = 1;
  EXPECT_FALSE(watch.Jumped(t, 121'000));
}

}  // namespace
}  // namespace vesk
