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
}

TEST(PhysicalMemory, AReadThatFailsGivesAllOnes) {
  sim::BoardRig rig{"mcu-intel-i2c"};  // libraries not started
  EXPECT_EQ(MmioRead32(rig.driver, 0x9152E070), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace vesk
