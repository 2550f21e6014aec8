#pragma once
// What a board did over some days, as the calendar picture draws it: when
// it was on and why it came on and went off, the marks of the day (warnings,
// postponements, clock changes), and optionally what the timetable planned.
// It is filled from the simulator's event lines or from a board's history
// file and knows nothing of how either was made.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::plan {

using Days = std::chrono::sys_days;
// A local wall-clock time as seconds, counted as if local time were UTC; the
// picture's axis is the wall clock, so this is all it needs.
using Stamp = std::chrono::sys_seconds;

// "YYYY-MM-DD HH:MM:SS" (and "YYYY-MM-DD" for a date).
std::string FormatStamp(Stamp at);
std::string FormatDay(Days day);
// "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DDTHH:MM:SS"; nothing for anything else
// or a date that does not exist.
std::optional<Stamp> ParseStamp(std::string_view text);
std::optional<Days> ParseDay(std::string_view text);
inline Days DayOf(Stamp at) { return std::chrono::floor<std::chrono::days>(at); }
// 0 = Sunday ... 6 = Saturday.
int WeekdayOf(Days day);

enum class StartCause { Alarm, Power, Watchdog, Unknown };
enum class EndCause { Shutdown, Postponed, Reset, Cut, Open };

// One stretch of time the board was on.
struct OnPeriod {
  Stamp on;
  Stamp off;
  StartCause start = StartCause::Unknown;
  EndCause end = EndCause::Open;
};

enum class MarkKind { Warning, Postpone, ClockChange };

struct Mark {
  Stamp at;
  MarkKind kind = MarkKind::Warning;
  std::string detail;  // the shutdown announced, the minutes added, the clock's jump
};

enum class DayKind { Working, DayOff, Holiday, HolidayOff };

// What the timetable (with its holidays) planned for one date.
struct PlannedDay {
  Days day;
  DayKind kind = DayKind::Working;
  std::vector<std::pair<int, int>> periods;  // minutes after midnight, start and end
};

// A line of the input that could not be read.
enum class UnreadableReason { NotAHistoryLine, BadFields, UnknownEvent, CutOff };
struct Unreadable {
  std::string file;
  int line = 0;  // from 1
  UnreadableReason reason = UnreadableReason::NotAHistoryLine;
  std::string word;  // UnknownEvent: the event word
};

struct Timeline {
  std::vector<OnPeriod> periods;
  std::vector<Mark> marks;
  std::vector<PlannedDay> planned;  // empty when no timetable is known
  std::vector<Unreadable> unreadable;
};

// The fields of an event line, "word key=value key="quoted value" ...", with
// \" inside quotes for a quote. Nothing when the quotes do not close.
struct EventFields {
  std::string word;
  std::vector<std::pair<std::string, std::string>> fields;
  std::string Get(std::string_view key) const;
};
std::optional<EventFields> ParseEventFields(std::string_view text);

}  // namespace vesk::plan
