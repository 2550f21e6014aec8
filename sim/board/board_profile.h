#pragma once
// What a simulated board carries, named "<chip>-<controller>":
//   chip:       mcu, rtc-a2, rtc-d0, mcu+rtc-a2, none
//   controller: amd, nvidia, intel-smbus, intel-i2c, other
// A profile spells out the PCI identities and where the bus controllers
// answer, so a test can change one detail (another LPC bridge, an SMBus
// controller with another device ID) and keep the rest.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::sim {

enum class ControllerKind { Amd, Nvidia, IntelSmbus, IntelI2c, Other };

struct BoardProfile {
  std::string name;
  bool hasMcu = false;
  uint8_t rtcAddress = 0;  // 0xA2, 0xD0, or 0 for none
  ControllerKind controller = ControllerKind::Amd;

  uint16_t hostVendor = 0;  // host bridge at 00:00.0
  uint16_t hostDevice = 0;
  std::optional<uint16_t> lpcBridgeDevice;        // Intel ISA/LPC bridge at 00:1F.0
  std::optional<uint16_t> smbusControllerDevice;  // Intel SMBus controller at 00:1F.3
  uint16_t smbusBase = 0;        // I/O base of the SMBus host; 0 = the board has none
  bool hasI2cController = false; // DesignWare I2C at kI2cBase
};

inline constexpr uint32_t kI2cBase = 0x9152E000;
inline constexpr uint16_t kIntelVendor = 0x8086;
inline constexpr uint16_t kBraswellLpcBridge = 0x229C;
inline constexpr uint16_t kBraswellSmbus = 0x2292;

// The full profile for a name, or nothing when the name is not one of them.
std::optional<BoardProfile> ParseBoardProfile(std::string_view name);
// Every valid profile name, chips times controllers.
std::vector<std::string> BoardProfileNames();

}  // namespace vesk::sim
