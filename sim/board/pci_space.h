#pragma once
// PCI configuration space of the simulated board: the functions present,
// each with 256 bytes of configuration registers, reachable through
// configuration mechanism #1 (ports 0xCF8/0xCFC) and through the port
// library's own PCI operations.
#include <array>
#include <cstdint>
#include <map>

namespace vesk::sim {

class PciSpace {
 public:
  struct Identity {
    uint16_t vendor = 0;
    uint16_t device = 0;
    uint8_t baseClass = 0;
    uint8_t subClass = 0;
    uint8_t programIf = 0;
  };

  void AddFunction(uint8_t bus, uint8_t device, uint8_t function, const Identity& identity);
  void SetConfigDword(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg, uint32_t value);

  // Library PCI address (bus << 8 | device << 3 | function); all ones for
  // an absent function.
  uint32_t ReadConfigDword(uint32_t libraryAddress, uint8_t reg) const;
  // The index-th function of the class in bus/device/function order, or
  // 0xFFFFFFFF.
  uint32_t FindByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf, uint8_t index) const;

  // Configuration mechanism #1.
  void WriteAddressPort(uint32_t value) { configAddress_ = value; }
  uint32_t AddressPort() const { return configAddress_; }
  // Data port access at byte offset 0..3 of 0xCFC with a width of 1, 2 or 4.
  uint32_t ReadDataPort(unsigned byteOffset, unsigned width) const;

 private:
  using Config = std::array<uint8_t, 256>;
  static uint32_t Dword(const Config& config, uint8_t reg);
  std::map<uint32_t, Config> functions_;  // ordered by library address = scan order
  uint32_t configAddress_ = 0;
};

}  // namespace vesk::sim
