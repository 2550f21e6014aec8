#include "hardware/hardware_globals.h"

#include "hardware/bus_lock.h"

namespace vesk {

CSMBusControl g_Bus;
uint32_t g_ChipAddress = 0;
uint32_t g_ControllerMode = 0;

void BindHardware(DriverAccess& driver, OsServices& os) {
  ResetHardwareGlobals();
  g_Bus.Bind(driver, os);
}

void ResetHardwareGlobals() {
  g_Bus = CSMBusControl{};
  g_ChipAddress = 0;
  g_ControllerMode = 0;
  CSMBusControl::mI2CBaseAddress = 0;
  ResetBusLockReports();
}

}  // namespace vesk
