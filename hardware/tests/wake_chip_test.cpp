#include "hardware/wake_chip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

using testing::At;
using testing::BusOps;
using testing::ProgramOnBoard;
using Lines = std::vector<std::string>;

LocalTime Local(uint16_t weekday, uint16_t hour, uint16_t minute) {
  LocalTime t;
  t.wDayOfWeek = weekday;
  t.wHour = hour;
  t.wMinute = minute;
  return t;
}

TEST(DayCode, ThisWeekIsWeekdayPlusOneNextWeekIsWeekdayPlusEight) {
  const LocalTime wednesday8 = Local(3, 8, 0);
  EXPECT_EQ(McuDayCode(5, 8, 0, wednesday8), 6);   // Friday
  EXPECT_EQ(McuDayCode(1, 8, 0, wednesday8), 9);   // Monday: next week
  EXPECT_EQ(McuDayCode(3, 8, 1, wednesday8), 4);   // one minute later
  EXPECT_EQ(McuDayCode(3, 8, 0, wednesday8), 11);  // this very minute: a week away
  EXPECT_EQ(McuDayCode(0, 0, 0, Local(6, 23, 59)), 8);  // Saturday night to Sunday
  EXPECT_EQ(McuDayCode(6, 23, 59, Local(0, 0, 0)), 7);  // Sunday to Saturday night
}

TEST(ChipDetection, McuFirstThenA2ThenD0InBothBusModes) {
  const std::vector<std::pair<std::string, uint32_t>> cases{
      {"mcu", 0xC2}, {"rtc-a2", 0xA2}, {"rtc-d0", 0xD0}, {"mcu+rtc-a2", 0xC2}, {"none", kNoWakeChip}};
  for (const char* controller : {"amd", "intel-i2c", "intel-smbus"}) {
    for (const auto& [chip, expected] : cases) {
      ProgramOnBoard program(chip + "-" + controller);
      EXPECT_EQ(g_ChipAddress, expected) << chip << controller;
    }
  }
  ProgramOnBoard onlyD0("rtc-d0-intel-i2c");
  EXPECT_EQ(DetectWakeChip(), kRtcAddressD0);
  EXPECT_EQ(BusOps(onlyD0.rig.board.Log()), (Lines{"bus-nack 0xC2", "bus-nack 0xA2", "bus-r 0xD0 0x00 0x00"}));
}

Lines Writes(uint8_t chip, std::initializer_list<std::pair<int, int>> regValues) {
  Lines lines;
  for (const auto& [reg, value] : regValues) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "bus-w 0x%02X 0x%02X 0x%02X", chip, reg, value);
    lines.push_back(buffer);
  }
  return lines;
}

TEST(ProgramWakeTime, McuGetsItsTenWritesWithTheTimeReadOnceBeforeThem) {
  // SMBus transfers take over 10 ms each, so the clock passes 09:00 during
  // the writes; the current time written is still the one read first.
  ProgramOnBoard program("mcu-amd", At("2026-12-09 08:59:59") + std::chrono::milliseconds{900});
  EXPECT_EQ(ProgramWakeTime(5, 7, 30), 6);  // Friday
  EXPECT_EQ(BusOps(program.rig.board.Log()),
            Writes(0xC2, {{0x00, 0}, {0x08, 0}, {0x07, 30}, {0x06, 7}, {0x05, 6}, {0x04, 59}, {0x03, 59}, {0x02, 8},
                          {0x01, 4}, {0x00, 1}}));
  EXPECT_GT(program.rig.clock.Now(), At("2026-12-09 09:00:00"));
}

TEST(ProgramWakeTime, RtcGetsBcdAlarmAndTimeOnTheLastSecondOfTheCentury) {
  for (const char* name : {"rtc-a2-intel-smbus", "rtc-d0-intel-smbus", "rtc-a2-intel-i2c"}) {
    ProgramOnBoard program(name, At("2099-12-31 23:59:59"));
    EXPECT_EQ(ProgramWakeTime(2, 23, 45), 2) << name;  // the RTC takes the plain weekday
    EXPECT_EQ(BusOps(program.rig.board.Log()),
              Writes(static_cast<uint8_t>(g_ChipAddress),
                     {{0x00, 0x20}, {0x09, 0x45}, {0x0A, 0x23}, {0x0B, 0x80}, {0x0C, 2}, {0x02, 0x59}, {0x03, 0x59},
                      {0x04, 0x23}, {0x05, 0x31}, {0x06, 4}, {0x07, 0x12}, {0x08, 0x99}, {0x01, 0x02}, {0x00, 0x00}}))
        << name;
  }
}

TEST(ClearWakeTime, McuIsOneWriteAndRtcStopsWithEveryAlarmDisabled) {
  for (const char* name : {"mcu-amd", "rtc-d0-amd"}) {
    ProgramOnBoard program(name);
    ProgramWakeTime(3, 9, 0);
    program.rig.board.ClearLog();
    ClearWakeTime();
    EXPECT_FALSE(program.rig.board.NextAlarmPowerOn()) << name;
    if (g_ChipAddress == kMcuAddress) {
      EXPECT_EQ(BusOps(program.rig.board.Log()), Writes(0xC2, {{0x00, 0}}));
      continue;
    }
    EXPECT_EQ(BusOps(program.rig.board.Log()),
              Writes(0xD0, {{0x00, 0x20}, {0x01, 0x00}, {0x09, 0x80}, {0x0A, 0x80}, {0x0B, 0x80}, {0x0C, 0x80}}));
  }
}

TEST(ServiceAlarmFlag, ReArmsOnlyAFiredAlarmKeepingTheRtcInterrupt) {
  struct Case {
    const char* profile;
    uint8_t minute;  // of the wake-up, from 08:00
    Lines armed, fired;
  };
  for (const Case& c : {Case{"mcu-intel-i2c", 2, {"bus-r 0xC2 0x00 0x01"},  // MCU: re-armed when it reads zero
                             {"bus-r 0xC2 0x00 0x00", "bus-w 0xC2 0x00 0x01"}},
                        Case{"rtc-a2-intel-smbus", 1, {"bus-r 0xA2 0x01 0x02"},
                             {"bus-r 0xA2 0x01 0x0A", "bus-w 0xA2 0x01 0x02"}}}) {
    ProgramOnBoard program(c.profile, At("2026-12-09 08:00:00"));
    ProgramWakeTime(3, 8, c.minute);
    program.rig.board.ClearLog();
    ServiceAlarmFlag();
    EXPECT_EQ(BusOps(program.rig.board.Log()), c.armed) << c.profile;
    program.rig.os.Sleep(static_cast<uint32_t>(c.minute * 60 + 60) * 1000);
    program.rig.board.ClearLog();
    ServiceAlarmFlag();
    EXPECT_EQ(BusOps(program.rig.board.Log()), c.fired) << c.profile;
  }
}

TEST(ServiceAlarmFlag, FailedReadDoesNothing) {
  for (const char* name : {"mcu-amd", "rtc-a2-amd"}) {
    ProgramOnBoard program(name);
    program.rig.board.SetNoAcknowledge(static_cast<uint8_t>(g_ChipAddress), true);
    ServiceAlarmFlag();
    const auto ops = testing::PortOps(program.rig.board.Log());  // the read started, nothing after it
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "out8 0xB22 0x48"), 1) << name;
  }
}

TEST(WakeChipOperations, WithoutADetectedChipNothingIsWritten) {
  ProgramOnBoard program("none-amd");
  EXPECT_EQ(ProgramWakeTime(1, 2, 3), 0);
  ClearWakeTime();
  ServiceAlarmFlag();
  EXPECT_TRUE(program.rig.board.Log().empty());
}

// Where the chip can hold the date the board starts on it; beyond its reach
// at the latest start it can hold, never sooner. A day of month is BCD.
TEST(ProgramWakeTime, AWakeUpWeeksAheadComesOnItsDateOrTheLatestTheChipReaches) {
  struct Case {
    const char *profile, *now, *wakeAt, *on;
    int day;  // the day value written
  } cases[] = {
      // A week on: the weekday alarm, or the first-week day code, would
      // match in half an hour. From a Saturday: the far end of the codes.
      {"mcu-amd", "2026-10-18 10:00", "2026-10-25 10:30", "2026-10-25 10:30", 8},
      {"rtc-a2-intel-i2c", "2026-10-18 10:00", "2026-10-25 10:30", "2026-10-25 10:30", 0x25},
      {"mcu-amd", "2026-10-24 10:00", "2026-10-31 10:30", "2026-10-31 10:30", 14},
      // Friday to Monday ten days on: past the codes, so their last day.
      {"mcu-intel-smbus", "2026-12-18 17:30", "2026-12-28 08:00", "2026-12-26 08:00", 14},
      {"rtc-a2-amd", "2026-12-18 17:30", "2027-01-04 08:00", "2027-01-04 08:00", 0x04},
      // 40 days on the 27th comes round in December already; the 18th of
      // January is the latest date that comes round first.
      {"rtc-d0-amd", "2026-12-18 17:30", "2027-01-27 08:00", "2027-01-18 08:00", 0x18},
  };
  const auto at = [](const char* minute) { return At((std::string(minute) + ":00").c_str()); };
  for (const Case& c : cases) {
    ProgramOnBoard program(c.profile, at(c.now));
    EXPECT_EQ(ProgramWakeTime(sim::VirtualClock::ToLocalTime(at(c.wakeAt))), c.day) << c.profile << c.wakeAt;
    program.rig.board.SwitchOff();
    const auto on = program.rig.board.NextAlarmPowerOn();
    ASSERT_TRUE(on) << c.profile;
    EXPECT_EQ(std::chrono::floor<std::chrono::minutes>(*on), at(c.on)) << c.profile << c.wakeAt;
  }
}

}  // namespace
}  // namespace vesk
