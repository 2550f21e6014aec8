#pragma once
// The two ways to a timeline: the simulator's event lines and a board's own
// history file.
#include <string>
#include <vector>

#include "sim/plan/timeline.h"

namespace vesk::plan {

// The lines "YYYY-MM-DD HH:MM:SS event key=value ..." of a simulated run that
// ended at `runEnd`; a board still on then is on to the end.
Timeline TimelineFromEvents(const std::vector<std::string>& lines, Stamp runEnd);

// One history file's name (for the footnote) and content.
struct HistoryText {
  std::string name;
  std::string text;
};

// History files, oldest first (the rotated-out file before the current one).
// The history does not say when the board went on or off, so it is read from
// what the program wrote: a start is the board coming on; a shutdown command
// that nothing follows switches it off 30 seconds later. A start counts as
// the wake-up chip's when the chip says so or when it comes at the minute of
// the wake-up last written before a shutdown; as the watchdog's when the
// program before it went silent with its watchdog running (the board was on
// until the reset); else as a power-on. Lines that cannot be read are listed.
Timeline TimelineFromHistory(const std::vector<HistoryText>& files);

// "D HH:MM" of a moment, as the events name a shutdown.
std::string WeekTime(Stamp at);

}  // namespace vesk::plan
