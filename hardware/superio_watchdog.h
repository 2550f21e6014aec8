#pragma once
// The watchdog timer of the board's ITE Super I/O chip, reached through its
// configuration ports 0x2E (index) and 0x2F (data). Each sequence is whole
// in itself: entry key, logical device 7, its registers, exit. Nothing is
// ever read back from the chip. A sequence runs inside the ISA bus lock that
// other hardware tools share, so that none of their accesses to the chip
// falls between its entry key and its exit; when the lock stays taken the
// sequence is not made and returns 0.
#include "hardware/driver_access.h"
#include "platform/os_services.h"

namespace vesk {

// Time-out 60 (seconds once the configuration says so).
int SetWatchdogTimeout(DriverAccess& driver, OsServices& os);
// Time-out counted in seconds, reset pulse on KRST# at time-out.
int EnableWatchdogReset(DriverAccess& driver, OsServices& os);
// Counted in minutes, no reset output: the time-out no longer matters.
int DisableWatchdogReset(DriverAccess& driver, OsServices& os);

}  // namespace vesk
