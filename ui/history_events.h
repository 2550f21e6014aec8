#pragma once
// The windows' entries in the program's history that more than one of
// their sources writes.
#include "hardware/hardware_globals.h"
#include "hardware/watchdog.h"
#include "history/history.h"
#include "schedule/alarm/wake_alarm.h"

namespace vesk::ui {

// The wake-up the chip held when it was last recorded; empty after it was
// switched off.
inline std::string& RecordedWakeUp() {
  static std::string recorded;
  return recorded;
}

// The wake-up just written into the chip: the local power-on time and the
// day value the chip holds for it. Writing the same wake-up again (a save
// that keeps the next power-on) changes nothing the user would look for.
inline void RecordWakeUp(const LocalTime& powerOn) {
  const std::string at = history::WeekTime(powerOn);
  const std::string day = std::to_string(g_AlarmDay);
  if (RecordedWakeUp() == at + " " + day) return;
  RecordedWakeUp() = at + " " + day;
  history::Record("wakeup", {{"at", at}, {"day", day}}, history::Mirror::Information);
}

inline void ForgetRecordedWakeUp() { RecordedWakeUp().clear(); }

inline void RecordWatchdog(const char* action) {
  history::Record("watchdog", {{"action", action}, {"kind", UsesMcuWatchdog() ? "mcu" : "superio"}});
}

// A system shutdown was counting down and has been called off.
inline void RecordShutdownAborted(const char* reason) {
  history::Record("shutdown-aborted", {{"reason", reason}}, history::Mirror::Information);
}

}  // namespace vesk::ui
