#pragma once
// The words of the calendar picture, in English and Chinese.
#include <array>
#include <string>

namespace vesk::plan {

struct CalendarTexts {
  const char* title;
  const char* simulated;   // before the source of a simulated run
  const char* history;     // before the history's file names
  const char* to;          // between the first and the last date
  std::array<const char*, 7> weekdays;  // Sunday first
  // The legend, in its order.
  std::array<const char*, 17> legend;
  const char* dayOff;
  const char* holidayOff;
  const char* holiday;       // before the holiday's periods
  const char* clock;         // before the clock's jump
  const char* hours;         // after the jump in hours
  const char* clockSet;
  const char* shortStart;    // before its time
  const char* unreadable;    // "N" + this + the list
  const char* line;          // "VESK.log" + line + "N"
  const char* lineAfter;
  std::array<const char*, 4> reasons;  // NotAHistoryLine, BadFields, UnknownEvent, CutOff
  const char* more;          // after the count of lines left unnamed
};

const CalendarTexts& TextsFor(bool chinese);

}  // namespace vesk::plan
