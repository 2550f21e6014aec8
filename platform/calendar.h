#pragma once
// The units of the local time record's calendar, which the timetable, the
// wake-up chip and the holidays all count in.
#include <cstdint>

namespace vesk {

inline constexpr int kDaysPerWeek = 7;  // weekday 0 = Sunday ... 6 = Saturday
inline constexpr uint16_t kHoursPerDay = 24;
inline constexpr uint16_t kMinutesPerHour = 60;
inline constexpr uint16_t kMinutesPerDay = kHoursPerDay * kMinutesPerHour;

}  // namespace vesk
