#pragma once
// The clock the headless desktop runs its timers on. Whoever drives the
// desktop (a test, the simulator) hands one in; the desktop reads it to
// know which timers are due and moves it on to the next one.
#include <chrono>

namespace vesk::ui::headless {

using Microseconds = std::chrono::microseconds;
using DesktopTime = std::chrono::sys_time<Microseconds>;

class DesktopClock {
 public:
  virtual DesktopTime Now() const = 0;
  // Moves the clock forward; everything else that runs on it sees the step.
  virtual void Advance(Microseconds step) = 0;

 protected:
  ~DesktopClock() = default;
};

}  // namespace vesk::ui::headless
