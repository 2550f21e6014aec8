#include "hardware/watchdog.h"

#include "hardware/bus_lock.h"
#include "hardware/hardware_globals.h"
#include "hardware/superio_watchdog.h"
#include "hardware/wake_chip.h"

namespace vesk {

namespace {

// Another hardware tool holding the bus for longer than the bounded wait
// keeps an access out. For the watchdog one lost access is too many: the next
// feed comes 40 s later, past the 60 s time-out, and a lost stop leaves the
// board to be reset after the program has gone. So an action the bus lock
// kept out is made again at once, a few times (a bus error is not retried).
constexpr int kBusyBusAttempts = 3;

template <typename Action>
void UntilBusFree(Action action) {
  for (int attempt = 0; attempt < kBusyBusAttempts; ++attempt) {
    const uint32_t before = BusLockTimeouts();
    action();
    if (BusLockTimeouts() == before) return;
  }
}

void SuperIoArm(const CSMBusControl& bus) {
  if (bus.Driver() == nullptr || bus.Os() == nullptr) return;
  UntilBusFree([&] {
    // Returns 0 only when the bus was busy: then the second would wait too.
    if (SetWatchdogTimeout(*bus.Driver(), *bus.Os()) != 0) EnableWatchdogReset(*bus.Driver(), *bus.Os());
  });
}

void SuperIoDisarm(const CSMBusControl& bus) {
  if (bus.Driver() == nullptr || bus.Os() == nullptr) return;
  UntilBusFree([&] { DisableWatchdogReset(*bus.Driver(), *bus.Os()); });
}

}  // namespace

bool UsesMcuWatchdog() {
  return g_ChipAddress == kMcuAddress ||
         g_ControllerMode == static_cast<uint32_t>(kControllerModeI2c);
}

void WatchdogStart() {
  if (UsesMcuWatchdog()) {
    UntilBusFree([] { McuWatchdogStart(g_Bus); });
  } else {
    SuperIoArm(g_Bus);
  }
}

void WatchdogKick() {
  if (UsesMcuWatchdog()) {
    UntilBusFree([] { McuWatchdogKick(g_Bus); });
  } else {
    SuperIoArm(g_Bus);
  }
}

void WatchdogStop() {
  if (UsesMcuWatchdog()) {
    UntilBusFree([] { McuWatchdogStop(g_Bus); });
  } else {
    SuperIoDisarm(g_Bus);
  }
}

void StartupWatchdogStop(CSMBusControl& startupController, bool chipAnswered) {
  if (chipAnswered) {
    UntilBusFree([&] { McuWatchdogStop(startupController); });
  } else {
    SuperIoDisarm(startupController);
  }
}

}  // namespace vesk
