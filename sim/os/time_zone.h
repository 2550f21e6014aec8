#pragma once
// The time-zone rules of the simulated machine's Windows: UTC by default,
// and in the native build any zone of the system's time-zone database
// ("Europe/Berlin", "America/New_York"), daylight saving included.
#include <optional>
#include <string>

#include "sim/os/virtual_clock.h"

namespace vesk::sim {

class TimeZone {
 public:
  TimeZone() = default;  // UTC

  // Nothing for a name the database does not know (in the Windows build,
  // which has no database, for anything but "UTC").
  static std::optional<TimeZone> Named(const std::string& name);

  const std::string& Name() const { return name_; }
  // How far local time is ahead of UTC at a UTC moment.
  Microseconds OffsetAt(SimTime utc) const;
  SimTime ToLocal(SimTime utc) const { return utc + OffsetAt(utc); }
  // The UTC moment at which the local clock first shows `local`: in an hour
  // that falling back repeats, its first pass; in an hour that springing
  // forward skips, the moment of the jump.
  SimTime ToUtc(SimTime local) const;
  // The first change of the offset after `after`, if one comes by `until`.
  std::optional<SimTime> NextChange(SimTime after, SimTime until) const;

 private:
  const void* rules_ = nullptr;  // the database's zone; none for UTC
  std::string name_ = "UTC";
};

}  // namespace vesk::sim
