#include "sim/board/access_log.h"

#include <cstdio>

namespace vesk::sim {

namespace {

std::string Hex(uint32_t value, int digits = 2) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
  return buffer;
}

std::string Plain(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", value);
  return buffer;
}

}  // namespace

std::string Describe(const BoardAccess& a) {
  const std::string width = std::to_string(a.width * 8);
  switch (a.kind) {
    case AccessKind::PortWrite:
      return "out" + width + " " + Plain(a.address) + " " + Hex(a.value, a.width * 2);
    case AccessKind::PortRead:
      return "in" + width + " " + Plain(a.address) + " " + Hex(a.value, a.width * 2);
    case AccessKind::PciConfigRead:
      return "pci " + Hex(a.address, 4) + " " + Hex(a.reg) + " " + Hex(a.value, 8);
    case AccessKind::PciClassSearch:
      return "class " + Hex(a.reg, 6) + " " + (a.value == 0xFFFFFFFF ? "none" : Hex(a.value, 4));
    case AccessKind::MemoryWrite:
      return "mw " + Hex(a.address, 8) + " " + Plain(a.value);
    case AccessKind::MemoryRead:
      return "mr " + Hex(a.address, 8) + " " + Plain(a.value);
    case AccessKind::BusWrite:
      return "bus-w " + Hex(a.address) + " " + Hex(a.reg) + " " + Hex(a.value);
    case AccessKind::BusRead:
      return "bus-r " + Hex(a.address) + " " + Hex(a.reg) + " " + Hex(a.value);
    case AccessKind::BusNoAck:
      return "bus-nack " + Hex(a.address);
  }
  return "?";
}

std::optional<std::string> TraceLine(const BoardAccess& a) {
  switch (a.kind) {
    case AccessKind::BusWrite:
      return "bus op=write addr=" + Hex(a.address) + " reg=" + Hex(a.reg) + " value=" + Hex(a.value);
    case AccessKind::BusRead:
      return "bus op=read addr=" + Hex(a.address) + " reg=" + Hex(a.reg) + " value=" + Hex(a.value);
    case AccessKind::BusNoAck:
      return "bus op=nack addr=" + Hex(a.address);
    case AccessKind::PortWrite:
      return "port port=" + Hex(a.address) + " value=" + Hex(a.value, a.width * 2);
    default:
      return std::nullopt;
  }
}

}  // namespace vesk::sim
