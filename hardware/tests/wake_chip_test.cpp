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
  EXPECT_EQ(McuDayCode(3, 9, 0, wednesday8), 4);   // later today
  EXPECT_EQ(McuDayCode(3, 7, 0, wednesday8), 11);  // earlier today: a week away
  EXPECT_EQ(McuDayCode(3, 8, 1, wednesday8), 4);   // one minute later
  EXPECT_EQ(McuDayCode(3, 8, 0, wednesday8), 11);  // this very minute: a week away
  EXPECT_EQ(McuDayCode(3, 7, 59, wednesday8), 11);
  EXPECT_EQ(McuDayCode(0, 0, 0, Local(6, 23, 59)), 8);  // Saturday night to Sunday
  EXPECT_EQ(McuDayCode(6, 23, 59, Local(0, 0, 0)), 7);  // Sunday to Saturday night
  EXPECT_EQ(McuDayCode(0, 0, 0, Local(0, 23, 59)), 8);
}

TEST(ChipDetection, McuFirstThenA2ThenD0InBothBusModes) {
  const std::vector<std::pair<std::string, uint32_t>> cases{
      {"mcu", 0xC2}, {"rtc-a2", 0xA2}, {"rtc-d0", 0xD0}, {"mcu+rtc-a2", 0xC2}, {"none", kNoWakeChip}};
  for (const char* controller : {"amd", "intel-i2c", "intel-smbus"}) {
    for (const auto& [chip, expected] : cases) {
      const std::string name = chip + "-" + controller;
      ProgramOnBoard program(name);
      EXPECT_EQ(g_ChipAddress, expected) << name;
      EXPECT_EQ(DetectWakeChip(), expected) << name;
    }
  }
  ProgramOnBoard onlyD0("rtc-d0-intel-i2c");
  DetectWakeChip();
  EXPECT_EQ(BusOps(onlyD0.rig.board.Log()),
            (std::vector<std::string>{"bus-nack 0xC2", "bus-nack 0xA2", "bus-r 0xD0 0x00 0x00"}));
}

TEST(ChipDetection, McuThatDoesNotAcknowledgeLeavesTheRtc) {
  sim::BoardRig rig{"mcu+rtc-a2-amd"};
  rig.board.SetNoAcknowledge(0xC2, true);
  StartDrivers(rig.driver);
  BindHardware(rig.driver, rig.os);
  g_Bus.Init();
  EXPECT_EQ(DetectWakeChip(), kRtcAddressA2);
  ResetHardwareGlobals();
}

std::vector<std::string> Writes(uint8_t chip, std::initializer_list<std::pair<int, int>> regValues) {
  std::vector<std::string> lines;
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
            Writes(0xC2, {{0x00, 0}, {0x08, 0}, {0x07, 30}, {0x06, 7}, {0x05, 6}, {0x04, 59},
                          {0x03, 59}, {0x02, 8}, {0x01, 4}, {0x00, 1}}));
  EXPECT_GT(program.rig.clock.Now(), At("2026-12-09 09:00:00"));
}

TEST(ProgramWakeTime, McuInI2cModeWritesTheSameAndAnswersTheDayCode) {
  ProgramOnBoard program("mcu-intel-i2c", At("2026-12-09 08:00:00"));
  EXPECT_EQ(ProgramWakeTime(1, 6, 5), 9);  // Monday, next week
  EXPECT_EQ(BusOps(program.rig.board.Log()),
            Writes(0xC2, {{0x00, 0}, {0x08, 0}, {0x07, 5}, {0x06, 6}, {0x05, 9}, {0x04, 0},
                          {0x03, 0}, {0x02, 8}, {0x01, 4}, {0x00, 1}}));
}

TEST(ProgramWakeTime, RtcGetsBcdAlarmAndTimeOnTheLastSecondOfTheCentury) {
  for (const char* name : {"rtc-a2-intel-smbus", "rtc-d0-intel-smbus", "rtc-a2-intel-i2c"}) {
    ProgramOnBoard program(name, At("2099-12-31 23:59:59"));
    const auto chip = static_cast<uint8_t>(g_ChipAddress);
    EXPECT_EQ(ProgramWakeTime(2, 23, 45), 2) << name;  // the RTC takes the plain weekday
    EXPECT_EQ(BusOps(program.rig.board.Log()),
              Writes(chip, {{0x00, 0x20}, {0x09, 0x45}, {0x0A, 0x23}, {0x0B, 0x80}, {0x0C, 2},
                            {0x02, 0x59}, {0x03, 0x59}, {0x04, 0x23}, {0x05, 0x31}, {0x06, 4},
                            {0x07, 0x12}, {0x08, 0x99}, {0x01, 0x02}, {0x00, 0x00}}))
        << name;
    EXPECT_TRUE(program.rig.board.Rtc()->Running());
  }
}

TEST(ClearWakeTime, McuIsOneWriteAndRtcStopsWithEveryAlarmDisabled) {
  ProgramOnBoard mcu("mcu-amd");
  ProgramWakeTime(3, 9, 0);
  mcu.rig.board.ClearLog();
  ClearWakeTime();
  EXPECT_EQ(BusOps(mcu.rig.board.Log()), Writes(0xC2, {{0x00, 0}}));
  EXPECT_FALSE(mcu.rig.board.NextAlarmPowerOn());
  ResetHardwareGlobals();

  ProgramOnBoard rtc("rtc-d0-amd");
  ProgramWakeTime(3, 9, 0);
  rtc.rig.board.ClearLog();
  ClearWakeTime();
  EXPECT_EQ(BusOps(rtc.rig.board.Log()),
            Writes(0xD0, {{0x00, 0x20}, {0x01, 0x00}, {0x09, 0x80}, {0x0A, 0x80}, {0x0B, 0x80},
                          {0x0C, 0x80}}));
  auto* chip = rtc.rig.board.Rtc();
  EXPECT_FALSE(chip->Running());
  for (uint8_t reg = 0x09; reg <= 0x0C; ++reg) EXPECT_EQ(chip->Register(reg, rtc.rig.clock.Now()), 0x80);
  EXPECT_FALSE(rtc.rig.board.NextAlarmPowerOn());
}

TEST(ServiceAlarmFlag, McuIsReArmedOnlyWhenItReadsZero) {
  ProgramOnBoard program("mcu-intel-i2c", At("2026-12-09 08:00:00"));
  ProgramWakeTime(3, 8, 2);
  program.rig.board.ClearLog();
  ServiceAlarmFlag();  // armed: read only
  EXPECT_EQ(BusOps(program.rig.board.Log()), std::vector<std::string>{"bus-r 0xC2 0x00 0x01"});

  program.rig.os.Sleep(3 * 60 * 1000);  // the wake-up fires and the chip clears register 0
  program.rig.board.ClearLog();
  ServiceAlarmFlag();
  EXPECT_EQ(BusOps(program.rig.board.Log()),
            (std::vector<std::string>{"bus-r 0xC2 0x00 0x00", "bus-w 0xC2 0x00 0x01"}));
}

TEST(ServiceAlarmFlag, FailedReadDoesNothing) {
  for (const char* name : {"mcu-amd", "rtc-a2-amd"}) {
    ProgramOnBoard program(name);
    program.rig.board.SetNoAcknowledge(static_cast<uint8_t>(g_ChipAddress), true);
    ServiceAlarmFlag();
    // One transfer started (the read), none after it.
    const auto ops = testing::PortOps(program.rig.board.Log());
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "out8 0xB22 0x48"), 1) << name;
    ResetHardwareGlobals();
  }
}

TEST(ServiceAlarmFlag, RtcFlagIsClearedWithTheAlarmInterruptKept) {
  ProgramOnBoard program("rtc-a2-intel-smbus", At("2026-12-09 08:00:00"));
  ProgramWakeTime(3, 8, 1);
  program.rig.board.ClearLog();
  ServiceAlarmFlag();  // no flag yet
  EXPECT_EQ(BusOps(program.rig.board.Log()), std::vector<std::string>{"bus-r 0xA2 0x01 0x02"});

  program.rig.os.Sleep(61 * 1000);
  program.rig.board.ClearLog();
  ServiceAlarmFlag();
  EXPECT_EQ(BusOps(program.rig.board.Log()),
            (std::vector<std::string>{"bus-r 0xA2 0x01 0x0A", "bus-w 0xA2 0x01 0x02"}));
  EXPECT_EQ(program.rig.board.Rtc()->Register(0x01, program.rig.clock.Now()), 0x02);
}

TEST(McuWatchdogRegisters, AlwaysAt0xC2WhateverTheChip) {
  ProgramOnBoard program("rtc-a2-intel-i2c");
  McuWatchdogStart(g_Bus);
  McuWatchdogKick(g_Bus);
  McuWatchdogStop(g_Bus);
  EXPECT_EQ(BusOps(program.rig.board.Log()), std::vector<std::string>(4, "bus-nack 0xC2"));

  ProgramOnBoard mcu("mcu-amd");
  McuWatchdogStart(g_Bus);
  McuWatchdogKick(g_Bus);
  McuWatchdogStop(g_Bus);
  EXPECT_EQ(BusOps(mcu.rig.board.Log()), Writes(0xC2, {{0x0A, 60}, {0x09, 1}, {0x0A, 60}, {0x09, 0}}));
}

TEST(WakeChipOperations, WithoutADetectedChipNothingIsWritten) {
  ProgramOnBoard program("none-amd");
  EXPECT_EQ(ProgramWakeTime(1, 2, 3), 0);
  ClearWakeTime();
  ServiceAlarmFlag();
  EXPECT_TRUE(program.rig.board.Log().empty());
}

}  // namespace
}  // namespace vesk
