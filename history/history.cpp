#include "history/history.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vesk::history {

namespace {

History* g_Installed = nullptr;

bool NeedsQuotes(const std::string& value) {
  if (value.empty()) return true;
  for (const char c : value) {
    if (c == ' ' || c == '"' || c == '=' || static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

// Quotes and line breaks inside are escaped so that every event stays one
// line; backslashes (Windows paths) stay as they are.
std::string FieldValue(const std::string& value) {
  if (!NeedsQuotes(value)) return value;
  std::string quoted = "\"";
  for (const char c : value) {
    if (c == '"') {
      quoted += "\\\"";
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Timestamp(const LocalTime& at, int utcOffsetMinutes) {
  const char sign = utcOffsetMinutes < 0 ? '-' : '+';
  const int offset = std::abs(utcOffsetMinutes);
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02d:%02d", at.wYear % 10000u, at.wMonth % 100u,
                at.wDay % 100u, at.wHour % 100u, at.wMinute % 100u, at.wSecond % 100u, sign, offset / 60 % 100,
                offset % 60);
  return text;
}

std::string EventText(std::string_view event, std::span<const Field> fields) {
  std::string text{event};
  for (const Field& field : fields) {
    text += ' ';
    text += field.key;
    text += '=';
    text += FieldValue(field.value);
  }
  return text;
}

}  // namespace

std::string FormatLine(const LocalTime& at, int utcOffsetMinutes, std::string_view event,
                       std::span<const Field> fields) {
  return Timestamp(at, utcOffsetMinutes) + ' ' + EventText(event, fields);
}

std::string WeekTime(const LocalTime& at) {
  char text[16];
  std::snprintf(text, sizeof text, "%u %02u:%02u", at.wDayOfWeek % 10u, at.wHour % 100u, at.wMinute % 100u);
  return text;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

std::string FilePath(OsServices& os) { return os.GetModuleDirectory() + kFileName; }

History::History(OsServices& os)
    : os_(os), path_(FilePath(os)), olderPath_(os.GetModuleDirectory() + kOlderFileName) {}

void History::Record(std::string_view event, std::initializer_list<Field> fields, EventKind logged) {
  const std::span<const Field> list{fields.begin(), fields.size()};
  const LocalTime now = os_.GetLocalTime();
  Append(FormatLine(now, os_.GetUtcOffsetMinutes(os_.GetSystemTime()), event, list));
  if (logged == EventKind::None) return;
  os_.ReportToEventLog(LevelOf(logged), EventIdOf(logged), EventText(event, list));
}

// What is on the disk already: its size, and whether a power cut left its
// last line unfinished. Read once, and again after a failed write, since
// part of that write may have landed.
void History::LearnFileState() {
  const auto existing = os_.ReadFileBytes(path_, kSizeLimit + 1);
  size_ = existing ? existing->size() : 0;
  endsMidLine_ = existing && !existing->empty() && existing->back() != '\n';
}

void History::Append(const std::string& line) {
  if (!size_) LearnFileState();
  if (*size_ > 0 && *size_ + line.size() + 1 > kSizeLimit && os_.RenameFileReplacing(path_, olderPath_)) {
    size_ = 0;
    endsMidLine_ = false;
  }
  // A line cut short by a power cut keeps a line of its own; the new one
  // starts on the next.
  const std::string text = (endsMidLine_ ? "\n" : "") + line + "\n";
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  if (!os_.AppendToFile(path_, bytes)) {
    size_.reset();
    ReportFailureOnce();
    return;
  }
  *size_ += text.size();
  endsMidLine_ = false;
}

void History::ReportFailureOnce() {
  if (failureReported_) return;
  failureReported_ = true;
  os_.DebugOutput("VESK: the history " + path_ + " cannot be written; events are not kept.\n");
}

ScopedHistory::ScopedHistory(History& history) : previous_(g_Installed) { g_Installed = &history; }

ScopedHistory::~ScopedHistory() { g_Installed = previous_; }

void Record(std::string_view event, std::initializer_list<Field> fields, EventKind logged) {
  if (g_Installed != nullptr) g_Installed->Record(event, fields, logged);
}

}  // namespace vesk::history
