#pragma once
// The board watchdog the program keeps fed while it runs: the MCU's own
// (registers at 0xC2) or the Super I/O's. The MCU's is used when the chip
// found is the MCU, and also in I2C mode whatever chip was found.
#include "hardware/smbus_control.h"

namespace vesk {

// The choice for the windows, by g_ChipAddress and g_ControllerMode.
bool UsesMcuWatchdog();
// Start and feed: time-out 60 s and the reset armed. Stop: reset disarmed.
void WatchdogStart();
void WatchdogKick();
void WatchdogStop();

// Start-up's own stop after the main window has closed: the MCU's watchdog
// through start-up's controller when the MCU answered start-up's probe,
// otherwise the Super I/O's; the windows' choice plays no part.
void StartupWatchdogStop(CSMBusControl& startupController, bool chipAnswered);

}  // namespace vesk
