#pragma once
// The history events that also go to the system's event log (on Windows the
// Application log, source "VESK"), each kind under an event ID of its own.
// Forwarding subscriptions and log collectors pick VESK's events by these
// numbers, so a number never changes its meaning: a new kind takes a new
// number. 1 and 2, which earlier versions wrote for every information and
// every error entry, are not used again. The message table
// resources/event_messages.mc holds the same numbers, and the README lists
// them.
#include <cstdint>

#include "platform/os_services.h"

namespace vesk::history {

enum class EventKind : uint16_t {
  None = 0,  // kept in the history file only

  Start = 100,               // start path=..
  WokenByAlarm = 101,        // woken cause=alarm

  ShutdownStarted = 110,     // shutdown result=started
  ShutdownFailed = 111,      // shutdown result=failed
  ShutdownAborted = 112,     // shutdown-aborted reason=..

  WakeUpProgrammed = 120,    // wakeup at=..
  WakeCheckFailed = 121,     // wakeup-check result=failed, the first of a run of failures
  WakeCheckRecovered = 122,  // wakeup-check result=ok|rewritten after a failure

  DriverPath = 130,          // drivers path=pawnio|libraries (the way to the hardware in use)
  DriverFailed = 131,        // driver-failed attempt=N
  NoChip = 132,              // no-chip

  BoardRefused = 140,        // board-refused reason=..

  SaveFailed = 150,          // save-failed reason=..
  ClearFailed = 151,         // clear-failed reason=..
  LoadFailed = 152,          // load-failed reason=.. (the timetable file cannot be read)

  HolidaysRefused = 160,     // holidays-refused reason=..

  FolderOpen = 170,          // folder-open folder=.. path=.. (others can change what VESK loads)
};

// Every kind that goes to the event log, in the order of their IDs.
inline constexpr EventKind kLoggedEventKinds[] = {
    EventKind::Start,           EventKind::WokenByAlarm,       EventKind::ShutdownStarted,
    EventKind::ShutdownFailed,  EventKind::ShutdownAborted,    EventKind::WakeUpProgrammed,
    EventKind::WakeCheckFailed, EventKind::WakeCheckRecovered, EventKind::DriverPath,
    EventKind::DriverFailed,    EventKind::NoChip,             EventKind::BoardRefused,
    EventKind::SaveFailed,      EventKind::ClearFailed,        EventKind::LoadFailed,
    EventKind::HolidaysRefused, EventKind::FolderOpen,
};

// Error for what an administrator must act on, information otherwise.
EventLogType LevelOf(EventKind kind);

inline uint16_t EventIdOf(EventKind kind) { return static_cast<uint16_t>(kind); }

}  // namespace vesk::history
