#pragma once
// A timeline as a self-contained SVG calendar: one row per day on a 24-hour
// axis, the board's on-periods as bars over the planned periods, marks for
// warnings, postponements, clock changes and short starts, a legend, and a
// footnote for lines that could not be read. No script, no external font or
// image: it opens in any browser or image viewer. Every drawn element carries
// its exact times in data- attributes.
#include <string>

#include "sim/plan/timeline.h"

namespace vesk::plan {

inline constexpr int kMaxWeeks = 53;

struct CalendarOptions {
  Days first;          // the first row
  int days = 7;        // rows, at most kMaxWeeks weeks
  bool chinese = false;
  bool simulated = true;  // a simulated run, or a board's history
  std::string source;  // what it was made from: file names, zone, board
};

std::string DrawCalendar(const Timeline& timeline, const CalendarOptions& options);

}  // namespace vesk::plan
