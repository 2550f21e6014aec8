#pragma once
// An ITE Super I/O chip at the configuration ports 0x2E/0x2F, reduced to
// what its watchdog needs. The chip waits for the entry key 87 01 55 55 on
// 0x2E; then 0x2E selects a register and 0x2F writes it, register 0x07
// selects the logical device, and writing bit 1 of register 0x02 returns
// the chip to waiting for the key. Logical device 7 holds the watchdog:
// 0x72 configuration (bit 7: count seconds rather than minutes, bit 6:
// pulse KRST# at time-out), 0x73/0x74 the time-out. Writing the time-out
// (re)starts the count; it runs while the time-out is not zero and ends at
// time-out, resetting the board when KRST# is on.
#include <array>
#include <cstdint>
#include <optional>

#include "sim/os/virtual_clock.h"

namespace vesk::sim {

class IteSuperIo {
 public:
  static constexpr uint16_t kIndexPort = 0x2E;
  static constexpr uint16_t kDataPort = 0x2F;
  static constexpr uint8_t kRegConfigControl = 0x02;
  static constexpr uint8_t kRegLogicalDevice = 0x07;
  static constexpr uint8_t kRegChipIdHigh = 0x20;
  static constexpr uint8_t kRegChipIdLow = 0x21;
  static constexpr uint8_t kWaitForKey = 0x02;
  static constexpr uint8_t kWatchdogDevice = 0x07;
  static constexpr uint8_t kRegWdtConfig = 0x72;
  static constexpr uint8_t kRegWdtTimeoutLsb = 0x73;
  static constexpr uint8_t kRegWdtTimeoutMsb = 0x74;
  static constexpr uint8_t kWdtSeconds = 0x80;
  static constexpr uint8_t kWdtKrst = 0x40;
  static constexpr std::array<uint8_t, 4> kEntryKey{0x87, 0x01, 0x55, 0x55};
  static constexpr uint16_t kChipId = 0x8786;

  bool Claims(uint16_t port) const { return port == kIndexPort || port == kDataPort; }
  void Write(uint16_t port, uint8_t value, SimTime now);
  uint8_t Read(uint16_t port) const;

  // When the running count ends, if it runs.
  std::optional<SimTime> CountEnds() const;
  bool ResetOnTimeout() const { return (WdtConfig() & kWdtKrst) != 0; }
  // The count reached zero: it stops.
  void Expire() { counting_ = false; }
  // Board reset or power loss: power-on defaults, watchdog off.
  void Reset();

  bool InConfigMode() const { return configMode_; }
  uint8_t WdtConfig() const { return watchdogRegs_[kRegWdtConfig - kFirstWatchdogReg]; }
  uint16_t WdtTimeout() const;

 private:
  static constexpr uint8_t kFirstWatchdogReg = 0x70;
  void WriteRegister(uint8_t reg, uint8_t value, SimTime now);
  uint8_t ReadRegister(uint8_t reg) const;

  std::size_t keyProgress_ = 0;
  bool configMode_ = false;
  uint8_t index_ = 0;
  uint8_t logicalDevice_ = 0;
  std::array<uint8_t, 0x10> watchdogRegs_{};  // 0x70..0x7F of logical device 7
  bool counting_ = false;
  SimTime countStart_{};
};

}  // namespace vesk::sim
