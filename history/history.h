#pragma once
// The program's own record of what the machine did and why: "VESK.log"
// beside the executable, one line per event, oldest first,
//
//   2026-12-07T17:55:00+01:00 warning shutdown="1 18:00"
//
// local time with its offset from UTC (so lines on both sides of a
// daylight-saving change read right), the event word, then key=value fields;
// a value with a blank, a quote or an equals sign is written in double
// quotes. Lines are only ever appended, each on its own, so a power cut can
// cut at most the line being written. When the next line would take the file
// past 1 MB, the file becomes "VESK.old.log" (replacing an older one) and a
// new one starts. Errors, shutdowns and wake-ups go to the system's event log
// as well, each kind under its own event ID (event_kinds.h). A history that cannot be written never stops the program; it says
// so once in the debugger output.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "history/event_kinds.h"
#include "platform/os_services.h"

namespace vesk::history {

inline constexpr const char* kFileName = "VESK.log";
inline constexpr const char* kOlderFileName = "VESK.old.log";
inline constexpr std::size_t kSizeLimit = 1024 * 1024;

struct Field {
  std::string_view key;
  std::string value;
};

// One line without its line break.
std::string FormatLine(const LocalTime& at, int utcOffsetMinutes, std::string_view event,
                       std::span<const Field> fields);

// Field values the events share: "D HH:MM" (weekday 0 = Sunday) and a bus
// address "0xA2".
std::string WeekTime(const LocalTime& at);
std::string Hex(uint32_t value);

// The history file of the program whose executable folder `os` reports.
std::string FilePath(OsServices& os);

class History {
 public:
  explicit History(OsServices& os);
  void Record(std::string_view event, std::initializer_list<Field> fields = {}, EventKind logged = EventKind::None);

 private:
  void Append(const std::string& line);
  void LearnFileState();
  void ReportFailureOnce();

  OsServices& os_;
  std::string path_;
  std::string olderPath_;
  std::optional<std::size_t> size_;  // unknown until the first write, and after a failed one
  bool endsMidLine_ = false;         // the file ends in a line a power cut left unfinished
  bool failureReported_ = false;
};

// The history of the running program, installed by the entry routine for
// the length of its run; the windows record through it. Without one
// installed, events go nowhere.
class ScopedHistory {
 public:
  explicit ScopedHistory(History& history);
  ~ScopedHistory();
  ScopedHistory(const ScopedHistory&) = delete;
  ScopedHistory& operator=(const ScopedHistory&) = delete;

 private:
  History* previous_;
};

void Record(std::string_view event, std::initializer_list<Field> fields = {}, EventKind logged = EventKind::None);

}  // namespace vesk::history
