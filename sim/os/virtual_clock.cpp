#include "sim/os/virtual_clock.h"

#include <cstdio>

namespace vesk::sim {

using namespace std::chrono;

void VirtualClock::Advance(Microseconds step) {
  if (step.count() <= 0) return;
  SimTime before = now_.load();
  while (!now_.compare_exchange_weak(before, before + step)) {
  }
  const SimTime now = before + step;
  // Observers may themselves read the clock; a copy keeps the loop safe if
  // one of them registers another observer.
  auto observers = observers_;
  for (auto& observer : observers) observer(now);
}

SimTime VirtualClock::DefaultStart() {
  return sys_days{year{2026} / December / 7} + hours{8};
}

LocalTime VirtualClock::ToLocalTime(SimTime t) {
  const auto day = floor<days>(t);
  const year_month_day ymd{day};
  const weekday wd{day};
  auto rest = t - day;
  const auto h = duration_cast<hours>(rest);
  rest -= h;
  const auto m = duration_cast<minutes>(rest);
  rest -= m;
  const auto s = duration_cast<seconds>(rest);
  rest -= s;
  const auto ms = duration_cast<milliseconds>(rest);
  LocalTime lt;
  lt.wYear = static_cast<uint16_t>(static_cast<int>(ymd.year()));
  lt.wMonth = static_cast<uint16_t>(static_cast<unsigned>(ymd.month()));
  lt.wDayOfWeek = static_cast<uint16_t>(wd.c_encoding());
  lt.wDay = static_cast<uint16_t>(static_cast<unsigned>(ymd.day()));
  lt.wHour = static_cast<uint16_t>(h.count());
  lt.wMinute = static_cast<uint16_t>(m.count());
  lt.wSecond = static_cast<uint16_t>(s.count());
  lt.wMilliseconds = static_cast<uint16_t>(ms.count());
  return lt;
}

SimTime VirtualClock::FromLocalTime(const LocalTime& time) {
  const year_month_day ymd{year{time.wYear}, month{time.wMonth}, day{time.wDay}};
  return SimTime{sys_days{ymd} + hours{time.wHour} + minutes{time.wMinute} + seconds{time.wSecond} +
                 milliseconds{time.wMilliseconds}};
}

std::optional<SimTime> ParseSimTime(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &consumed) == 6 &&
      static_cast<size_t>(consumed) == text.size()) {
  } else if (s = 0, consumed = 0,
             std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &y, &mo, &d, &h, &mi, &consumed) == 5 &&
                 static_cast<size_t>(consumed) == text.size()) {
  } else {
    return std::nullopt;
  }
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  if (!ymd.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) return std::nullopt;
  return SimTime{sys_days{ymd} + hours{h} + minutes{mi} + seconds{s}};
}

std::string FormatSimTime(SimTime t) {
  const LocalTime lt = VirtualClock::ToLocalTime(t);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", lt.wYear, lt.wMonth, lt.wDay,
                lt.wHour, lt.wMinute, lt.wSecond);
  return buffer;
}

}  // namespace vesk::sim
