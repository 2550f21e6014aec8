#pragma once
// Process-wide hardware state that the windows share for the whole run: the
// long-lived bus driver, the wake-up chip's address and the controller mode.
// The bus carries the driver libraries and the OS services it was bound to;
// the wake-up chip and the watchdog reach the hardware through it.
#include <cstdint>

#include "hardware/driver_access.h"
#include "hardware/smbus_control.h"
#include "platform/os_services.h"

namespace vesk {

extern CSMBusControl g_Bus;
extern uint32_t g_ChipAddress;     // 0xC2, 0xA2 or 0xD0 once detected; 0 before
extern uint32_t g_ControllerMode;  // what g_Bus.Init() returned

// A fresh process: g_Bus bound to these services, every other value zero.
void BindHardware(DriverAccess& driver, OsServices& os);
// Back to the state at process start (g_Bus unbound, everything zero,
// including the class-wide I2C base). The simulator calls it before each
// simulated start of the program.
void ResetHardwareGlobals();

}  // namespace vesk
