#include "schedule/alarm/wake_alarm.h"

#include "hardware/wake_chip.h"

namespace vesk {

uint8_t g_AlarmDay = 0;
uint8_t g_AlarmHour = 0;
uint8_t g_AlarmMinute = 0;

void ProgramWakeAlarm(uint8_t weekday, uint8_t hour, uint8_t minute) {
  g_AlarmDay = ProgramWakeTime(weekday, hour, minute);
  g_AlarmHour = hour;
  g_AlarmMinute = minute;
}

void ClearWakeAlarm() { ClearWakeTime(); }

void ResetWakeAlarmRecord() {
  g_AlarmDay = 0;
  g_AlarmHour = 0;
  g_AlarmMinute = 0;
}

}  // namespace vesk
