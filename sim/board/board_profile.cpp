#include "sim/board/board_profile.h"

#include <array>

namespace vesk::sim {

namespace {

struct ChipChoice {
  std::string_view name;
  bool mcu;
  uint8_t rtc;
};
constexpr std::array<ChipChoice, 5> kChips{{
    {"mcu", true, 0},
    {"rtc-a2", false, 0xA2},
    {"rtc-d0", false, 0xD0},
    {"mcu+rtc-a2", true, 0xA2},
    {"none", false, 0},
}};

struct ControllerChoice {
  std::string_view name;
  ControllerKind kind;
};
constexpr std::array<ControllerChoice, 5> kControllers{{
    {"amd", ControllerKind::Amd},
    {"nvidia", ControllerKind::Nvidia},
    {"intel-smbus", ControllerKind::IntelSmbus},
    {"intel-i2c", ControllerKind::IntelI2c},
    {"other", ControllerKind::Other},
}};

void FillController(BoardProfile& p) {
  switch (p.controller) {
    case ControllerKind::Amd:
      p.hostVendor = 0x1022;
      p.hostDevice = 0x1450;
      p.smbusBase = 0x0B20;
      break;
    case ControllerKind::Nvidia:
      p.hostVendor = 0x10DE;
      p.hostDevice = 0x0369;
      p.smbusBase = 0x0400;
      break;
    case ControllerKind::IntelSmbus:
      p.hostVendor = kIntelVendor;
      p.hostDevice = 0x2280;
      p.lpcBridgeDevice = kBraswellLpcBridge;
      p.smbusControllerDevice = kBraswellSmbus;
      p.smbusBase = 0xF040;
      break;
    case ControllerKind::IntelI2c:
      p.hostVendor = kIntelVendor;
      p.hostDevice = 0x2280;
      p.lpcBridgeDevice = kBraswellLpcBridge;
      p.hasI2cController = true;
      break;
    case ControllerKind::Other:
      // A chipset the program does not know: its SMBus host exists, but
      // nothing tells the program where.
      p.hostVendor = 0x1106;
      p.hostDevice = 0x0351;
      p.smbusBase = 0x0500;
      break;
  }
}

}  // namespace

std::optional<BoardProfile> ParseBoardProfile(std::string_view name) {
  for (const auto& chip : kChips) {
    if (name.size() <= chip.name.size() + 1 || name.substr(0, chip.name.size()) != chip.name ||
        name[chip.name.size()] != '-') {
      continue;
    }
    const std::string_view rest = name.substr(chip.name.size() + 1);
    for (const auto& controller : kControllers) {
      if (rest != controller.name) continue;
      BoardProfile profile;
      profile.name = std::string(name);
      profile.hasMcu = chip.mcu;
      profile.rtcAddress = chip.rtc;
      profile.controller = controller.kind;
      FillController(profile);
      return profile;
    }
  }
  return std::nullopt;
}

std::vector<std::string> BoardProfileNames() {
  std::vector<std::string> names;
  for (const auto& chip : kChips) {
    for (const auto& controller : kControllers) {
      names.push_back(std::string(chip.name) + "-" + std::string(controller.name));
    }
  }
  return names;
}

}  // namespace vesk::sim
