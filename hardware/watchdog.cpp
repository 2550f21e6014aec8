#include "hardware/watchdog.h"

#include "hardware/hardware_globals.h"
#include "hardware/superio_watchdog.h"
#include "hardware/wake_chip.h"

namespace vesk {

namespace {

void SuperIoArm(DriverAccess* driver) {
  if (driver == nullptr) return;
  SetWatchdogTimeout(*driver);
  EnableWatchdogReset(*driver);
}

void SuperIoDisarm(DriverAccess* driver) {
  if (driver != nullptr) DisableWatchdogReset(*driver);
}

}  // namespace

bool UsesMcuWatchdog() {
  return g_ChipAddress == kMcuAddress ||
         g_ControllerMode == static_cast<uint32_t>(kControllerModeI2c);
}

void WatchdogStart() {
  if (UsesMcuWatchdog()) {
    McuWatchdogStart(g_Bus);
  } else {
    SuperIoArm(g_Bus.Driver());
  }
}

void WatchdogKick() {
  if (UsesMcuWatchdog()) {
    McuWatchdogKick(g_Bus);
  } else {
    SuperIoArm(g_Bus.Driver());
  }
}

void WatchdogStop() {
  if (UsesMcuWatchdog()) {
    McuWatchdogStop(g_Bus);
  } else {
    SuperIoDisarm(g_Bus.Driver());
  }
}

void StartupWatchdogStop(CSMBusControl& startupController, bool chipAnswered) {
  if (chipAnswered) {
    McuWatchdogStop(startupController);
  } else {
    SuperIoDisarm(startupController.Driver());
  }
}

}  // namespace vesk
