#include "hardware/driver_access.h"

#include "hardware/bus_lock.h"

namespace vesk {

bool StartDrivers(DriverAccess& driver) {
  if (!driver.InitializeOls()) return false;
  return driver.InitializeWinIo();
}

void ReleaseDrivers(DriverAccess& driver) {
  driver.DeinitializeOls();
  driver.ShutdownWinIo();
}

uint32_t MmioRead32(DriverAccess& driver, uint32_t physicalAddress) {
  uint32_t value = 0xFFFFFFFF;
  driver.GetPhysLong(physicalAddress, value);
  return value;
}

void MmioWrite32(DriverAccess& driver, uint32_t physicalAddress, uint32_t value) {
  driver.SetPhysLong(physicalAddress, value);
}

uint16_t ReadConfigLowWord(DriverAccess& driver, OsServices& os, uint32_t configAddress,
                           ConfigDataRead how) {
  const BusLock lock(os, SharedBus::Pci);
  if (!lock.Usable()) return 0xFFFF;
  driver.WriteIoPortDword(kPciConfigAddressPort, configAddress);
  if (how == ConfigDataRead::Word) {
    uint16_t word = 0xFFFF;
    driver.ReadIoPortWordEx(kPciConfigDataPort, word);
    return word;
  }
  uint32_t dword = 0xFFFFFFFF;
  driver.ReadIoPortDwordEx(kPciConfigDataPort, dword);
  return static_cast<uint16_t>(dword & 0xFFFF);
}

}  // namespace vesk
