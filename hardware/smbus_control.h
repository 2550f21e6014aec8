#pragma once
// The two-wire bus driver: one register of one device written or read with
// the SMBus byte-data protocol (register index, then one data byte).
// Devices are named by their 8-bit bus address (7-bit address << 1).
//
// The board reaches its bus through one of two controllers, which Init
// finds out:
//   - SMBus mode: the chipset's PIIX4-compatible SMBus host, through ports;
//   - I2C mode: a Synopsys DesignWare DW_apb_i2c block in physical memory,
//     on Intel boards whose LPC bridge is 0x229C without SMBus controller
//     0x2292.
#include <cstdint>
#include <optional>

#include "hardware/driver_access.h"
#include "platform/os_services.h"

namespace vesk {

inline constexpr int kControllerModeSmbus = 0;
inline constexpr int kControllerModeI2c = 1;

// PCI location of the SMBus controller, made by the probe on Intel boards.
struct SmbusPciLocation {
  uint32_t configAddress = 0;  // configuration-mechanism address, register 0
  uint32_t baseRegister = 0;   // offset of the I/O base register
  uint32_t baseMask = 0;       // bits of that register that hold the base
};

// Bounds of the waits that hardware could stretch for ever (a stuck host,
// a transmit FIFO that never frees). Each is far above what a healthy
// byte transfer needs (well under 1 ms); a transfer whose wait runs out
// fails.
inline constexpr uint32_t kHostBusyPollMicroseconds = 10;
inline constexpr uint32_t kHostBusyPollLimit = 10'000;  // 100 ms
inline constexpr uint32_t kTxFifoFullRetryLimit = 1024;  // about 0.9 s
// The drain poll and the read wait of the I2C transfers (about 0.6 s and
// 0.3 s); a drain that runs out also restarts the machine.
inline constexpr uint32_t kI2cPollLimit = 1024;

// The immediate forced restart run when the I2C transmit FIFO never drains.
inline constexpr const char* kForcedRestartCommand = "Cmd.exe /C shutdown -r -f -t 0";

class CSMBusControl {
 public:
  // Every field zero and no driver: Init reports SMBus mode without a base
  // and every transfer fails until Bind.
  CSMBusControl() = default;
  CSMBusControl(DriverAccess& driver, OsServices& os) : driver_(&driver), os_(&os) {}
  void Bind(DriverAccess& driver, OsServices& os) {
    driver_ = &driver;
    os_ = &os;
  }

  // Probes the controller, readies the SMBus host in SMBus mode, and
  // returns the mode (kControllerModeI2c or kControllerModeSmbus).
  int Init();
  // 1 on success, 0 on failure.
  int WriteByteData(uint8_t address, uint8_t reg, uint8_t value);
  // Non-zero on success; the byte then holds the register's value.
  int ReadByteData(uint8_t address, uint8_t reg, uint8_t& value);

  // Physical address of the I2C controller's registers, shared by all
  // instances; Init sets it.
  static uint32_t mI2CBaseAddress;
  static constexpr uint32_t kI2cControllerBase = 0x9152E000;

  // What the probe found, for the callers that keep it and for tests.
  int Mode() const { return static_cast<int>(mMode); }
  uint16_t SmbusBase() const { return mSmbusBase; }
  uint32_t HostVendor() const { return mHostVendor; }
  const std::optional<SmbusPciLocation>& SmbusLocation() const { return mSmbusLocation; }
  DriverAccess* Driver() const { return driver_; }
  OsServices* Os() const { return os_; }

 private:
  // The driver's whole transfers, when it offers them.
  BusTransfers* Transfers() const;
  int Probe();
  bool SearchClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf);
  uint16_t StoredDeviceId();

  // SMBus mode.
  bool SmbusReady() const;
  bool WaitHostIdle();
  uint8_t ReadHost(uint16_t offset);
  void WriteHost(uint16_t offset, uint8_t value);
  int SmbusWrite(uint8_t address, uint8_t reg, uint8_t value);
  int SmbusRead(uint8_t address, uint8_t reg, uint8_t& value);

  // I2C mode.
  int I2CSetTarget(uint8_t address7);
  int I2CWriteByte(uint8_t address7, uint8_t byte, bool restart, bool stop);
  int I2CReadByte(uint8_t& value);
  void DrainReceiveFifo();
  bool TransmitAborted();
  uint32_t ReadI2c(uint32_t offset);
  void WriteI2c(uint32_t offset, uint32_t value);
  void DelayMicroseconds(uint32_t microseconds);

  // Fields in the order of the driver's record; an instance starts zeroed.
  uint16_t mSmbusBase = 0;
  std::optional<SmbusPciLocation> mSmbusLocation;
  uint32_t mHostVendor = 0;
  uint32_t mMode = 0;
  uint32_t mBus = 0;
  uint32_t mDevice = 0;
  uint32_t mFunction = 0;

  DriverAccess* driver_ = nullptr;
  OsServices* os_ = nullptr;
};

}  // namespace vesk
