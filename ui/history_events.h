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

// The history's entries of the wake-ups written into the chip. Writing the
// same wake-up again (a save that keeps the next power-on) changes nothing
// the user would look for, so only a different one gets an entry. The main
// window owns the one instance.
class WakeUpHistory {
 public:
  // The wake-up just written into the chip: the local power-on time, the day
  // value the chip holds for it and, across a change of the UTC offset, the
  // time the chip's own clock will show then.
  void Record(const LocalTime& powerOn) {
    const std::string at = history::WeekTime(powerOn);
    const std::string day = std::to_string(g_AlarmDay);
    char chip[8];
    std::snprintf(chip, sizeof chip, "%02u:%02u", static_cast<unsigned>(g_AlarmHour % 100),
                  static_cast<unsigned>(g_AlarmMinute % 100));
    const bool chipDiffers = g_AlarmHour != powerOn.wHour || g_AlarmMinute != powerOn.wMinute;
    if (recorded_ == at + " " + day + " " + chip) return;
    recorded_ = at + " " + day + " " + chip;
    if (chipDiffers) {
      history::Record("wakeup", {{"at", at}, {"day", day}, {"chip", chip}}, history::EventKind::WakeUpProgrammed);
    } else {
      history::Record("wakeup", {{"at", at}, {"day", day}}, history::EventKind::WakeUpProgrammed);
    }
  }
  // The wake-up was switched off: the next one gets an entry, whatever it is.
  void Forget() { recorded_.clear(); }

 private:
  std::string recorded_;  // the wake-up last recorded; empty after a Forget
};

// What reading the wake-up back found; a chip that keeps the wrong time is
// an error an administrator must see. A good read-back that ends a spell of
// failed ones says how many failed, and goes to the event log too, so that
// the error there is seen to have ended.
inline void RecordWakeCheck(WakeCheck result, uint32_t failedBefore = 0) {
  const char* const names[] = {"ok", "rewritten", "failed"};
  const char* const name = names[static_cast<int>(result)];
  if (result == WakeCheck::Failed) {
    history::Record("wakeup-check", {{"result", name}}, history::EventKind::WakeCheckFailed);
  } else if (failedBefore > 0) {
    history::Record("wakeup-check", {{"result", name}, {"failed-checks", std::to_string(failedBefore)}},
                    history::EventKind::WakeCheckRecovered);
  } else {
    history::Record("wakeup-check", {{"result", name}});
  }
}

inline void RecordWatchdog(const char* action) {
  history::Record("watchdog", {{"action", action}, {"kind", UsesMcuWatchdog() ? "mcu" : "superio"}});
}

// A system shutdown was counting down and has been called off.
inline void RecordShutdownAborted(const char* reason) {
  history::Record("shutdown-aborted", {{"reason", reason}}, history::EventKind::ShutdownAborted);
}

}  // namespace vesk::ui
