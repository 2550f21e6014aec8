#include "sim/plan/timeline.h"

#include <charconv>
#include <cstdio>

namespace vesk::plan {
namespace {

using namespace std::chrono;

// Digits at `text[at..at+count)` as a number; -1 when they are not all digits.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  const char* first = text.data() + at;
  const auto [stop, error] = std::from_chars(first, first + count, value);
  return (error == std::errc{} && stop == first + count) ? value : -1;
}

}  // namespace

std::string FormatDay(Days day) {
  const year_month_day ymd{day};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()));
  return text;
}

std::string FormatStamp(Stamp at) {
  const hh_mm_ss time{at - DayOf(at)};
  char text[16];
  std::snprintf(text, sizeof text, " %02d:%02d:%02d", static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
  return FormatDay(DayOf(at)) + text;
}

std::optional<Days> ParseDay(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const int y = Digits(text, 0, 4), m = Digits(text, 5, 2), d = Digits(text, 8, 2);
  if (y < 0 || m < 0 || d < 0) return std::nullopt;
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
  if (!ymd.ok()) return std::nullopt;
  return Days{ymd};
}

std::optional<Stamp> ParseStamp(std::string_view text) {
  if (text.size() != 19 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  const auto date = ParseDay(text.substr(0, 10));
  const int h = Digits(text, 11, 2), m = Digits(text, 14, 2), s = Digits(text, 17, 2);
  if (!date || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return std::nullopt;
  return Stamp{*date} + hours{h} + minutes{m} + seconds{s};
}

int WeekdayOf(Days day) { return static_cast<int>(weekday{day}.c_encoding()); }

std::string EventFields::Get(std::string_view key) const {
  for (const auto& [k, v] : fields) {
    if (k == key) return v;
  }
  return {};
}

std::optional<EventFields> ParseEventFields(std::string_view text) {
  EventFields event;
  std::size_t at = text.find(' ');
  event.word = std::string(text.substr(0, at));
  if (event.word.empty()) return std::nullopt;
  while (at != std::string_view::npos && at < text.size()) {
    ++at;  // the blank before the field
    const std::size_t equals = text.find('=', at);
    if (equals == std::string_view::npos) return std::nullopt;
    std::string key(text.substr(at, equals - at));
    std::string value;
    at = equals + 1;
    if (at < text.size() && text[at] == '"') {
      bool closed = false;
      for (++at; at < text.size(); ++at) {
        if (text[at] == '\\' && at + 1 < text.size() && text[at + 1] == '"') {
          value += '"';
          ++at;
        } else if (text[at] == '"') {
          closed = true;
          ++at;
          break;
        } else {
          value += text[at];
        }
      }
      if (!closed || (at < text.size() && text[at] != ' ')) return std::nullopt;
    } else {
      const std::size_t end = text.find(' ', at);
      value = std::string(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
      at = end == std::string_view::npos ? text.size() : end;
    }
    if (key.empty()) return std::nullopt;
    event.fields.emplace_back(std::move(key), std::move(value));
  }
  return event;
}

}  // namespace vesk::plan
