// The board model itself: where it would mislead the program's tests if it
// were wrong.
#include <gtest/gtest.h>

#include "sim/board/board_rig.h"

namespace vesk::sim {
namespace {

using namespace std::chrono_literals;

SimTime At(const char* text) { return ParseSimTime(text).value(); }

TEST(BoardProfiles, EveryChipWithEveryControllerAndNothingElse) {
  const auto names = BoardProfileNames();
  EXPECT_EQ(names.size(), 25u);
  for (const auto& name : names) EXPECT_TRUE(ParseBoardProfile(name)) << name;

  // Both chips on one board; the Braswell SMBus controller only with "intel-smbus".
  const auto both = ParseBoardProfile("mcu+rtc-a2-intel-i2c").value();
  EXPECT_TRUE(both.hasMcu && both.rtcAddress == 0xA2 && both.hasI2cController && !both.smbusControllerDevice);
  EXPECT_EQ(ParseBoardProfile("rtc-d0-intel-smbus")->smbusControllerDevice, 0x2292);
  for (const char* bad : {"", "mcu", "mcu-", "-amd", "rtc-amd", "rtc-a3-amd", "mcu-amd-", "mcu-intel",
                          "mcu+rtc-d0-amd", "MCU-AMD"}) {
    EXPECT_FALSE(ParseBoardProfile(bad)) << bad;
  }
}

TEST(SuperIo, OnlyTheExactKeyOpensItExitLocksItAndItCountsInMinutesUntilSecondsAreChosen) {
  IteSuperIo chip;
  const SimTime t = At("2026-12-07 08:00:00");
  auto writeReg = [&](uint8_t reg, uint8_t value) {
    chip.Write(0x2E, reg, t);
    chip.Write(0x2F, value, t);
  };
  for (uint8_t b : std::initializer_list<uint8_t>{0x87, 0x01, 0x55, 0xAA}) chip.Write(0x2E, b, t);  // the key of the 0x4E chips
  EXPECT_FALSE(chip.InConfigMode());
  writeReg(0x07, 0x07);
  writeReg(0x73, 0x3C);
  EXPECT_EQ(chip.WdtTimeout(), 0);

  for (uint8_t b : std::initializer_list<uint8_t>{0x87, 0x01, 0x87, 0x01, 0x55, 0x55}) chip.Write(0x2E, b, t);  // restarted key
  EXPECT_TRUE(chip.InConfigMode());
  writeReg(0x73, 0x3C);  // logical device 7 not selected yet
  EXPECT_EQ(chip.WdtTimeout(), 0);
  writeReg(0x07, 0x07);
  writeReg(0x73, 0x3C);
  EXPECT_EQ(chip.WdtTimeout(), 60);
  EXPECT_EQ(chip.CountEnds(), t + 60min);
  EXPECT_FALSE(chip.ResetOnTimeout());
  writeReg(0x72, 0xC0);  // seconds, and a reset (KRST) at the end
  EXPECT_EQ(chip.CountEnds(), t + 60s);
  EXPECT_TRUE(chip.ResetOnTimeout());
  writeReg(0x02, 0x02);
  EXPECT_FALSE(chip.InConfigMode());
  chip.Write(0x2F, 0x00, t);
  EXPECT_EQ(chip.WdtTimeout(), 60);
  for (uint8_t b : IteSuperIo::kEntryKey) chip.Write(0x2E, b, t);
  writeReg(0x07, 0x07);
  writeReg(0x73, 0x00);
  writeReg(0x74, 0x00);
  EXPECT_FALSE(chip.CountEnds());
}

struct Bench {
  explicit Bench(const char* profile, SimTime start = At("2026-12-09 08:00:00")) : rig(profile, start) {
    rig.driver.InitializeOls();
    rig.driver.InitializeWinIo();
  }
  BoardRig rig;
};

// Writes one RTC register through its bus interface, as a controller would.
void RtcWrite(Pcf8563Chip& rtc, uint8_t reg, uint8_t value, SimTime now) {
  uint8_t written = 0;
  rtc.BeginTransfer(false);
  rtc.ReceiveByte(reg, now, written);
  rtc.ReceiveByte(value, now, written);
}

TEST(RtcModel, AlarmFlagCanOnlyBeClearedByWrites) {
  const SimTime t = At("2026-12-09 08:00:00");
  Pcf8563Chip rtc(t);
  RtcWrite(rtc, 0x01, 0x0A, t);  // tries to set AF
  EXPECT_EQ(rtc.Register(0x01, t), 0x02);
  RtcWrite(rtc, 0x09, 0x01, t);  // minute alarm :01
  ASSERT_EQ(rtc.AlarmAt(), At("2026-12-09 08:01:00"));
  EXPECT_TRUE(rtc.FireAlarm(*rtc.AlarmAt()));
  EXPECT_EQ(rtc.Register(0x01, t), 0x0A);
  EXPECT_EQ(rtc.AlarmAt(), At("2026-12-09 09:01:00"));  // the next match, an hour on
  RtcWrite(rtc, 0x01, 0x0A, t);                         // writing 1 keeps it
  EXPECT_EQ(rtc.Register(0x01, t), 0x0A);
  RtcWrite(rtc, 0x01, 0x00, t);
  EXPECT_EQ(rtc.Register(0x01, t), 0x00);
}

TEST(RtcModel, DateWrittenFieldByFieldWhileStoppedPassesThrough31February) {
  const SimTime t = At("2026-02-10 12:00:00");
  Pcf8563Chip rtc(t);
  RtcWrite(rtc, 0x00, 0x20, t);
  RtcWrite(rtc, 0x05, 0x31, t);  // 31 February for a moment
  RtcWrite(rtc, 0x07, 0x03, t);
  RtcWrite(rtc, 0x06, 0x02, t);
  EXPECT_EQ(rtc.Register(0x05, t), 0x31);
  EXPECT_EQ(rtc.Register(0x07, t), 0x03);
  const SimTime later = t + 10min;
  EXPECT_EQ(rtc.Register(0x03, later), 0x00);  // stopped: the minutes stand
  RtcWrite(rtc, 0x00, 0x00, later);
  EXPECT_EQ(rtc.Register(0x05, later + 12h), 0x01);  // 1 April
  EXPECT_EQ(rtc.Register(0x07, later + 12h), 0x04);
  EXPECT_EQ(rtc.Register(0x06, later + 12h), 0x03);  // its own weekday counter moved on
}

TEST(RtcModel, WeekdayAlarmMatchesOnlyOnItsWeekdayAndNotInTheCurrentMinute) {
  const SimTime t = At("2026-12-09 08:00:30");  // Wednesday
  Pcf8563Chip rtc(t);
  RtcWrite(rtc, 0x09, 0x00, t);
  RtcWrite(rtc, 0x0A, 0x08, t);
  RtcWrite(rtc, 0x0C, 0x03, t);
  EXPECT_EQ(rtc.AlarmAt(), At("2026-12-16 08:00:00"));
  RtcWrite(rtc, 0x0A, 0x25, t);  // hour 25 never comes
  EXPECT_FALSE(rtc.AlarmAt());
}

TEST(McuModel, WeekClockWrapsAndDayCodesCountFromItsOwnWeek) {
  const SimTime t = At("2026-12-12 23:59:00");  // Saturday
  McuChip mcu(t);
  EXPECT_EQ(mcu.ReadRegister(0x01, t), 7);
  EXPECT_EQ(mcu.ReadRegister(0x01, t + 1min), 1);  // Sunday
  EXPECT_EQ(mcu.ReadRegister(0x02, t + 1min), 0);
  mcu.WriteRegister(0x05, 8, t);   // Sunday of the next week
  mcu.WriteRegister(0x06, 0, t);
  mcu.WriteRegister(0x07, 30, t);
  mcu.WriteRegister(0x00, 1, t);
  EXPECT_EQ(mcu.WakeAt(), At("2026-12-13 00:30:00"));
  mcu.WriteRegister(0x05, 7, t);   // Saturday 00:30 of this week is past
  mcu.WriteRegister(0x00, 1, t);
  EXPECT_FALSE(mcu.WakeAt());
  mcu.WriteRegister(0x01, 9, t);   // an impossible weekday is refused
  EXPECT_EQ(mcu.ReadRegister(0x01, t), 7);
}

TEST(BoardPower, RtcAlarmWithoutInterruptEnableFlagsButDoesNotPowerOn) {
  Bench bench("rtc-a2-amd", At("2026-12-09 17:00:00"));
  auto& board = bench.rig.board;
  auto& rtc = *board.Rtc();
  const SimTime now = bench.rig.clock.Now();
  RtcWrite(rtc, 0x09, 0x05, now);
  board.SwitchOff();
  EXPECT_FALSE(board.NextAlarmPowerOn());
  bench.rig.clock.Advance(10min);
  EXPECT_EQ(board.Power(), PowerState::Off);
  EXPECT_EQ(rtc.Register(0x01, bench.rig.clock.Now()) & 0x08, 0x08);
  board.PressPowerButton();
  EXPECT_EQ(board.Events().back().cause, EventCause::PowerButton);
}

TEST(BoardLifetime, ClockOutlivingTheBoardIsSafe) {
  VirtualClock clock;
  {
    Board board(clock, ParseBoardProfile("mcu-amd").value());
  }
  clock.Advance(1s);  // the board's observer must not reach the destroyed board
  SUCCEED();
}

}  // namespace
}  // namespace vesk::sim
