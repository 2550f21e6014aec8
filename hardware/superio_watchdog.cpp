#include "hardware/superio_watchdog.h"

#include <array>
#include <cstdint>

#include "hardware/bus_lock.h"

namespace vesk {

namespace {

constexpr uint16_t kIndexPort = 0x2E;
constexpr uint16_t kDataPort = 0x2F;
// The key that takes the chip out of its wait-for-key state.
constexpr std::array<uint8_t, 4> kEntryKey{0x87, 0x01, 0x55, 0x55};
constexpr uint8_t kLogicalDeviceSelect = 0x07;
constexpr uint8_t kWatchdogDevice = 0x07;
constexpr uint8_t kConfigControl = 0x02;
constexpr uint8_t kReturnToWaitForKey = 0x02;

// Registers of logical device 7.
constexpr uint8_t kWdtConfig = 0x72;
constexpr uint8_t kWdtTimeoutLow = 0x73;
constexpr uint8_t kWdtTimeoutHigh = 0x74;
constexpr uint8_t kWdtCountSeconds = 0x80;
constexpr uint8_t kWdtResetOnKrst = 0x40;
constexpr uint8_t kWdtOff = 0x00;
constexpr uint16_t kWdtTimeoutSeconds = 60;

// The index port and a register, through the module that owns the chip
// when the driver has one, else through our own port writes; the chip sees
// the same bytes on its ports either way.
void WriteIndexPort(DriverAccess& driver, uint8_t value) {
  if (BusTransfers* transfers = driver.Transfers()) {
    transfers->SuperIoWriteIndexPort(value);
  } else {
    driver.WriteIoPortByte(kIndexPort, value);
  }
}

void WriteRegister(DriverAccess& driver, uint8_t reg, uint8_t value) {
  if (BusTransfers* transfers = driver.Transfers()) {
    transfers->SuperIoWriteRegister(reg, value);
    return;
  }
  driver.WriteIoPortByte(kIndexPort, reg);
  driver.WriteIoPortByte(kDataPort, value);
}

// Runs `body` between the entry into and the exit from configuration mode,
// with the watchdog's logical device selected.
template <typename Body>
int InWatchdogDevice(DriverAccess& driver, OsServices& os, Body body) {
  const BusLock lock(os, SharedBus::IsaBus);
  if (!lock.Usable()) return 0;
  for (const uint8_t keyByte : kEntryKey) WriteIndexPort(driver, keyByte);
  WriteRegister(driver, kLogicalDeviceSelect, kWatchdogDevice);
  body();
  WriteRegister(driver, kConfigControl, kReturnToWaitForKey);
  return 1;
}

}  // namespace

int SetWatchdogTimeout(DriverAccess& driver, OsServices& os) {
  return InWatchdogDevice(driver, os, [&] {
    WriteRegister(driver, kWdtTimeoutLow, static_cast<uint8_t>(kWdtTimeoutSeconds & 0xFF));
    WriteRegister(driver, kWdtTimeoutHigh, static_cast<uint8_t>(kWdtTimeoutSeconds >> 8));
  });
}

int EnableWatchdogReset(DriverAccess& driver, OsServices& os) {
  return InWatchdogDevice(driver, os, [&] {
    WriteRegister(driver, kWdtConfig, kWdtCountSeconds | kWdtResetOnKrst);
  });
}

int DisableWatchdogReset(DriverAccess& driver, OsServices& os) {
  return InWatchdogDevice(driver, os, [&] { WriteRegister(driver, kWdtConfig, kWdtOff); });
}

}  // namespace vesk
