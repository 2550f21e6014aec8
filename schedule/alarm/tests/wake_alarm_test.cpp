#include "schedule/alarm/wake_alarm.h"

#include <gtest/gtest.h>

#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

using testing::At;
using testing::ProgramOnBoard;

// A power-on by weekday, hour and minute alone.
LocalTime PowerOn(uint16_t weekday, uint16_t hour, uint16_t minute) { return {0, 0, weekday, 0, hour, minute}; }

struct AlarmProgram : ProgramOnBoard {
  AlarmProgram(std::string_view profile, sim::SimTime start) : ProgramOnBoard(profile, start) { ResetAlarmGlobals(); }
  ~AlarmProgram() { ResetAlarmGlobals(); }
  WakeAlarm alarm;
};

TEST(WakeAlarmRecord, KeepsTheDayValueWrittenAndSurvivesAClear) {
  // The MCU's day code (Monday from Wednesday: next week), the RTC's weekday.
  for (const auto& [profile, day] : {std::pair{"mcu-amd", 9}, std::pair{"rtc-a2-amd", 1}}) {
    AlarmProgram program(profile, At("2026-12-09 08:00:00"));
    program.alarm.Program(PowerOn(1, 6, 30));
    program.alarm.Clear();
    EXPECT_EQ(g_AlarmDay, day) << profile;
    EXPECT_EQ(g_AlarmHour, 6);
    EXPECT_EQ(g_AlarmMinute, 30);
  }
}

TEST(WakeAlarm, ReadsAChangedWakeUpBackAndWritesALostOneOnce) {
  // Writes the chip loses -> what the read-back finds. A first programming
  // changes three registers of the RTC and two of the MCU (minute 0 stays).
  struct Case {
    const char* profile;
    unsigned lost;
    WakeCheck found;
  };
  for (const Case& c : {Case{"mcu-intel-smbus", 0, WakeCheck::Ok}, Case{"mcu-intel-i2c", 1, WakeCheck::Rewritten},
                        Case{"rtc-a2-amd", 3, WakeCheck::Rewritten}, Case{"mcu-amd", 4, WakeCheck::Failed},
                        Case{"rtc-d0-intel-i2c", 4, WakeCheck::Failed}}) {
    AlarmProgram program(c.profile, At("2026-12-09 17:30:00"));
    auto& board = program.rig.board;
    if (board.Mcu()) board.Mcu()->LoseWakeWrites(c.lost);
    if (board.Rtc()) board.Rtc()->LoseWakeWrites(c.lost);
    EXPECT_EQ(program.alarm.Program(PowerOn(4, 8, 0)), c.found) << c.profile;
    const bool failed = c.found == WakeCheck::Failed;
    // A failure is tried again at the next refresh; a wake-up that took is
    // not read back when the same registers are written again.
    EXPECT_EQ(program.alarm.NeedsWrite(PowerOn(4, 8, 0)), failed || board.Mcu() != nullptr) << c.profile;
    const auto again = program.alarm.Program(PowerOn(4, 8, 0));
    EXPECT_EQ(again, failed ? std::optional(WakeCheck::Ok) : std::nullopt) << c.profile;
  }
}

// A chip that stops answering once found: a read-back that fails, also for
// the very wake-up it held before, never one that passes or none at all.
TEST(WakeAlarm, AChipThatStopsAnsweringFailsItsCheck) {
  for (const char* profile : {"mcu-amd", "rtc-a2-intel-i2c"}) {
    AlarmProgram program(profile, At("2026-12-09 17:30:00"));
    ASSERT_EQ(program.alarm.Program(PowerOn(4, 8, 0)), WakeCheck::Ok) << profile;
    program.rig.board.SetNoAcknowledge(static_cast<uint8_t>(g_ChipAddress), true);
    EXPECT_EQ(program.alarm.Program(PowerOn(4, 8, 0)), WakeCheck::Failed) << profile;
    EXPECT_EQ(program.alarm.Program(PowerOn(5, 8, 0)), WakeCheck::Failed) << profile;
    EXPECT_TRUE(program.alarm.NeedsWrite(PowerOn(5, 8, 0))) << profile;
  }
}

}  // namespace
}  // namespace vesk
