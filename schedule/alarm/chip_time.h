#pragma once
// The wake-up chip keeps a clock of its own: set to the local time whenever
// the wake-up is written, it then simply counts on. Windows' local time does
// not always count on with it: daylight saving moves it by an hour. A
// wake-up that lies beyond such a change must therefore be written as the
// time the chip's clock will show at that moment, not as the local time.
//
// Also here: noticing that the local clock jumped (set by the user, by time
// synchronisation, or moved by daylight saving) between two clock ticks.
#include <cstdint>
#include <functional>

#include "platform/calendar.h"
#include "platform/os_services.h"

namespace vesk {

// Minutes local time is ahead of UTC at a UTC moment (OsServices'
// GetUtcOffsetMinutes).
using UtcOffsetRule = std::function<int32_t(const LocalTime& utc)>;

// The next power-on, a local time, as the chip's clock will show it, for a
// chip set to `nowLocal` (which is `nowUtc` in local time). A power-on that
// carries a date later than now is that date (across holidays it may lie
// weeks ahead); otherwise it is the first time the local clock reaches its
// weekday, hour and minute after now (the very current minute counts as a
// week away). In an hour that falling back repeats that is its first pass,
// in an hour that springing forward skips it is the moment of the jump.
// Only the date and the hour and minute of the result carry meaning; its
// weekday is filled in.
LocalTime WakeInChipTime(const LocalTime& nowLocal, const LocalTime& nowUtc, const LocalTime& powerOn,
                         const UtcOffsetRule& offsetAt);
// The same on the clocks and zone rules of the OS.
LocalTime WakeInChipTime(OsServices& os, const LocalTime& powerOn);

// Watches the local clock from one clock tick to the next against the
// system's tick count: a local time that moved by more than a minute more
// (or less) than the ticks did was set, or changed its offset from UTC.
class ClockJumpWatch {
 public:
  // True when the clock jumped since the previous call; the first call
  // only takes its bearings.
  bool Jumped(const LocalTime& local, uint64_t tickMs);
  // Takes new bearings (after the jump was handled).
  void Reset() { known_ = false; }

 private:
  bool known_ = false;
  int64_t localMs_ = 0;
  uint64_t tickMs_ = 0;
};

}  // namespace vesk
