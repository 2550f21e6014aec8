#include "sim/machine/machine_desktop.h"

#include <algorithm>

#include "resources/resource.h"
#include "ui/ui_globals.h"

namespace vesk::sim {

namespace {

using std::chrono::floor;
using std::chrono::minutes;

// The first time of the rhythm (due + k * period) at or after `at`.
SimTime FirstAtOrAfter(SimTime due, Microseconds period, SimTime at) {
  if (due >= at) return due;
  const auto periods = (at - due + period - Microseconds{1}) / period;
  return due + periods * period;
}

}  // namespace

MachineDesktop::MachineDesktop(SimulatedOs& os, std::string skinRoot, Observer observer, bool coalesce)
    : HeadlessDesktop(os, os.Clock(), std::move(skinRoot)),
      os_(os),
      observer_(std::move(observer)),
      coalesce_(coalesce) {}

bool MachineDesktop::Coalesced(HWND window, UINT_PTR id) const {
  return coalesce_ && (id == ui::TIMER_CLOCK || id == ui::TIMER_ALARM) &&
         WindowClass(window) == ui::kMainWindowClass;
}

UINT_PTR MachineDesktop::SetTimer(HWND window, UINT_PTR id, UINT elapseMs) {
  if (!Coalesced(window, id)) return HeadlessDesktop::SetTimer(window, id, elapseMs);
  const Microseconds period = std::chrono::milliseconds{elapseMs};
  auto tick = std::find_if(ticks_.begin(), ticks_.end(), [&](const Tick& t) { return t.window == window && t.id == id; });
  if (tick == ticks_.end()) {
    Tick fresh;
    fresh.window = window;
    fresh.id = id;
    tick = ticks_.insert(ticks_.end(), fresh);
  }
  tick->period = period;
  tick->due = Clock().Now() + period;
  tick->lastAt.reset();
  return id;
}

BOOL MachineDesktop::KillTimer(HWND window, UINT_PTR id) {
  const auto tick = std::find_if(ticks_.begin(), ticks_.end(), [&](const Tick& t) { return t.window == window && t.id == id; });
  if (tick == ticks_.end()) return HeadlessDesktop::KillTimer(window, id);
  ticks_.erase(tick);
  return TRUE;
}

void MachineDesktop::Disturb() {
  // The ticks skipped so far would have repeated their last one; from now
  // on each comes in its own rhythm again.
  const SimTime now = Clock().Now();
  for (Tick& tick : ticks_) {
    if (tick.lastAt && tick.epoch == epoch_) tick.due = FirstAtOrAfter(tick.due, tick.period, now);
  }
  ++epoch_;
}

SimTime MachineDesktop::NextDelivery(const Tick& tick) {
  if (!tick.lastAt || tick.epoch != epoch_) return tick.due;
  // The next minute of Windows' local clock, which a set clock may have
  // moved off the virtual clock's minutes.
  const SimTime shown = os_.LocalAt(*tick.lastAt);
  const SimTime nextMinute = *tick.lastAt + (floor<minutes>(shown) + minutes{1} - shown);
  return FirstAtOrAfter(tick.due, tick.period, nextMinute);
}

std::optional<SimTime> MachineDesktop::NextCoalescedTick() {
  std::optional<SimTime> next;
  for (const Tick& tick : ticks_) {
    if (!IsWindow(tick.window)) continue;
    const SimTime at = NextDelivery(tick);
    if (!next || at < *next) next = at;
  }
  return next;
}

bool MachineDesktop::CoalescedTickFirst(SimTime timerDue) {
  std::optional<SimTime> first;
  UINT_PTR firstId = 0;
  for (const Tick& tick : ticks_) {
    if (!IsWindow(tick.window)) continue;
    const SimTime at = NextDelivery(tick);
    if (!first || at < *first) {
      first = at;
      firstId = tick.id;
    }
  }
  return first && (*first < timerDue || (*first == timerDue && firstId < ui::TIMER_WATCHDOG));
}

void MachineDesktop::DeliverCoalescedTick() {
  // A window that went away took its timers with it.
  ticks_.erase(std::remove_if(ticks_.begin(), ticks_.end(), [&](const Tick& t) { return !IsWindow(t.window); }),
               ticks_.end());
  const SimTime now = Clock().Now();
  const auto due = std::find_if(ticks_.begin(), ticks_.end(), [&](const Tick& t) { return NextDelivery(t) <= now; });
  if (due == ticks_.end()) return;
  const HWND window = due->window;
  const UINT_PTR id = due->id;
  due->lastAt = now;
  due->epoch = epoch_;
  due->due = FirstAtOrAfter(due->due, due->period, now + Microseconds{1});
  HeadlessDesktop::SendMessage(window, WM_TIMER, id, 0);
  // Periods that ran out while the handler ran are not made up.
  for (Tick& tick : ticks_) {
    if (tick.window == window && tick.id == id) tick.due = FirstAtOrAfter(tick.due, tick.period, Clock().Now());
  }
}

HWND MachineDesktop::CreateFrameWindow(ui::CWindowWnd& window, const ui::CreateParams& params) {
  const HWND hwnd = HeadlessDesktop::CreateFrameWindow(window, params);
  if (hwnd && observer_.warningCreated && WindowClass(hwnd) == ui::kWarningWindowClass) {
    observer_.warningCreated(hwnd);
  }
  return hwnd;
}

HWND MachineDesktop::CreateDialogFromTemplate(ui::CDialog& dialog, UINT templateId, HWND parent) {
  const HWND hwnd = HeadlessDesktop::CreateDialogFromTemplate(dialog, templateId, parent);
  if (hwnd && templateId == IDD_NOTICE && observer_.noticeShown) observer_.noticeShown();
  return hwnd;
}

LRESULT MachineDesktop::SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = HeadlessDesktop::SendMessage(window, message, wParam, lParam);
  if (message == ui::WM_DELAYSHUTDOWN && observer_.postponed && WindowClass(window) == ui::kMainWindowClass) {
    observer_.postponed(LOWORD(lParam));
  }
  return result;
}

}  // namespace vesk::sim
