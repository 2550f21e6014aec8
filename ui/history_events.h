#pragma once
// The windows' entries in the program's history that more than one of
// their sources writes.
#include "hardware/hardware_globals.h"
#include "hardware/watchdog.h"
#include "history/history.h"
#include "schedule/alarm/wake_alarm.h"

namespace vesk::ui {

// The wake-up just written into the chip: the local power-on time and the
// day value the chip holds for it.
inline void RecordWakeUp(const LocalTime& powerOn) {
  history::Record("wakeup",
                  {{"at", history::WeekTime(powerOn)}, {"day", std::to_string(g_AlarmDay)}},
                  history::Mirror::Information);
}

inline void RecordWatchdog(const char* action) {
  history::Record("watchdog", {{"action", action}, {"kind", UsesMcuWatchdog() ? "mcu" : "superio"}});
}

// A system shutdown was counting down and has been called off.
inline void RecordShutdownAborted(const char* reason) {
  history::Record("shutdown-aborted", {{"reason", reason}}, history::Mirror::Information);
}

}  // namespace vesk::ui
