#pragma once
// The weekly timetable: seven days of three phases, each phase a switch, a
// power-on time and a shutdown time in minutes after local midnight. The
// record is one plain block of 63 unsigned 16-bit values; its little-endian
// byte image is exactly the content of the timetable file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <type_traits>

#include "platform/calendar.h"

namespace vesk {

inline constexpr int kPhasesPerDay = 3;

struct Phase {
  uint16_t Enable = 0;  // 0 = off, anything else = on
  uint16_t Start = 0;   // power-on, minutes after midnight
  uint16_t End = 0;     // shutdown, minutes after midnight; the phase runs up to, not including, End

  bool IsOn() const { return Enable != 0; }
  friend bool operator==(const Phase&, const Phase&) = default;
};

struct DaySchedule {
  std::array<Phase, kPhasesPerDay> Phases{};  // phase 1, 2, 3

  bool AnyPhaseOn() const;
  friend bool operator==(const DaySchedule&, const DaySchedule&) = default;
};

struct WeekSchedule {
  std::array<DaySchedule, kDaysPerWeek> Days{};  // indexed by weekday, 0 = Sunday

  bool AnyPhaseOn() const;
  friend bool operator==(const WeekSchedule&, const WeekSchedule&) = default;
};

inline constexpr std::size_t kPhaseBytes = 6;
inline constexpr std::size_t kDayScheduleBytes = 18;
inline constexpr std::size_t kWeekScheduleBytes = 126;

static_assert(sizeof(Phase) == kPhaseBytes);
static_assert(sizeof(DaySchedule) == kDayScheduleBytes);
static_assert(sizeof(WeekSchedule) == kWeekScheduleBytes);
static_assert(std::is_trivially_copyable_v<WeekSchedule> && std::is_standard_layout_v<WeekSchedule>);

// The file image: day d at offset 18 * d, each phase as Enable, Start, End,
// every field unsigned 16-bit little-endian.
using ScheduleImage = std::array<uint8_t, kWeekScheduleBytes>;
ScheduleImage ScheduleToBytes(const WeekSchedule& schedule);
// Any length is accepted: a short image fills the beginning and leaves the
// rest zero (phases off, times 0); bytes beyond the record are ignored.
WeekSchedule ScheduleFromBytes(std::span<const uint8_t> bytes);

// Texts per weekday.
enum class DayTextKind : int {
  kShortName = 1,       // labels and day tabs; Chinese or English by language
  kLongName = 2,        // English long name, in every language
  kOverlapMessage = 4,  // the English refusal of a day with overlapping phases
};

// Assigns the text of `kind` for weekday `day` to `out`. A day outside 0..6
// (or an unknown kind) gives a single blank, which is what every caller
// shows for a weekday it cannot name.
void GetDayText(std::string& out, DayTextKind kind, int day, uint16_t langId);

}  // namespace vesk
