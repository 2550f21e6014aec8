// The timeline of a board's history file.
#include <algorithm>
#include <array>

#include "sim/plan/sources.h"

namespace vesk::plan {
namespace {

using namespace std::chrono;

// The events the program writes; anything else is not one of its lines.
constexpr std::array kKnownEvents{
    "start", "woken", "exit", "board-refused", "driver-failed", "no-chip", "chip", "wakeup", "wakeup-check",
    "timechange", "save", "save-failed", "save-refused", "clear", "clear-failed", "cancel", "warning",
    "postpone", "shutdown", "shutdown-aborted", "watchdog"};

// The system's shutdown runs this long after the command.
constexpr seconds kShutdownGrace{30};
// A start this soon after the wake-up minute is the chip's doing (the board
// boots and the user logs on in between).
constexpr minutes kWakeSlack{5};

struct Entry {
  Stamp at;
  int offsetMinutes = 0;
  EventFields event;
};

// "+HH:MM" / "-HH:MM" in minutes.
std::optional<int> ParseOffset(std::string_view text) {
  if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') return std::nullopt;
  const auto hours = ParseStamp("2000-01-01 " + std::string(text.substr(1, 2)) + ":" +
                                std::string(text.substr(4, 2)) + ":00");
  if (!hours) return std::nullopt;
  const int minutes = static_cast<int>(duration_cast<std::chrono::minutes>(*hours - Stamp{Days{year{2000} / 1 / 1}}).count());
  return text[0] == '-' ? -minutes : minutes;
}

// One line, or the reason it cannot be read.
std::optional<Entry> ParseLine(std::string_view line, Unreadable& reason) {
  constexpr std::size_t kStampLength = 19, kOffsetLength = 6;
  const auto at = line.size() > kStampLength ? ParseStamp(line.substr(0, kStampLength)) : std::nullopt;
  const auto offset = (at && line[10] == 'T' && line.size() > kStampLength + kOffsetLength)
                          ? ParseOffset(line.substr(kStampLength, kOffsetLength))
                          : std::nullopt;
  constexpr std::size_t kEventAt = kStampLength + kOffsetLength + 1;
  if (!offset || line.size() <= kEventAt || line[kEventAt - 1] != ' ') {
    reason.reason = UnreadableReason::NotAHistoryLine;
    return std::nullopt;
  }
  auto event = ParseEventFields(line.substr(kEventAt));
  if (!event) {
    reason.reason = UnreadableReason::BadFields;
    return std::nullopt;
  }
  if (std::find(kKnownEvents.begin(), kKnownEvents.end(), event->word) == kKnownEvents.end()) {
    reason.reason = UnreadableReason::UnknownEvent;
    reason.word = event->word;
    return std::nullopt;
  }
  return Entry{*at, *offset, std::move(*event)};
}

std::string SignedSeconds(long long value) { return (value < 0 ? "" : "+") + std::to_string(value) + " s"; }

// Whether `on` falls within the slack after the weekday and time "D HH:MM".
bool AtWakeUp(Stamp on, const std::string& wakeup) {
  if (wakeup.size() != 7 || wakeup[1] != ' ') return false;
  const auto time = ParseStamp("2000-01-01 " + wakeup.substr(2) + ":00");
  if (!time || wakeup[0] < '0' || wakeup[0] > '6') return false;
  constexpr minutes kWeek{7 * 24 * 60};
  const minutes wake = days{wakeup[0] - '0'} + duration_cast<minutes>(*time - Stamp{Days{year{2000} / 1 / 1}});
  const minutes at = days{WeekdayOf(DayOf(on))} + duration_cast<minutes>(on - Stamp{DayOf(on)});
  const minutes after = ((at - wake) % kWeek + kWeek) % kWeek;
  return after < kWakeSlack;
}

// What one run of the program (a start to the next) tells of the board.
struct Session {
  std::vector<const Entry*> entries;
};

struct SessionEnd {
  bool clean = false;            // switched off by its shutdown command
  bool watchdogRunning = false;  // went silent with the watchdog on
  std::string wakeup;            // the wake-up last written
};

class HistoryReader {
 public:
  Timeline Read(const std::vector<Session>& sessions) {
    for (std::size_t i = 0; i < sessions.size(); ++i) Add(sessions[i], i + 1 == sessions.size());
    return std::move(timeline_);
  }

 private:
  void Add(const Session& session, bool last) {
    const auto& entries = session.entries;
    OnPeriod period{entries.front()->at, entries.back()->at, StartCause::Power, last ? EndCause::Open : EndCause::Cut};
    SessionEnd end;
    std::optional<std::size_t> shutdown;
    std::string postponedTo, shutdownPostponedTo;
    bool woken = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const EventFields& event = entries[i]->event;
      if (event.word == "woken" && event.Get("cause") == "alarm") woken = true;
      if (event.word == "wakeup") end.wakeup = event.Get("at");
      if (event.word == "watchdog") end.watchdogRunning = event.Get("action") == "start";
      if (event.word == "postpone") postponedTo = event.Get("shutdown");
      if (event.word == "shutdown" && event.Get("result") == "started") {
        shutdown = i;
        shutdownPostponedTo = postponedTo;
      }
      if (event.word == "shutdown-aborted") shutdown.reset();
    }
    if (shutdown) {
      const Stamp command = entries[*shutdown]->at;
      end.clean = std::all_of(entries.begin() + static_cast<std::ptrdiff_t>(*shutdown), entries.end(),
                              [&](const Entry* e) { return e->at <= command + kShutdownGrace; });
      if (end.clean) {
        period.off = command + kShutdownGrace;
        period.end = WeekTime(command) == shutdownPostponedTo ? EndCause::Postponed : EndCause::Shutdown;
      }
    }
    if (entries.front()->event.word != "start") {
      period.start = StartCause::Unknown;
    } else if (woken || (previous_ && previous_->clean && AtWakeUp(period.on, previous_->wakeup))) {
      period.start = StartCause::Alarm;
    } else if (previous_ && !previous_->clean && previous_->watchdogRunning && !timeline_.periods.empty()) {
      period.start = StartCause::Watchdog;
      timeline_.periods.back().off = period.on;
      timeline_.periods.back().end = EndCause::Reset;
    }
    timeline_.periods.push_back(period);
    previous_ = end;
  }

  Timeline timeline_;
  std::optional<SessionEnd> previous_;
};

}  // namespace

Timeline TimelineFromHistory(const std::vector<HistoryText>& files) {
  std::vector<Entry> entries;
  std::vector<Unreadable> unreadable;
  for (const HistoryText& file : files) {
    std::size_t at = 0;
    for (int number = 1; at < file.text.size(); ++number) {
      const std::size_t end = file.text.find('\n', at);
      std::string_view line = std::string_view(file.text).substr(at, end == std::string::npos ? std::string::npos : end - at);
      at = end == std::string::npos ? file.text.size() : end + 1;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.empty()) continue;
      Unreadable reason{file.name, number, UnreadableReason::CutOff, {}};
      if (end == std::string::npos) {
        // Every line is written with its line break; one without was cut.
        unreadable.push_back(reason);
        continue;
      }
      if (auto entry = ParseLine(line, reason)) {
        entries.push_back(std::move(*entry));
      } else {
        unreadable.push_back(reason);
      }
    }
  }

  std::vector<Session> sessions;
  for (const Entry& entry : entries) {
    if (sessions.empty() || entry.event.word == "start") sessions.emplace_back();
    sessions.back().entries.push_back(&entry);
  }
  Timeline timeline = HistoryReader{}.Read(sessions);
  timeline.unreadable = std::move(unreadable);

  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    const std::string& word = entry.event.word;
    if (word == "warning") timeline.marks.push_back({entry.at, MarkKind::Warning, entry.event.Get("shutdown")});
    if (word == "postpone") {
      timeline.marks.push_back(
          {entry.at, MarkKind::Postpone, "+" + entry.event.Get("minutes") + " min, " + entry.event.Get("shutdown")});
    }
    if (word == "timechange") timeline.marks.push_back({entry.at, MarkKind::ClockChange, "set"});
    // Daylight saving shows as a new offset; the history has no line at the
    // change itself, so the mark goes to the first line after it.
    if (i > 0 && entry.offsetMinutes != entries[i - 1].offsetMinutes) {
      timeline.marks.push_back(
          {entry.at, MarkKind::ClockChange, SignedSeconds(60LL * (entry.offsetMinutes - entries[i - 1].offsetMinutes))});
    }
  }
  return timeline;
}

}  // namespace vesk::plan
