#pragma once
// The simulated machine's own clock, in UTC and microsecond steps: timers,
// bus transfers and the chips run on it; the simulated Windows shows it in
// its time zone (SimulatedOs). It moves only when something waits (Sleep,
// busy delays) or when the simulation advances it, so every run is
// repeatable.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/os_services.h"
#include "ui/framework/headless/desktop_clock.h"

namespace vesk::sim {

using Microseconds = std::chrono::microseconds;
using SimTime = std::chrono::sys_time<Microseconds>;

// The headless desktop's timers run on it too.
class VirtualClock final : public ui::headless::DesktopClock {
 public:
  explicit VirtualClock(SimTime start = DefaultStart()) : now_(start) {}

  // Threads of the simulation may read and advance the clock at the same
  // time (a neighbour tool beside the program); observers then see the
  // times of both, not always in order.
  SimTime Now() const override { return now_.load(); }
  void Set(SimTime t) { now_.store(t); }
  void Advance(Microseconds step) override;

  LocalTime ToLocalTime() const { return ToLocalTime(Now()); }
  static LocalTime ToLocalTime(SimTime t);
  // The moment a record's date and time name (the weekday is not read).
  static SimTime FromLocalTime(const LocalTime& time);

  // Called after every advance with the new time; observers such as the
  // board's watchdog use it to notice deadlines that passed.
  using Observer = std::function<void(SimTime)>;
  void AddObserver(Observer observer) { observers_.push_back(std::move(observer)); }

  // Monday 2026-12-07 08:00:00.
  static SimTime DefaultStart();

 private:
  std::atomic<SimTime> now_;
  std::vector<Observer> observers_;
};

// "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS"; nothing when malformed or not a
// real calendar date.
std::optional<SimTime> ParseSimTime(const std::string& text);
// "YYYY-MM-DD HH:MM:SS".
std::string FormatSimTime(SimTime t);

}  // namespace vesk::sim
