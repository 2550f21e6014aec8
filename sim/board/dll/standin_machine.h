#pragma once
// The one simulated board behind both stand-in driver libraries. It lives
// in the stand-in WinRing0x64.dll; the stand-in WinIo64.dll reaches it
// through that library's extra named exports, so both see the same board.
//
// Set-up through the environment, read when the board is first needed:
//   VESK_SIM_BOARD        profile name, default "mcu-intel-i2c"; an unknown
//                         name makes both libraries fail to start
//   VESK_SIM_DRIVER_FAIL  "ring0", "winio" or "both": that library's start
//                         always fails
// The board's clock follows the real clock from the moment it is made.
#include "sim/board/simulated_driver_access.h"

namespace vesk::sim::standin {

// The driver libraries on the board; null when the profile is unknown.
SimulatedDriverAccess* Driver();

}  // namespace vesk::sim::standin
