#pragma once
// Checks an edited timetable before it may replace the one in force: every
// phase that is on ends after it starts, no two phases of a day that are on
// overlap or touch, and at least one phase of the week is on.
#include <cstdint>
#include <string>

#include "platform/os_services.h"
#include "schedule/week_schedule.h"

namespace vesk {

enum class ScheduleFault {
  kNone,
  kPhase1EndNotAfterStart,
  kPhase2EndNotAfterStart,
  kPhase3EndNotAfterStart,
  kPhasesOverlap,
  kAllPhasesOff,
};

struct ScheduleCheck {
  ScheduleFault fault = ScheduleFault::kNone;
  int day = 0;  // weekday of the fault; 0 for kNone and kAllPhasesOff
};

// True when two phases of the day that are on overlap: the one that starts
// later starts at or before the end of the other (touching counts).
bool PhasesOverlap(const DaySchedule& day);

// The first fault in the order Sunday to Saturday; within a day phase 1, 2,
// 3 order faults before the overlap; the all-off week last.
ScheduleCheck CheckSchedule(const WeekSchedule& schedule);

struct RefusalMessage {
  std::string caption;
  std::string text;
};
// Caption and text of a fault, Chinese for language id 2052, else English.
RefusalMessage DescribeScheduleFault(const ScheduleCheck& check, uint16_t langId);

// Message box flags of a refusal: error icon, OK button only.
inline constexpr unsigned kRefusalBoxType = kMbOk | kMbIconError;

// True when the timetable is accepted. On refusal it has shown exactly one
// message box (no owner) with the first fault.
bool ValidateSchedule(const WeekSchedule& schedule, uint16_t langId, OsServices& os);

}  // namespace vesk
