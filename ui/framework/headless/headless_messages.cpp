// The headless desktop's message queue and timers: messages sent run at
// once, posted ones wait for the next pump, and timers fall due on the
// desktop's clock, which RunUntil moves from one to the next.
#include <algorithm>

#include "ui/framework/headless/headless_desktop.h"
#include "ui/framework/headless/headless_records.h"

namespace vesk::ui::headless {
namespace {

using namespace std::chrono;

// The shortest timer period the system allows (USER_TIMER_MINIMUM).
constexpr UINT kMinTimerPeriodMs = 10;

}  // namespace

LRESULT HeadlessDesktop::SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = Find(hwnd);
  return window ? Dispatch(*window, message, wParam, lParam) : 0;
}

BOOL HeadlessDesktop::PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Find(window)) return FALSE;
  queue_.push_back({window, message, wParam, lParam});
  return TRUE;
}

void HeadlessDesktop::PostQuitMessage(int exitCode) {
  quitCode_ = exitCode;
  quitPending_ = true;
}

UINT_PTR HeadlessDesktop::SetTimer(HWND window, UINT_PTR id, UINT elapseMs) {
  if (!Find(window)) return 0;
  const UINT period = std::max(elapseMs, kMinTimerPeriodMs);
  auto timer = std::find_if(timers_.begin(), timers_.end(),
                            [&](const auto& t) { return t->window == window && t->id == id; });
  if (timer == timers_.end()) {
    timers_.push_back(std::make_unique<Timer>());
    timer = std::prev(timers_.end());
    (*timer)->window = window;
    (*timer)->id = id;
    (*timer)->sequence = ++timerSequence_;
  }
  (*timer)->period = period;
  (*timer)->due = Clock().Now() + milliseconds{period};
  (*timer)->pending = false;
  (*timer)->generation = ++timerSequence_;
  return id ? id : 1;
}

BOOL HeadlessDesktop::KillTimer(HWND window, UINT_PTR id) {
  const auto timer = std::find_if(timers_.begin(), timers_.end(),
                                  [&](const auto& t) { return t->window == window && t->id == id; });
  if (timer == timers_.end()) return FALSE;
  timers_.erase(timer);
  return TRUE;
}

// --------------------------------------------------- time and the queue

int HeadlessDesktop::PumpMessages() {
  int count = 0;
  while (!queue_.empty()) {
    const Posted next = queue_.front();
    queue_.pop_front();
    if (Window* window = Find(next.window)) {
      Dispatch(*window, next.message, next.wParam, next.lParam);
      ++count;
    }
  }
  return count;
}

std::optional<DesktopTime> HeadlessDesktop::NextTimerDue() const {
  std::optional<DesktopTime> next;
  for (const auto& timer : timers_) {
    if (!next || timer->Effective() < *next) next = timer->Effective();
  }
  return next;
}

std::optional<UINT> HeadlessDesktop::TimerPeriod(HWND window, UINT_PTR id) const {
  for (const auto& timer : timers_) {
    if (timer->window == window && timer->id == id) return timer->period;
  }
  return std::nullopt;
}

bool HeadlessDesktop::DeliverNextTimer(DesktopTime limit) {
  Timer* next = nullptr;
  for (const auto& timer : timers_) {
    if (!next || timer->Effective() < next->Effective() ||
        (timer->Effective() == next->Effective() && timer->sequence < next->sequence)) {
      next = timer.get();
    }
  }
  if (!next || next->Effective() > limit) return false;
  const auto now = Clock().Now();
  if (next->Effective() > now) Clock().Advance(next->Effective() - now);

  const HWND hwnd = next->window;
  const UINT_PTR id = next->id;
  const uint64_t generation = next->generation;
  const auto period = milliseconds{next->period};
  if (next->pending) {
    next->pending = false;
  } else {
    // Periods that passed while nobody ran the loop come as this one message.
    while (next->due <= Clock().Now()) next->due += period;
  }
  if (Window* window = Find(hwnd)) Dispatch(*window, WM_TIMER, id, 0);

  // Periods that ran out while the handler ran leave one message pending.
  for (const auto& timer : timers_) {
    if (timer->window != hwnd || timer->id != id || timer->generation != generation) continue;
    const auto after = Clock().Now();
    if (timer->due <= after) {
      timer->pending = true;
      timer->pendingAt = after;
      while (timer->due <= after) timer->due += period;
    }
    break;
  }
  return true;
}

void HeadlessDesktop::RunUntil(DesktopTime t) {
  for (;;) {
    PumpMessages();
    if (!DeliverNextTimer(t)) break;
  }
  const auto now = Clock().Now();
  if (now < t) Clock().Advance(t - now);
  PumpMessages();
}

void HeadlessDesktop::RunFor(Microseconds duration) { RunUntil(Clock().Now() + duration); }

}  // namespace vesk::ui::headless
