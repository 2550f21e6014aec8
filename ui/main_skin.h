#pragma once
// The controls of the main window's skin that the code binds to by name.
#include <array>
#include <cstdint>
#include <string>

#include "schedule/week_schedule.h"

namespace vesk::ui::main_skin {

inline constexpr const char* kCurrentTime = "CurrentTime";
inline constexpr const char* kLastShutdownTime = "LastShutdownTime";
inline constexpr const char* kLastPoweronTime = "LastPoweronTime";
inline constexpr const char* kSaveButton = "btnOk";
inline constexpr const char* kClearButton = "btnClear";
inline constexpr const char* kHideButton = "closebtn1";
inline constexpr const char* kHolidaysButton = "btnHolidays";

// The day option buttons are named by the long English day names, Sunday
// first, as the day texts give them.
std::string DayButtonName(int day);

// One phase's controls: its switch and the hour and minute lists of its
// power-on and shutdown times.
struct PhaseControls {
  const char* enable;
  const char* startHour;
  const char* startMinute;
  const char* endHour;
  const char* endMinute;
};

inline constexpr std::array<PhaseControls, kPhasesPerDay> kPhases{{
    {"EnablePhase1", "StartHour1", "StartMinute1", "EndHour1", "EndMinute1"},
    {"EnablePhase2", "StartHour2", "StartMinute2", "EndHour2", "EndMinute2"},
    {"EnablePhase3", "StartHour3", "StartMinute3", "EndHour3", "EndMinute3"},
}};

}  // namespace vesk::ui::main_skin
