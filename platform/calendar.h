#pragma once
// The calendar of the local time record: the units that the timetable, the
// wake-up chip and the holidays all count in, and the date a record names.
#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/os_services.h"

namespace vesk {

inline constexpr int kDaysPerWeek = 7;  // weekday 0 = Sunday ... 6 = Saturday
inline constexpr uint16_t kHoursPerDay = 24;
inline constexpr uint16_t kMinutesPerHour = 60;
inline constexpr uint16_t kMinutesPerDay = kHoursPerDay * kMinutesPerHour;

using Date = std::chrono::sys_days;

// The date of a local time; nothing when its fields make no date.
inline std::optional<Date> DateOf(const LocalTime& time) {
  const std::chrono::year_month_day ymd{std::chrono::year{time.wYear}, std::chrono::month{time.wMonth},
                                        std::chrono::day{time.wDay}};
  if (!ymd.ok()) return std::nullopt;
  return Date{ymd};
}

// The day a record counts to from its year and month: a day past the end
// of the month counts on into the next one. For arithmetic on records that
// come from a clock, which always name a date.
inline Date DayCount(const LocalTime& time) {
  return Date{std::chrono::year{time.wYear} / time.wMonth / time.wDay};
}

// Whole days from the date of `from` to the date of `to` (the time of day
// is not read).
inline int DaysBetween(const LocalTime& from, const LocalTime& to) {
  return static_cast<int>((DayCount(to) - DayCount(from)).count());
}

// Minutes after midnight (hour * 60 + minute).
inline uint16_t MinuteOfDay(const LocalTime& time) {
  return static_cast<uint16_t>(time.wHour * kMinutesPerHour + time.wMinute);
}

}  // namespace vesk
