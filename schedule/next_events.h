#pragma once
// When the machine is shut down next and powered on next, from the timetable
// in force, the local clock and a possible postponement. The machine is meant
// to run only inside phases that are on: inside one, the next shutdown is its
// end; outside all of them it is the current minute.
//
// Results are local-time records that start from the time they were computed
// from; wDayOfWeek, wHour and wMinute are replaced and carry meaning, and a
// date that the fields make moves on with the weekday.
//
// Holidays: on a date that has an exception its periods replace the
// weekday's. They count only where the local time carries a date; a record
// with weekday, hour and minute alone sees the weekly timetable.
//
// Times of 1440 minutes and more take part as they are (an End of 2000 gives
// hour 33, minute 20).
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/os_services.h"
#include "schedule/holidays.h"
#include "schedule/week_schedule.h"

namespace vesk {

// A power-on at most this many minutes after the shutdown minute keeps the
// machine running instead of switching it off for so short a time.
inline constexpr int kPowerOnGraceMinutes = 3;
// The warning comes this many minutes before the shutdown.
inline constexpr int kWarningLeadMinutes = 5;

// A postponement of the shutdown. Index 0 of each pair is the origin (local
// weekday, hour and minute when the user asked), index 1 the target (the
// postponed shutdown). All zero means none. Once the clock has passed the
// postponed shutdown on its day the postponement is spent: it no longer
// counts, and the running period's end is the next shutdown again.
struct Postponement {
  std::array<uint8_t, 2> Day{};
  std::array<uint8_t, 2> Hour{};
  std::array<uint8_t, 2> Minute{};

  static constexpr std::size_t kOrigin = 0;
  static constexpr std::size_t kTarget = 1;

  // Active when the target differs from the origin in weekday, hour or minute.
  bool IsActive() const;
  friend bool operator==(const Postponement&, const Postponement&) = default;
};

// What the local clock shows a number of real minutes from now. Across a
// change of daylight saving the wall clock jumps or goes back an hour, so
// "five minutes from now" is not always five wall-clock minutes on.
class LocalClockAhead {
 public:
  using OffsetRule = std::function<int32_t(const LocalTime& utc)>;
  // A clock whose offset from UTC never changes: real time is wall-clock time.
  explicit LocalClockAhead(const LocalTime& nowLocal);
  // Minutes local time is ahead of UTC at a UTC moment, and now in UTC.
  LocalClockAhead(const LocalTime& nowUtc, OffsetRule offsetAt);
  // The clocks and zone rules of the OS, read once.
  explicit LocalClockAhead(OsServices& os);

  // The local minute `minutes` real minutes from now (seconds dropped).
  LocalTime After(int minutes) const;

 private:
  LocalTime now_;
  OffsetRule offsetAt_;  // empty for a clock without changes
};

// --- on a given local time (pure) ---
LocalTime NextShutdownAt(const WeekSchedule& schedule, const Postponement& postponement,
                         const LocalTime& now, const Holidays& holidays);
// The first power-on strictly after the weekday, hour and minute of `after`;
// `after` itself when no phase of the week is on. Across holidays it may lie
// weeks ahead; the weekday then says less than the date.
LocalTime GetNextPowerOn(const WeekSchedule& schedule, const LocalTime& after, const Holidays& holidays);
bool ShutdownDueAt(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                   const LocalTime& now, const Holidays& holidays);
// True when `postponement` is active but the clock has passed its shutdown
// on that shutdown's day; the owner of the record drops it then.
bool PostponementSpentAt(const WeekSchedule& schedule, const Postponement& postponement, const LocalTime& now,
                         const Holidays& holidays);
// A phase that is on runs now (no postponement taken into account).
bool PeriodRunningAt(const WeekSchedule& schedule, const LocalTime& now, const Holidays& holidays);
// The shutdown that will take place within the next five real minutes (now
// included), if any: the first minute at which the clock tick will find the
// shutdown due. A shutdown that a power-on within three minutes skips is
// none, and a short period that follows such a skip is seen through.
std::optional<LocalTime> ComingShutdownAt(const WeekSchedule& schedule, const Postponement& postponement,
                                          bool armed, const LocalClockAhead& clock, const Holidays& holidays);
bool WarningDueAt(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                  const LocalClockAhead& clock, const Holidays& holidays);

// --- on the local clock of `os`; each call reads the clock once ---
LocalTime GetNextShutdown(const WeekSchedule& schedule, const Postponement& postponement,
                          OsServices& os, const Holidays& holidays);
// True when the timetable is in force, the clock stands at the next shutdown's
// weekday and minute, and the next power-on is more than 3 minutes away.
bool IsShutdownDue(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                   OsServices& os, const Holidays& holidays);
// The shutdown that will take place within the next five real minutes.
std::optional<LocalTime> ComingShutdown(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                                        OsServices& os, const Holidays& holidays);
// True when the timetable is in force and a shutdown that will take place
// is at most five real minutes away.
bool IsWarningDue(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                  OsServices& os, const Holidays& holidays);

}  // namespace vesk
