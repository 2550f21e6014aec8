#pragma once
// Keeps the wake-up chip holding the next power-on of the timetable, and
// remembers what was written last so that the periodic refresh can tell
// whether the chip must be written again.
#include <cstdint>

namespace vesk {

// The wake-up last programmed: the day value written into the chip (RTC:
// weekday 0..6, MCU: day code 1..14), its hour and minute. Zero at start;
// only ProgramWakeAlarm writes them.
extern uint8_t g_AlarmDay;
extern uint8_t g_AlarmHour;
extern uint8_t g_AlarmMinute;

// Programs the next power-on (weekday 0..6, hour, minute) into the chip and
// records it. Chip failures are not noticed here.
void ProgramWakeAlarm(uint8_t weekday, uint8_t hour, uint8_t minute);
// Switches the chip's wake-up off; the record stays.
void ClearWakeAlarm();
// Back to the record of a freshly started process.
void ResetWakeAlarmRecord();

}  // namespace vesk
