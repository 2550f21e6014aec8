#include "history/event_kinds.h"

namespace vesk::history {

EventLogType LevelOf(EventKind kind) {
  switch (kind) {
    case EventKind::ShutdownFailed:
    case EventKind::WakeCheckFailed:
    case EventKind::DriverFailed:
    case EventKind::NoChip:
    case EventKind::BoardRefused:
    case EventKind::SaveFailed:
    case EventKind::ClearFailed:
    case EventKind::LoadFailed:
    case EventKind::HolidaysRefused:
    case EventKind::FolderOpen:
      return EventLogType::Error;
    default:
      return EventLogType::Information;
  }
}

}  // namespace vesk::history
