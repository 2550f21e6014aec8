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

TEST(PhysicalMemory, EachWrapperIsExactlyOneLibraryCallAndAFailedReadGivesAllOnes) {
  sim::BoardRig rig{"mcu-amd"};  // no I2C controller mapped on this board
  ASSERT_TRUE(StartDrivers(rig.driver));
  EXPECT_EQ(MmioRead32(rig.driver, 0x9152E070), 0xFFFFFFFFu);
  MmioWrite32(rig.driver, 0x9152E004, 0x61);
  EXPECT_EQ(testing::MemoryOps(rig.board.Log()),
            (std::vector<std::string>{"mr 0x9152E070", "mw 0x9152E004 0x61"}));
}

TEST(ConfigPorts, AddressGoesTo0xCF8AndOnlyTheLowWordOf0xCFCIsKept) {
  sim::BoardRig rig{"mcu-intel-smbus"};
  ASSERT_TRUE(StartDrivers(rig.driver));
  EXPECT_EQ(ReadConfigLowWord(rig.driver, ConfigMechanismAddress(0, 0x1F, 3, 0x00), ConfigDataRead::Dword),
            0x8086);  // the device ID in the high half is dropped
  EXPECT_EQ(ReadConfigLowWord(rig.driver, ConfigMechanismAddress(0, 0x1F, 3, 0x20), ConfigDataRead::Word),
            0xF041);
  EXPECT_EQ(testing::PortOps(rig.board.Log()),
            (std::vector<std::string>{"out32 0xCF8 0x8000FB00", "in32 0xCFC", "out32 0xCF8 0x8000FB20",
                                      "in16 0xCFC"}));
}

}  // namespace
}  // namespace vesk
