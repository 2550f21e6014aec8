#pragma once
// One record per access that reaches the simulated board: port and PCI
// accesses, physical-memory accesses of the I2C controller, and what the
// devices on the two-wire bus saw (a register written or read, an address
// nobody acknowledged).
#include <cstdint>
#include <optional>
#include <string>

#include "sim/os/virtual_clock.h"

namespace vesk::sim {

enum class AccessKind {
  PortWrite,       // address = port, value, width in bytes
  PortRead,        // address = port, value, width in bytes
  PciConfigRead,   // address = library PCI address, reg, value
  PciClassSearch,  // reg = class << 16 | sub-class << 8 | programming interface, value = result
  MemoryWrite,     // address = physical address, value
  MemoryRead,      // address = physical address, value
  BusWrite,        // address = 8-bit device address, reg, value
  BusRead,         // address = 8-bit device address, reg, value
  BusNoAck,        // address = 8-bit device address
};

struct BoardAccess {
  SimTime at;
  AccessKind kind = AccessKind::PortWrite;
  uint32_t address = 0;
  uint32_t reg = 0;
  uint32_t value = 0;
  uint8_t width = 0;

  bool operator==(const BoardAccess&) const = default;
};

// Compact text of one access, for test expectations and diagnostics:
//   "out8 0x2E 0x87", "in8 0xB20 0x00", "out32 0xCF8 0x80000000", "in16 0xCFC 0x8086",
//   "pci 0x00F8 0x00 0x229C8086", "class 0x0C0500 0x00FB",
//   "mw 0x9152E010 0x405", "mr 0x9152E070 0x6",
//   "bus-w 0xC2 0x05 0x06", "bus-r 0xC2 0x00 0x01", "bus-nack 0xA2".
std::string Describe(const BoardAccess& access);

// The line the simulator prints with --trace-bus, without the time stamp:
//   "bus op=write addr=0xC2 reg=0x05 value=0x06", "bus op=read ...",
//   "bus op=nack addr=0xA2", "port port=0x2E value=0x87".
// Nothing for the accesses that trace does not show (reads of ports, PCI,
// physical memory).
std::optional<std::string> TraceLine(const BoardAccess& access);

}  // namespace vesk::sim
