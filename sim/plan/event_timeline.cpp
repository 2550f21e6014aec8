// The timeline of a simulated run, from its event lines.
#include <cstdio>

#include "sim/plan/sources.h"

namespace vesk::plan {

std::string WeekTime(Stamp at) {
  const std::chrono::hh_mm_ss time{at - DayOf(at)};
  char text[16];
  std::snprintf(text, sizeof text, "%d %02d:%02d", WeekdayOf(DayOf(at)), static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()));
  return text;
}

namespace {

StartCause StartCauseNamed(const std::string& name) {
  if (name == "alarm") return StartCause::Alarm;
  if (name == "watchdog") return StartCause::Watchdog;
  if (name == "power") return StartCause::Power;
  return StartCause::Unknown;
}

std::string SignedSeconds(const std::string& seconds) {
  return (seconds.empty() || seconds[0] == '-' || seconds[0] == '+') ? seconds : "+" + seconds;
}

// Follows one on-period at a time through the events.
class RunReader {
 public:
  void Read(Stamp at, const EventFields& event) {
    const std::string& word = event.word;
    if (word == "on") {
      Close(at, EndCause::Cut);
      current_ = OnPeriod{at, at, StartCauseNamed(event.Get("cause")), EndCause::Open};
      shutdownAt_.reset();
      postponedTo_.clear();
    } else if (word == "command") {
      const std::string line = event.Get("line");
      if (line.find("shutdown -s") != std::string::npos) shutdownAt_ = at;
      if (line.find("shutdown -a") != std::string::npos) shutdownAt_.reset();
    } else if (word == "off") {
      Close(at, !shutdownAt_ ? EndCause::Cut
                : WeekTime(*shutdownAt_) == postponedTo_ ? EndCause::Postponed
                                                         : EndCause::Shutdown);
    } else if (word == "reset") {
      Close(at, EndCause::Reset);
    } else if (word == "warning") {
      timeline_.marks.push_back({at, MarkKind::Warning, event.Get("shutdown")});
    } else if (word == "postpone") {
      postponedTo_ = event.Get("shutdown");
      timeline_.marks.push_back({at, MarkKind::Postpone, "+" + event.Get("minutes") + " min, " + postponedTo_});
    } else if (word == "timechange") {
      timeline_.marks.push_back({at, MarkKind::ClockChange, SignedSeconds(event.Get("seconds")) + " s"});
    }
  }

  Timeline Finish(Stamp end) {
    Close(end, EndCause::Open);
    return std::move(timeline_);
  }

 private:
  void Close(Stamp at, EndCause cause) {
    if (!current_) return;
    current_->off = at;
    current_->end = cause;
    timeline_.periods.push_back(*current_);
    current_.reset();
  }

  Timeline timeline_;
  std::optional<OnPeriod> current_;
  std::optional<Stamp> shutdownAt_;
  std::string postponedTo_;
};

}  // namespace

Timeline TimelineFromEvents(const std::vector<std::string>& lines, Stamp runEnd) {
  RunReader reader;
  for (const std::string& line : lines) {
    if (line.size() < 21) continue;
    const auto at = ParseStamp(std::string_view(line).substr(0, 19));
    const auto event = ParseEventFields(std::string_view(line).substr(20));
    if (at && event) reader.Read(*at, *event);
  }
  return reader.Finish(runEnd);
}

}  // namespace vesk::plan
