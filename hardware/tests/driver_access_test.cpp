#include "hardware/driver_access.h"

#include <gtest/gtest.h>

#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

using sim::LibraryCall;

TEST(DriverStart, MemoryLibraryIsTriedOnlyAfterThePortLibraryCameUp) {
  sim::BoardRig rig{"mcu-amd"};
  rig.driver.FailPortLibraryInit(1);
  EXPECT_FALSE(StartDrivers(rig.driver));
  EXPECT_EQ(rig.driver.LibraryCalls(), std::vector<LibraryCall>{LibraryCall::InitializeOls});

  rig.driver.FailMemoryLibraryInit(1);
  EXPECT_FALSE(StartDrivers(rig.driver));
  EXPECT_TRUE(StartDrivers(rig.driver));
  ReleaseDrivers(rig.driver);
  const std::vector<LibraryCall> expected{
      LibraryCall::InitializeOls,   LibraryCall::InitializeOls, LibraryCall::InitializeWinIo,
      LibraryCall::InitializeOls,   LibraryCall::InitializeWinIo, LibraryCall::DeinitializeOls,
      LibraryCall::ShutdownWinIo};
  EXPECT_EQ(rig.driver.LibraryCalls(), expected);
  EXPECT_FALSE(rig.driver.PortLibraryReady());
  EXPECT_FALSE(rig.driver.MemoryLibraryReady());
}

TEST(DriverStart, HardwareIsUntouchedBeforeStartAndAfterRelease) {
  sim::BoardRig rig{"mcu-intel-i2c"};
  rig.driver.WriteIoPortByte(0x2E, 0x87);
  EXPECT_EQ(MmioRead32(rig.driver, 0x9152E070), 0xFFFFFFFFu);
  EXPECT_EQ(rig.driver.UnreadyAccesses(), 2u);
  EXPECT_TRUE(rig.board.Log().empty());
  ASSERT_TRUE(StartDrivers(rig.driver));
  ReleaseDrivers(rig.driver);
  rig.driver.WriteIoPortByte(0x2E, 0x87);
  EXPECT_TRUE(rig.board.Log().empty());
}

}  // namespace
}  // namespace vesk
