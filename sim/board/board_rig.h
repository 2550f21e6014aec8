#pragma once
// A simulated machine in one line for tests and the simulator: a virtual
// clock, the simulated OS on it, a board of the given profile, and the
// driver libraries answered by that board.
//
//   vesk::sim::BoardRig rig{"mcu-intel-i2c"};
//   vesk::StartDrivers(rig.driver);
//   vesk::CSMBusControl bus{rig.driver, rig.os};
#include <string_view>

#include "sim/board/board.h"
#include "sim/board/board_profile.h"
#include "sim/board/simulated_driver_access.h"
#include "sim/os/simulated_os.h"
#include "sim/os/virtual_clock.h"

namespace vesk::sim {

struct BoardRig {
  explicit BoardRig(const BoardProfile& profile, SimTime start = VirtualClock::DefaultStart())
      : clock(start), os(clock), board(clock, profile), driver(board) {}
  // The name must be a valid profile (see BoardProfileNames()).
  explicit BoardRig(std::string_view profileName, SimTime start = VirtualClock::DefaultStart())
      : BoardRig(ParseBoardProfile(profileName).value(), start) {}

  VirtualClock clock;
  SimulatedOs os;
  Board board;
  SimulatedDriverAccess driver;
};

}  // namespace vesk::sim
