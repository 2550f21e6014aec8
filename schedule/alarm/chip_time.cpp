#include "schedule/alarm/chip_time.h"

#include <chrono>
#include <cstdlib>

#include "platform/calendar.h"

namespace vesk {

namespace {

using std::chrono::days;
using std::chrono::minutes;
using std::chrono::sys_days;
using Minutes = std::chrono::sys_time<minutes>;

// A jump smaller than this is the ticks' own jitter, not a clock change.
constexpr int64_t kJumpToleranceMs = 60'000;

Minutes MinuteOf(const LocalTime& time) { return Minutes{DayCount(time) + minutes{MinuteOfDay(time)}}; }

LocalTime ToRecord(Minutes at) {
  const sys_days date = std::chrono::floor<days>(at);
  const std::chrono::year_month_day ymd{date};
  const auto minuteOfDay = (at - date).count();
  LocalTime record;
  record.wYear = static_cast<uint16_t>(static_cast<int>(ymd.year()));
  record.wMonth = static_cast<uint16_t>(static_cast<unsigned>(ymd.month()));
  record.wDay = static_cast<uint16_t>(static_cast<unsigned>(ymd.day()));
  record.wDayOfWeek = static_cast<uint16_t>(std::chrono::weekday{date}.c_encoding());
  record.wHour = static_cast<uint16_t>(minuteOfDay / kMinutesPerHour);
  record.wMinute = static_cast<uint16_t>(minuteOfDay % kMinutesPerHour);
  return record;
}

minutes OffsetAt(const UtcOffsetRule& offsetAt, Minutes utc) { return minutes{offsetAt(ToRecord(utc))}; }

// The first UTC minute at which the local clock shows `local` or later.
Minutes FirstReached(Minutes local, minutes offsetNow, const UtcOffsetRule& offsetAt) {
  // No change of offset on the way: the usual case.
  const Minutes before = local - offsetNow;
  const minutes offsetThen = OffsetAt(offsetAt, before);
  if (offsetThen == offsetNow) return before;
  // The offset changed on the way; with the new one the local time exists
  // unless springing forward skipped it.
  const Minutes after = local - offsetThen;
  if (OffsetAt(offsetAt, after) == offsetThen) return after;
  // Skipped: the local clock passes it at the jump, the first minute in
  // (after, before] that has the new offset.
  Minutes low = after;   // still the old offset
  Minutes high = before;  // already the new one
  while (high - low > minutes{1}) {
    const Minutes middle = low + (high - low) / 2;
    (OffsetAt(offsetAt, middle) == offsetThen ? high : low) = middle;
  }
  return high;
}

}  // namespace

LocalTime WakeInChipTime(const LocalTime& nowLocal, const LocalTime& nowUtc, const LocalTime& powerOn,
                         const UtcOffsetRule& offsetAt) {
  const minutes wakeMinuteOfDay{MinuteOfDay(powerOn)};
  Minutes wakeLocal{DayCount(nowLocal) + wakeMinuteOfDay};
  if (DateOf(powerOn).has_value() && MinuteOf(powerOn) > MinuteOf(nowLocal)) {
    wakeLocal = Minutes{DayCount(powerOn) + wakeMinuteOfDay};
  } else {
    int daysAhead = (powerOn.wDayOfWeek - nowLocal.wDayOfWeek + kDaysPerWeek) % kDaysPerWeek;
    if (daysAhead == 0 && wakeLocal <= MinuteOf(nowLocal)) daysAhead = kDaysPerWeek;
    wakeLocal += days{daysAhead};
  }

  const minutes offsetNow = MinuteOf(nowLocal) - MinuteOf(nowUtc);
  const Minutes wakeUtc = FirstReached(wakeLocal, offsetNow, offsetAt);
  // The chip, set to local time now, counts on from there.
  return ToRecord(wakeUtc + offsetNow);
}

LocalTime WakeInChipTime(OsServices& os, const LocalTime& powerOn) {
  const LocalTime nowUtc = os.GetSystemTime();
  const UtcOffsetRule rule = [&os](const LocalTime& utc) { return os.GetUtcOffsetMinutes(utc); };
  // Local time from the same reading, so that both name one moment.
  LocalTime nowLocal = ToRecord(MinuteOf(nowUtc) + minutes{rule(nowUtc)});
  nowLocal.wSecond = nowUtc.wSecond;
  return WakeInChipTime(nowLocal, nowUtc, powerOn, rule);
}

bool ClockJumpWatch::Jumped(const LocalTime& local, uint64_t tickMs) {
  const int64_t localMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                              MinuteOf(local).time_since_epoch() + std::chrono::seconds{local.wSecond} +
                              std::chrono::milliseconds{local.wMilliseconds})
                              .count();
  const bool jumped =
      known_ && std::llabs((localMs - localMs_) - static_cast<int64_t>(tickMs - tickMs_)) > kJumpToleranceMs;
  known_ = true;
  localMs_ = localMs;
  tickMs_ = tickMs;
  return jumped;
}

}  // namespace vesk
