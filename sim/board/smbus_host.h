#pragma once
// A PIIX4-style SMBus host controller at an I/O base. A transfer starts
// when the start bit is written to host control; the host then stays busy
// for as long as the bits take on a 100 kHz bus and does the transfer on
// the two-wire bus when it ends. A device that does not acknowledge sets
// the device-error bit; status bits are cleared by writing ones to them.
// Only the byte-data command is modelled; any other sets the failed bit.
#include <cstdint>
#include <optional>

#include "sim/board/two_wire_bus.h"

namespace vesk::sim {

class SmbusHost {
 public:
  // Register offsets and bits, by their PIIX4 datasheet names.
  static constexpr uint16_t kSmbHstSts = 0x00;
  static constexpr uint16_t kSmbHstCnt = 0x02;
  static constexpr uint16_t kSmbHstCmd = 0x03;
  static constexpr uint16_t kSmbHstAdd = 0x04;
  static constexpr uint16_t kSmbHstDat0 = 0x05;
  static constexpr uint16_t kSmbHstDat1 = 0x06;
  static constexpr uint16_t kPortCount = 0x10;
  static constexpr uint8_t kHostBusy = 0x01;
  static constexpr uint8_t kIntr = 0x02;
  static constexpr uint8_t kDevErr = 0x04;
  static constexpr uint8_t kBusErr = 0x08;
  static constexpr uint8_t kFailed = 0x10;
  static constexpr uint8_t kStart = 0x40;
  static constexpr uint8_t kCommandMask = 0x1C;
  static constexpr uint8_t kCommandByteData = 0x08;
  // Bits of a byte-data transfer on the wire: start, address, command, data,
  // acknowledges and stop; the read adds a repeated start and an address.
  static constexpr Microseconds kBitTime{10};
  static constexpr unsigned kWriteBits = 29;
  static constexpr unsigned kReadBits = 39;

  SmbusHost(TwoWireBus& bus, uint16_t base) : bus_(bus), base_(base) {}

  uint16_t Base() const { return base_; }
  bool Claims(uint16_t port) const { return port >= base_ && port < base_ + kPortCount; }
  uint8_t Read(uint16_t port, SimTime now);
  void Write(uint16_t port, uint8_t value, SimTime now);
  // Ends a transfer whose time has come.
  void CatchUp(SimTime now);

  // Fault: the busy bit never clears and started transfers never end.
  void SetStuckBusy(bool on) { stuckBusy_ = on; }
  // Board reset or power loss: idle, registers cleared.
  void Reset();

 private:
  void Finish(SimTime at);
  TwoWireBus& bus_;
  uint16_t base_;
  uint8_t status_ = 0;
  uint8_t control_ = 0;
  uint8_t command_ = 0;
  uint8_t address_ = 0;
  uint8_t data0_ = 0;
  uint8_t data1_ = 0;
  std::optional<SimTime> busyUntil_;
  bool stuckBusy_ = false;
};

}  // namespace vesk::sim
