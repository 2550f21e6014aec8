#pragma once
// The headless desktop as the simulated machine runs it: it tells the
// machine when the program raises its warning, shows its notice or is asked
// to postpone, and it delivers the main window's clock and alarm-refresh
// timers in a coalesced way.
//
// Coalescing: the clock tick (every second) and the alarm refresh (every
// five seconds) decide by the weekday, hour and minute of the clock and by
// state that only the user, the chip or the ticks themselves change. Once a
// tick has run in a minute with nothing happening since, its later ticks in
// that minute would repeat it, so they are skipped and the timer comes back
// at its first tick of the next minute. Anything the machine notices
// (Disturb) makes the next tick of each come when it is due again. The
// watchdog feed and every other timer keep their exact periods.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/os/simulated_os.h"
#include "ui/framework/headless/headless_desktop.h"

namespace vesk::sim {

class MachineDesktop final : public ui::headless::HeadlessDesktop {
 public:
  struct Observer {
    std::function<void(HWND warning)> warningCreated;
    std::function<void()> noticeShown;
    std::function<void(unsigned minutes)> postponed;  // after the main window handled it
  };

  MachineDesktop(SimulatedOs& os, std::string skinRoot, Observer observer, bool coalesce);

  // Something happened that the ticks may see.
  void Disturb();
  // When the next coalesced tick is to be delivered, if a timer is set.
  std::optional<SimTime> NextCoalescedTick();
  // Whether the coalesced tick goes before the desktop's own timer due at
  // `timerDue`. At the same moment the main window's timers keep the order
  // in which they were set (clock 1, watchdog 2, alarm 3), as the desktop
  // keeps it for its own.
  bool CoalescedTickFirst(SimTime timerDue);
  // Delivers the coalesced tick that is due now (the clock is already there).
  void DeliverCoalescedTick();

  UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs) override;
  BOOL KillTimer(HWND window, UINT_PTR id) override;
  HWND CreateFrameWindow(ui::CWindowWnd& window, const ui::CreateParams& params) override;
  HWND CreateDialogFromTemplate(ui::CDialog& dialog, UINT templateId, HWND parent) override;
  LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Tick {
    HWND window = nullptr;
    UINT_PTR id = 0;
    Microseconds period{};
    SimTime due;                   // the next tick in the timer's own rhythm
    std::optional<SimTime> lastAt;  // when one was last delivered
    uint64_t epoch = 0;            // Disturb count at that delivery
  };
  bool Coalesced(HWND window, UINT_PTR id) const;
  SimTime NextDelivery(const Tick& tick);

  SimulatedOs& os_;
  Observer observer_;
  bool coalesce_;
  std::vector<Tick> ticks_;
  uint64_t epoch_ = 0;
};

}  // namespace vesk::sim
