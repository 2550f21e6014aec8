#include "schedule/alarm/wake_alarm.h"

#include <gtest/gtest.h>

#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

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

}  // namespace
}  // namespace vesk
