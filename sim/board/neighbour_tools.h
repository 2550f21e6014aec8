#pragma once
// Other hardware tools on the same machine as the program (a memory monitor
// reading the modules' SPD EEPROMs, a sensor tool reading the Super I/O),
// each on a thread of its own. They reach the same simulated registers as
// the program, through a driver of their own, and take the machine-wide bus
// locks around each transfer the way such tools agree to. Every port write
// is a call into that driver and takes its time, during which the program's
// own accesses can fall in.
#include <array>
#include <cstdint>
#include <optional>

#include "sim/board/board.h"
#include "sim/board/two_wire_bus.h"
#include "sim/os/named_locks.h"

namespace vesk::sim {

// A memory module's SPD EEPROM (read-only, 16 registers here); each
// register's content is known, so a reader can tell a wrong byte.
class SpdEeprom final : public BusDevice {
 public:
  static constexpr uint8_t kAddress = 0xA0;
  static uint8_t Content(uint8_t reg) { return static_cast<uint8_t>(0x92 ^ (reg * 0x1D)); }
  uint8_t ReadRegister(uint8_t reg, SimTime) override { return Content(reg); }
  void WriteRegister(uint8_t, uint8_t, SimTime) override {}
};

class SmbusNeighbour {
 public:
  SmbusNeighbour(Board& board, NamedLocks& locks) : board_(board), locks_(locks) {}

  // One byte-data read: wait for the host, clear its status, address,
  // command, start, wait for the end, check the status, take the data.
  // Nothing when the host reported an error or never finished.
  std::optional<uint8_t> ReadByteData(uint8_t address8, uint8_t reg);

 private:
  uint8_t In(uint16_t offset);
  void Out(uint16_t offset, uint8_t value);
  bool WaitIdle();

  Board& board_;
  NamedLocks& locks_;
};

class SuperIoNeighbour {
 public:
  SuperIoNeighbour(Board& board, NamedLocks& locks) : board_(board), locks_(locks) {}

  // One sensor-tool sequence: entry key, chip id, its own logical device
  // (the environment controller) selected and read back, exit. True when
  // everything read back as the chip has it; nothing when the lock could
  // not be had.
  std::optional<bool> ReadIdentity();

 private:
  void Out(uint16_t port, uint8_t value);
  uint8_t In(uint16_t port);
  uint8_t ReadRegister(uint8_t reg);

  Board& board_;
  NamedLocks& locks_;
};

}  // namespace vesk::sim
