#pragma once
// Test helpers: the program's hardware start on a simulated board, and the
// board's access log as comparable text.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/driver_access.h"
#include "hardware/hardware_globals.h"
#include "hardware/wake_chip.h"
#include "sim/board/board_rig.h"

namespace vesk::testing {

inline sim::SimTime At(const char* text) { return sim::ParseSimTime(text).value(); }

// As the main window starts the hardware: drivers up, g_Bus bound and
// initialised, the chip detected. The log starts empty afterwards.
struct ProgramOnBoard {
  explicit ProgramOnBoard(std::string_view profile, sim::SimTime start = sim::VirtualClock::DefaultStart())
      : ProgramOnBoard(sim::ParseBoardProfile(profile).value(), start) {}
  explicit ProgramOnBoard(const sim::BoardProfile& profile,
                          sim::SimTime start = sim::VirtualClock::DefaultStart())
      : rig(profile, start) {
    StartDrivers(rig.driver);
    BindHardware(rig.driver, rig.os);
    g_ControllerMode = static_cast<uint32_t>(g_Bus.Init());
    g_ChipAddress = DetectWakeChip();
    rig.board.ClearLog();
  }
  ~ProgramOnBoard() { ResetHardwareGlobals(); }

  sim::BoardRig rig;
};

// The accesses of the given kinds as text. Reads show no value (the board
// decides it, not the program), and a run of identical lines, a polled
// register, shows once.
inline std::vector<std::string> Ops(const std::vector<sim::BoardAccess>& log,
                                    std::initializer_list<sim::AccessKind> kinds) {
  std::vector<std::string> lines;
  for (const auto& access : log) {
    bool wanted = false;
    for (const auto kind : kinds) wanted = wanted || kind == access.kind;
    if (!wanted) continue;
    std::string line = sim::Describe(access);
    const bool read = access.kind == sim::AccessKind::PortRead || access.kind == sim::AccessKind::MemoryRead;
    if (read) line = line.substr(0, line.rfind(' '));
    if (lines.empty() || lines.back() != line) lines.push_back(line);
  }
  return lines;
}

inline std::vector<std::string> PortOps(const std::vector<sim::BoardAccess>& log) {
  return Ops(log, {sim::AccessKind::PortWrite, sim::AccessKind::PortRead});
}
inline std::vector<std::string> MemoryOps(const std::vector<sim::BoardAccess>& log) {
  return Ops(log, {sim::AccessKind::MemoryWrite, sim::AccessKind::MemoryRead});
}
// What the devices on the bus saw, values included.
inline std::vector<std::string> BusOps(const std::vector<sim::BoardAccess>& log) {
  std::vector<std::string> lines;
  for (const auto& access : log) {
    if (access.kind == sim::AccessKind::BusWrite || access.kind == sim::AccessKind::BusRead ||
        access.kind == sim::AccessKind::BusNoAck) {
      lines.push_back(sim::Describe(access));
    }
  }
  return lines;
}

}  // namespace vesk::testing
