// The parts VESKSim.exe puts around the program: the board kept at the
// wall clock's time, and an operating system that does not shut the
// machine down or register the demonstration to start at logon.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "hardware/driver_access.h"
#include "hardware/smbus_control.h"
#include "sim/board/board_rig.h"
#include "sim/machine/demo_os.h"
#include "sim/machine/wall_clock_driver.h"

namespace vesk::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(WallClockDriver, BoardFollowsTheWallClockAndNeverGoesBack) {
  BoardRig rig{"mcu-intel-smbus"};
  const SimTime start = rig.clock.Now();
  SimTime wall = start + std::chrono::seconds{5};
  WallClockDriver driver{rig.driver, rig.clock, [&] { return wall; }};
  EXPECT_TRUE(StartDrivers(driver));
  EXPECT_EQ(rig.clock.Now(), start + std::chrono::seconds{5});
  wall = start;  // a wall clock set back does not turn the board's back
  driver.WriteIoPortByte(0x80, 0);
  EXPECT_EQ(rig.clock.Now(), start + std::chrono::seconds{5});

  // The program's own waits pass on the real machine, not on the board:
  // a transfer ends only as the wall clock moves on.
  VirtualClock realClock{start};
  SimulatedOs realOs{realClock};
  CSMBusControl frozen{driver, realOs};
  frozen.Init();
  uint8_t value = 0xEE;
  EXPECT_EQ(frozen.ReadByteData(0xC2, 0x00, value), 0) << "the host stays busy while no time passes";

  SimTime ticking = rig.clock.Now();
  WallClockDriver running{rig.driver, rig.clock, [&] { return ticking += Microseconds{50}; }};
  CSMBusControl live{running, realOs};
  live.Init();
  EXPECT_NE(live.ReadByteData(0xC2, 0x00, value), 0);
}

TEST(DemoOs, NoShutdownAndNoRunValuesButEverythingElse) {
  VirtualClock clock;
  SimulatedOs real{clock};
  DemoOs os{real};
  EXPECT_TRUE(os.RunHidden("Cmd.exe /C shutdown -s -f -t 30"));
  EXPECT_TRUE(os.RunHidden("Cmd.exe /C SHUTDOWN -a"));
  EXPECT_TRUE(os.RunHidden("Cmd.exe /C echo shutdown.exe"));
  EXPECT_TRUE(os.RunHidden("Cmd.exe /C echo hello"));
  ASSERT_EQ(real.Commands().size(), 1u);
  EXPECT_EQ(real.Commands()[0].commandLine, "Cmd.exe /C echo hello");

  EXPECT_FALSE(os.WriteRegistryString(RegistryRoot::CurrentUser, "Software\\Run", "VESK", "C:\\VESKSim.exe"));
  EXPECT_THAT(real.RegistryWrites(), IsEmpty());
  EXPECT_EQ(real.DebugTexts().size(), 4u) << "each one left is noted for a debugger";

  EXPECT_FALSE(os.CreateSingleInstanceMutex("VESK"));
  EXPECT_TRUE(os.CreateSingleInstanceMutex("VESK"));
  const std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_TRUE(os.ReplaceFileAtomically("C:\\VESK\\TimeSetting.bin", bytes));
  EXPECT_EQ(real.Files().at("C:\\VESK\\TimeSetting.bin"), bytes);
  os.ShowMessageBox("text", "caption", kMbIconError);
  ASSERT_EQ(real.MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace vesk::sim
