#pragma once
// The windows' entries in the program's history that more than one of
// their sources writes.
#include <cstdio>
#include <string>

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

// The wake-up just written into the chip: the local power-on time, the day
// value the chip holds for it and, across a change of the UTC offset, the
// time the chip's own clock will show then. Writing the same wake-up again (a
// save that keeps the next power-on) changes nothing the user would look for.
inline void RecordWakeUp(const LocalTime& powerOn) {
  const std::string at = history::WeekTime(powerOn);
  const std::string day = std::to_string(g_AlarmDay);
  char chip[8];
  std::snprintf(chip, sizeof chip, "%02u:%02u", static_cast<unsigned>(g_AlarmHour % 100),
                static_cast<unsigned>(g_AlarmMinute % 100));
  const bool chipDiffers = g_AlarmHour != powerOn.wHour || g_AlarmMinute != powerOn.wMinute;
  if (RecordedWakeUp() == at + " " + day + " " + chip) return;
  RecordedWakeUp() = at + " " + day + " " + chip;
  if (chipDiffers) {
    history::Record("wakeup", {{"at", at}, {"day", day}, {"chip", chip}}, history::EventKind::WakeUpProgrammed);
  } else {
    history::Record("wakeup", {{"at", at}, {"day", day}}, history::EventKind::WakeUpProgrammed);
  }
}

// What reading the wake-up back found. A chip that keeps the wrong time is
// an error an administrator must see, once when it starts (the check is
// repeated every few seconds) and once more when it holds the wake-up again.
inline void RecordWakeCheck(WakeCheck result, bool failingBefore) {
  const char* const names[] = {"ok", "rewritten", "failed"};
  const bool failed = result == WakeCheck::Failed;
  history::EventKind logged = history::EventKind::None;
  if (failed && !failingBefore) logged = history::EventKind::WakeCheckFailed;
  if (!failed && failingBefore) logged = history::EventKind::WakeCheckRecovered;
  history::Record("wakeup-check", {{"result", names[static_cast<int>(result)]}}, logged);
}

inline void ForgetRecordedWakeUp() { RecordedWakeUp().clear(); }

inline void RecordWatchdog(const char* action) {
  history::Record("watchdog", {{"action", action}, {"kind", UsesMcuWatchdog() ? "mcu" : "superio"}});
}

// A system shutdown was counting down and has been called off.
inline void RecordShutdownAborted(const char* reason) {
  history::Record("shutdown-aborted", {{"reason", reason}}, history::EventKind::ShutdownAborted);
}

}  // namespace vesk::ui
