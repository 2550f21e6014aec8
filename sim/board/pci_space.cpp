#include "sim/board/pci_space.h"

namespace vesk::sim {

namespace {

constexpr uint32_t kAllOnes = 0xFFFFFFFF;
constexpr uint32_t kEnableBit = 0x80000000;
constexpr uint8_t kRegClassRevision = 0x08;  // revision, prog-if, sub-class, class

uint32_t LibraryAddress(uint32_t bus, uint32_t device, uint32_t function) {
  return (bus << 8) | (device << 3) | function;
}

}  // namespace

void PciSpace::AddFunction(uint8_t bus, uint8_t device, uint8_t function, const Identity& id) {
  Config config{};
  config.fill(0);
  auto& target = functions_[LibraryAddress(bus, device, function)] = config;
  target[0] = static_cast<uint8_t>(id.vendor & 0xFF);
  target[1] = static_cast<uint8_t>(id.vendor >> 8);
  target[2] = static_cast<uint8_t>(id.device & 0xFF);
  target[3] = static_cast<uint8_t>(id.device >> 8);
  target[kRegClassRevision + 1] = id.programIf;
  target[kRegClassRevision + 2] = id.subClass;
  target[kRegClassRevision + 3] = id.baseClass;
}

void PciSpace::SetConfigDword(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg,
                              uint32_t value) {
  const auto it = functions_.find(LibraryAddress(bus, device, function));
  if (it == functions_.end()) return;
  const unsigned aligned = reg & 0xFCu;
  for (unsigned i = 0; i < 4; ++i) it->second[aligned + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t PciSpace::Dword(const Config& config, uint8_t reg) {
  const unsigned aligned = reg & 0xFCu;
  uint32_t value = 0;
  for (unsigned i = 0; i < 4; ++i) value |= static_cast<uint32_t>(config[aligned + i]) << (8 * i);
  return value;
}

uint32_t PciSpace::ReadConfigDword(uint32_t libraryAddress, uint8_t reg) const {
  const auto it = functions_.find(libraryAddress & 0xFFFF);
  if ((libraryAddress & 0xFFFF0000u) != 0 || it == functions_.end()) return kAllOnes;
  return Dword(it->second, reg);
}

uint32_t PciSpace::FindByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf,
                               uint8_t index) const {
  unsigned seen = 0;
  for (const auto& [address, config] : functions_) {
    const uint32_t classCode = Dword(config, kRegClassRevision) >> 8;
    const uint32_t wanted = (uint32_t{baseClass} << 16) | (uint32_t{subClass} << 8) | programIf;
    if (classCode != wanted) continue;
    if (seen++ == index) return address;
  }
  return kAllOnes;
}

uint32_t PciSpace::ReadDataPort(unsigned byteOffset, unsigned width) const {
  if ((configAddress_ & kEnableBit) == 0) return kAllOnes;
  const uint32_t bus = (configAddress_ >> 16) & 0xFF;
  const uint32_t device = (configAddress_ >> 11) & 0x1F;
  const uint32_t function = (configAddress_ >> 8) & 0x07;
  const auto reg = static_cast<uint8_t>(configAddress_ & 0xFC);
  const uint32_t dword = ReadConfigDword(LibraryAddress(bus, device, function), reg);
  const uint32_t shifted = dword >> (8 * (byteOffset & 3));
  return width >= 4 ? shifted : shifted & ((1u << (8 * width)) - 1);
}

}  // namespace vesk::sim
