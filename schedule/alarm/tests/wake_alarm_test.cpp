#include "schedule/alarm/wake_alarm.h"

#include <gtest/gtest.h>

#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

using namespace std::chrono_literals;
using testing::At;
using testing::ProgramOnBoard;

struct AlarmProgram : ProgramOnBoard {
  AlarmProgram(std::string_view profile, sim::SimTime start) : ProgramOnBoard(profile, start) {
    ResetWakeAlarmRecord();
  }
  ~AlarmProgram() { ResetWakeAlarmRecord(); }
};

TEST(WakeAlarmRecord, KeepsTheDayValueWrittenAndSurvivesAClear) {
  // The MCU's day code (Monday from Wednesday: next week), the RTC's weekday.
  for (const auto& [profile, day] : {std::pair{"mcu-amd", 9}, std::pair{"rtc-a2-amd", 1}}) {
    AlarmProgram program(profile, At("2026-12-09 08:00:00"));
    ProgramWakeAlarm(1, 6, 30);
    ClearWakeAlarm();
    EXPECT_EQ(g_AlarmDay, day) << profile;
    EXPECT_EQ(g_AlarmHour, 6);
    EXPECT_EQ(g_AlarmMinute, 30);
  }
}

struct PowerOnCase {
  const char* profile;
  const char* now;       // when the alarm is programmed and the machine goes off
  uint8_t weekday, hour, minute;
  const char* expected;  // when the board must come on
};

void PrintTo(const PowerOnCase& c, std::ostream* os) { *os << c.profile << " at " << c.now; }

class AlarmPowersOn : public ::testing::TestWithParam<PowerOnCase> {};

TEST_P(AlarmPowersOn, AtTheProgrammedWeekdayHourAndMinute) {
  const PowerOnCase c = GetParam();
  AlarmProgram program(c.profile, At(c.now));
  auto& board = program.rig.board;
  ProgramWakeAlarm(c.weekday, c.hour, c.minute);
  board.SwitchOff();
  // The chip keeps its own time, set from the OS clock while it is
  // programmed, so it runs behind the board by the programming's duration.
  const auto predicted = board.NextAlarmPowerOn();
  ASSERT_TRUE(predicted) << c.profile;
  EXPECT_GE(*predicted, At(c.expected)) << c.profile;
  EXPECT_LT(*predicted, At(c.expected) + 1s) << c.profile;

  program.rig.clock.Advance(std::chrono::days{9});  // one jump over the whole wait
  ASSERT_EQ(board.Events().size(), 2u) << c.profile;
  const sim::BoardEvent& on = board.Events()[1];
  EXPECT_EQ(on.cause, sim::EventCause::Alarm);
  EXPECT_EQ(on.at, *predicted) << c.profile;
  EXPECT_EQ(board.Power(), sim::PowerState::On);
}

INSTANTIATE_TEST_SUITE_P(
    BothChipsBothModes, AlarmPowersOn,
    ::testing::Values(
        // Wednesday evening to Thursday morning (the whole-machine week has
        // the next morning on every board).
        PowerOnCase{"rtc-d0-nvidia", "2026-12-09 17:30:00", 4, 8, 0, "2026-12-10 08:00:00"},
        // Earlier in the week: the next week's Monday.
        PowerOnCase{"rtc-a2-amd", "2026-12-09 17:30:00", 1, 7, 15, "2026-12-14 07:15:00"},
        // Saturday night to Sunday morning, across the week's end.
        PowerOnCase{"mcu-intel-i2c", "2026-12-12 23:50:00", 0, 0, 5, "2026-12-13 00:05:00"},
        // The same minute: a week away.
        PowerOnCase{"mcu-intel-i2c", "2026-12-09 06:00:00", 3, 6, 0, "2026-12-16 06:00:00"},
        PowerOnCase{"rtc-a2-amd", "2026-12-09 06:00:00", 3, 6, 0, "2026-12-16 06:00:00"}));

}  // namespace
}  // namespace vesk
