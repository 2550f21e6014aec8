#pragma once
// Every hardware access of the program goes through the two driver
// libraries: the port and PCI library (WinRing0x64.dll, imported by ordinal)
// and the physical-memory library (WinIo64.dll, imported by name). This
// interface holds exactly the operations the program uses from them, so the
// same bus and watchdog code runs on the Windows binding and on the
// simulated board.
#include <cstdint>

#include "hardware/bus_transfers.h"
#include "platform/os_services.h"

namespace vesk {

// PCI address as the port library's PCI operations take and return it:
// bits 15..8 bus, 7..3 device, 2..0 function.
inline constexpr uint32_t kPciNoDevice = 0xFFFFFFFF;

constexpr uint32_t LibraryPciAddress(uint32_t bus, uint32_t device, uint32_t function) {
  return ((bus & 0xFF) << 8) | ((device & 0x1F) << 3) | (function & 0x07);
}
constexpr uint32_t PciBusOf(uint32_t libraryAddress) { return (libraryAddress >> 8) & 0xFF; }
constexpr uint32_t PciDeviceOf(uint32_t libraryAddress) { return (libraryAddress >> 3) & 0x1F; }
constexpr uint32_t PciFunctionOf(uint32_t libraryAddress) { return libraryAddress & 0x07; }

// PCI configuration mechanism #1 (PCI Local Bus standard): the address
// written to 0xCF8 selects bus, device, function and register; 0xCFC then
// carries the register's data.
inline constexpr uint16_t kPciConfigAddressPort = 0xCF8;
inline constexpr uint16_t kPciConfigDataPort = 0xCFC;
inline constexpr uint32_t kPciConfigEnable = 0x80000000;

constexpr uint32_t ConfigMechanismAddress(uint32_t bus, uint32_t device, uint32_t function,
                                          uint32_t registerOffset) {
  return kPciConfigEnable + bus * 0x10000 + device * 0x800 + function * 0x100 + registerOffset;
}

class DriverAccess {
 public:
  virtual ~DriverAccess() = default;

  // --- WinRing0x64.dll ---
  virtual bool InitializeOls() = 0;                                       // ordinal 7
  virtual void DeinitializeOls() = 0;                                     // ordinal 8
  virtual void WriteIoPortByte(uint16_t port, uint8_t value) = 0;         // ordinal 54
  virtual bool ReadIoPortByteEx(uint16_t port, uint8_t& value) = 0;       // ordinal 61
  virtual void WriteIoPortDword(uint16_t port, uint32_t value) = 0;       // ordinal 56
  virtual bool ReadIoPortWordEx(uint16_t port, uint16_t& value) = 0;      // ordinal 62
  virtual bool ReadIoPortDwordEx(uint16_t port, uint32_t& value) = 0;     // ordinal 63
  virtual uint32_t ReadPciConfigDword(uint32_t pciAddress, uint8_t reg) = 0;  // ordinal 83
  // The index-th device of the class, or kPciNoDevice.
  virtual uint32_t FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf,
                                        uint8_t index) = 0;                // ordinal 88

  // --- WinIo64.dll ---
  virtual bool InitializeWinIo() = 0;
  virtual void ShutdownWinIo() = 0;
  virtual bool GetPhysLong(uint32_t physicalAddress, uint32_t& value) = 0;
  virtual bool SetPhysLong(uint32_t physicalAddress, uint32_t value) = 0;

  // Whole transfers, when the hardware is reached through a driver that
  // makes them itself; null while the operations above are the way in.
  virtual BusTransfers* Transfers() { return nullptr; }
};

// One start attempt: the port library first, the memory library only when
// the port library came up. True when both are up. (The retries and their
// message belong to the caller.)
bool StartDrivers(DriverAccess& driver);
// Releases both, the port library first.
void ReleaseDrivers(DriverAccess& driver);

// One physical double word, one library call each, no caching. A failed
// read gives what a floating bus gives, all ones.
uint32_t MmioRead32(DriverAccess& driver, uint32_t physicalAddress);
void MmioWrite32(DriverAccess& driver, uint32_t physicalAddress, uint32_t value);

// Reads a configuration register through the configuration ports: the
// address goes to 0xCF8 (ordinal 56), the data comes from 0xCFC with either
// of the library's two variable reads. Only the low 16 bits are kept. The
// pair is made inside the PCI configuration lock that other hardware tools
// share; when that stays taken, the read gives what an absent device gives,
// all ones.
enum class ConfigDataRead { Word /* ordinal 62 */, Dword /* ordinal 63 */ };
uint16_t ReadConfigLowWord(DriverAccess& driver, OsServices& os, uint32_t configAddress,
                           ConfigDataRead how);

}  // namespace vesk
