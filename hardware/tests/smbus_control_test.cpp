#include "hardware/smbus_control.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

using sim::AccessKind;
using testing::At;
using testing::BusOps;
using testing::MemoryOps;
using testing::Ops;
using testing::PortOps;

// A bus driver of its own on a fresh board, drivers started.
struct Bench {
  explicit Bench(const sim::BoardProfile& profile) : rig(profile) {
    StartDrivers(rig.driver);
    CSMBusControl::mI2CBaseAddress = 0;
  }
  explicit Bench(std::string_view name) : Bench(sim::ParseBoardProfile(name).value()) {}
  int Init() {
    const int mode = bus.Init();
    rig.board.ClearLog();
    return mode;
  }
  std::vector<std::string> Commands() const {
    std::vector<std::string> lines;
    for (const auto& c : rig.os.Commands()) lines.push_back(c.commandLine);
    return lines;
  }
  sim::BoardRig rig;
  CSMBusControl bus{rig.driver, rig.os};
};

// --- the probe ---

TEST(ControllerProbe, AmdAndNvidiaTakeTheirFixedBaseWithoutAnyClassSearch) {
  for (const auto& [name, base] : {std::pair{"mcu-amd", 0x0B20}, std::pair{"mcu-nvidia", 0x0400}}) {
    Bench bench(name);
    EXPECT_EQ(bench.bus.Init(), kControllerModeSmbus) << name;
    EXPECT_EQ(bench.bus.SmbusBase(), base) << name;
    const auto& log = bench.rig.board.Log();
    // The host bridge is read at 0x80000000 exactly, as a 16-bit value.
    EXPECT_EQ(sim::Describe(log.at(0)), "out32 0xCF8 0x80000000");
    EXPECT_EQ(log.at(1).kind, AccessKind::PortRead);
    EXPECT_EQ(log.at(1).address, 0xCFCu);
    EXPECT_EQ(log.at(1).width, 2);
    EXPECT_TRUE(Ops(log, {AccessKind::PciClassSearch, AccessKind::PciConfigRead}).empty()) << name;
    // Init then clears the host's status and waits for it to be idle.
    EXPECT_EQ(sim::Describe(log.at(2)), "out8 0x" + std::string(base == 0x0B20 ? "B20" : "400") + " 0xFE");
    EXPECT_EQ(CSMBusControl::mI2CBaseAddress, 0x9152E000u);
  }
}

TEST(ControllerProbe, IntelBraswellWithItsSmbusControllerReadsTheBaseFromRegister20) {
  Bench bench("mcu-intel-smbus");
  EXPECT_EQ(bench.bus.Init(), kControllerModeSmbus);
  EXPECT_EQ(bench.bus.SmbusBase(), 0xF040);
  ASSERT_TRUE(bench.bus.SmbusLocation());
  EXPECT_EQ(bench.bus.SmbusLocation()->configAddress, 0x8000FB00u);  // 00:1F.3
  EXPECT_EQ(bench.bus.SmbusLocation()->baseRegister, 0x20u);
  EXPECT_EQ(bench.bus.SmbusLocation()->baseMask, 0xFFF0u);
  const std::vector<std::string> expected{
      "out32 0xCF8 0x80000000", "in16 0xCFC",
      "class 0x060100 0x00F8",  "pci 0x00F8 0x00 0x229C8086",
      "class 0x0C0500 0x00FB",  "pci 0x00FB 0x00 0x22928086",
      "class 0x0C0500 0x00FB",  "out32 0xCF8 0x8000FB20",
      "in32 0xCFC",             "out8 0xF040 0xFE",
      "in8 0xF040"};
  EXPECT_EQ(Ops(bench.rig.board.Log(), {AccessKind::PortWrite, AccessKind::PortRead,
                                        AccessKind::PciClassSearch, AccessKind::PciConfigRead}),
            expected);
}

TEST(ControllerProbe, IntelBraswellWithoutSmbusController0x2292UsesTheI2cController) {
  sim::BoardProfile other = *sim::ParseBoardProfile("mcu-intel-i2c");
  other.smbusControllerDevice = 0x1234;  // an SMBus controller, but not 0x2292
  other.smbusBase = 0xF000;
  for (const auto& profile : {*sim::ParseBoardProfile("mcu-intel-i2c"), other}) {
    Bench bench(profile);
    EXPECT_EQ(bench.bus.Init(), kControllerModeI2c);
    EXPECT_EQ(bench.bus.SmbusBase(), 0);  // untouched
    EXPECT_EQ(CSMBusControl::mI2CBaseAddress, 0x9152E000u);
    // No SMBus host is touched in I2C mode.
    for (const auto& line : PortOps(bench.rig.board.Log())) {
      EXPECT_TRUE(line.find("0xCF8") != std::string::npos || line.find("0xCFC") != std::string::npos) << line;
    }
  }
}

TEST(ControllerProbe, IntelWithAnotherBridgeFindsItsSmbusControllerBySearch) {
  sim::BoardProfile profile = *sim::ParseBoardProfile("mcu-intel-smbus");
  profile.lpcBridgeDevice = 0xA143;
  profile.smbusControllerDevice = 0xA123;
  profile.smbusBase = 0xEFA0;
  Bench bench(profile);
  EXPECT_EQ(bench.bus.Init(), kControllerModeSmbus);
  EXPECT_EQ(bench.bus.SmbusBase(), 0xEFA0);
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 1);
}

TEST(ControllerProbe, UnsetSmbusBaseMakesEveryTransferFailWithoutTouchingAnyPort) {
  sim::BoardProfile intelWithoutSmbus = *sim::ParseBoardProfile("mcu-intel-smbus");
  intelWithoutSmbus.lpcBridgeDevice = 0xA143;
  intelWithoutSmbus.smbusControllerDevice.reset();
  for (const auto& profile : {*sim::ParseBoardProfile("mcu-other"), intelWithoutSmbus}) {
    Bench bench(profile);
    EXPECT_EQ(bench.bus.Init(), kControllerModeSmbus) << profile.name;
    EXPECT_EQ(bench.bus.SmbusBase(), 0) << profile.name;
    bench.rig.board.ClearLog();
    uint8_t value = 0x5A;
    EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
    EXPECT_EQ(value, 0x5A);
    EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x09, 0x00), 0);
    EXPECT_TRUE(bench.rig.board.Log().empty()) << profile.name;
  }
}

// --- SMBus mode ---

TEST(SmbusTransfer, WriteWaitsBetweenEveryRegisterAndSleeps10Ms) {
  Bench bench("mcu-amd");
  bench.Init();
  const auto start = bench.rig.clock.Now();
  EXPECT_EQ(bench.bus.WriteByteData(0xC3, 0x05, 0x06), 1);  // bit 0 of the address is cleared
  const std::vector<std::string> expected{
      "in8 0xB20",       "out8 0xB20 0xFE", "out8 0xB24 0xC2", "in8 0xB20",
      "out8 0xB23 0x05", "in8 0xB20",       "out8 0xB25 0x06", "in8 0xB20",
      "out8 0xB22 0x48", "in8 0xB20"};
  EXPECT_EQ(PortOps(bench.rig.board.Log()), expected);
  EXPECT_EQ(BusOps(bench.rig.board.Log()), std::vector<std::string>{"bus-w 0xC2 0x05 0x06"});
  EXPECT_GE(bench.rig.clock.Now() - start, std::chrono::milliseconds{10});
  EXPECT_LT(bench.rig.clock.Now() - start, std::chrono::milliseconds{11});
}

TEST(SmbusTransfer, ReadStartsWithoutWaitsAndChecksTheErrorBitsAfterwards) {
  Bench bench("mcu-amd");
  bench.Init();
  ASSERT_EQ(bench.bus.WriteByteData(0xC2, 0x07, 0x2A), 1);
  bench.rig.board.ClearLog();
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x07, value), 1);
  EXPECT_EQ(value, 0x2A);
  const std::vector<std::string> expected{
      "in8 0xB20",       "out8 0xB20 0xFE", "out8 0xB24 0xC3", "out8 0xB23 0x07",
      "out8 0xB22 0x48", "in8 0xB20",       "in8 0xB25",       "in8 0xB20"};
  EXPECT_EQ(PortOps(bench.rig.board.Log()), expected);
}

TEST(SmbusTransfer, AbsentDeviceFailsReadsButWritesStillReportSuccess) {
  Bench bench("rtc-a2-nvidia");
  bench.Init();
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x09, 0x00), 1);
  bench.rig.board.SetNoAcknowledge(0xA2, true);
  EXPECT_EQ(bench.bus.ReadByteData(0xA2, 0x00, value), 0);
  bench.rig.board.SetNoAcknowledge(0xA2, false);
  EXPECT_EQ(bench.bus.ReadByteData(0xA2, 0x00, value), 1);
}

TEST(SmbusTransfer, StuckBusyHostFailsTheTransferWithinItsBound) {
  Bench bench("mcu-intel-smbus");
  bench.Init();
  bench.rig.board.SetSmbusStuckBusy(true);
  const auto start = bench.rig.clock.Now();
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x0A, 60), 0);
  const auto waited = bench.rig.clock.Now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds{100});
  EXPECT_LT(waited, std::chrono::milliseconds{101});
  // Nothing was written while the host never became idle.
  EXPECT_EQ(PortOps(bench.rig.board.Log()), std::vector<std::string>{"in8 0xF040"});
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  // Once the host recovers, transfers work again.
  bench.rig.board.SetSmbusStuckBusy(false);
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 1);
}

TEST(SmbusTransfer, HostThatTurnsBusyDuringTheTransferFailsItAtTheNextWait) {
  Bench bench("mcu-amd");
  bench.Init();
  // The host hangs once the start bit is written.
  bench.rig.board.SetAccessListener([&](const sim::BoardAccess& a) {
    if (a.kind == AccessKind::PortWrite && a.address == 0xB22) bench.rig.board.SetSmbusStuckBusy(true);
  });
  const auto start = bench.rig.clock.Now();
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x0A, 60), 0);
  EXPECT_LT(bench.rig.clock.Now() - start, std::chrono::milliseconds{101});
  EXPECT_TRUE(BusOps(bench.rig.board.Log()).empty());
}

// --- I2C mode ---

constexpr const char* kTar = "mw 0x9152E004 0x61";
constexpr const char* kStatus = "mr 0x9152E070";
constexpr const char* kRaw = "mr 0x9152E034";
constexpr const char* kTxflr = "mr 0x9152E074";

TEST(I2cTransfer, WriteSendsTheIndexWithRestartAndTheValueWithStopEachAfterTheTarget) {
  Bench bench("mcu-intel-i2c");
  ASSERT_EQ(bench.Init(), kControllerModeI2c);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x05, 0x06), 1);
  const std::vector<std::string> expected{
      kTar, kStatus, kRaw, "mw 0x9152E010 0x405", kRaw, kTxflr,
      kTar, kStatus, kRaw, "mw 0x9152E010 0x206", kRaw, kTxflr};
  EXPECT_EQ(MemoryOps(bench.rig.board.Log()), expected);
  EXPECT_EQ(BusOps(bench.rig.board.Log()), std::vector<std::string>{"bus-w 0xC2 0x05 0x06"});
  EXPECT_TRUE(bench.rig.os.Commands().empty());
}

TEST(I2cTransfer, ReadSendsTheIndexThenTheReadCommandWithStop) {
  Bench bench("mcu-intel-i2c");
  bench.Init();
  ASSERT_EQ(bench.bus.WriteByteData(0xC2, 0x06, 17), 1);
  bench.rig.board.ClearLog();
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x06, value), 1);
  EXPECT_EQ(value, 17);
  const std::vector<std::string> expected{
      kTar, kStatus, kRaw, "mw 0x9152E010 0x406", kRaw, kTxflr,
      kRaw, kStatus, "mw 0x9152E010 0x300", kRaw, kStatus, "mr 0x9152E010"};
  EXPECT_EQ(MemoryOps(bench.rig.board.Log()), expected);
}

TEST(I2cTransfer, AddressNobodyAcknowledgesFailsBothOperations) {
  Bench bench("rtc-d0-intel-i2c");
  bench.Init();
  uint8_t value = 0x33;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  EXPECT_EQ(value, 0x33);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x09, 0x00), 0);
  // The abort was cleared each time: the next device answers at once.
  EXPECT_EQ(bench.bus.ReadByteData(0xD0, 0x00, value), 1);
  EXPECT_EQ(BusOps(bench.rig.board.Log()),
            (std::vector<std::string>{"bus-nack 0xC2", "bus-nack 0xC2", "bus-r 0xD0 0x00 0x00"}));
  EXPECT_TRUE(bench.rig.os.Commands().empty());
}

TEST(I2cTransfer, AbortWhileDrainingFailsTheTransferAndSendsNoValue) {
  Bench bench("mcu-intel-i2c");
  bench.Init();
  bench.rig.board.InjectTransmitAborts(1);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x09, 0x01), 0);
  const auto ops = MemoryOps(bench.rig.board.Log());
  EXPECT_EQ(std::count(ops.begin(), ops.end(), "mr 0x9152E054"), 1);  // abort cleared once
  EXPECT_EQ(std::count_if(ops.begin(), ops.end(),
                          [](const std::string& op) { return op.rfind("mw 0x9152E010", 0) == 0; }),
            1);
  EXPECT_EQ(bench.rig.board.Mcu()->Register(0x09), 0);
}

TEST(I2cTransfer, FifoThatNeverDrainsRestartsTheMachineExactlyOnceAndFails) {
  Bench bench("mcu-intel-i2c");
  bench.Init();
  bench.rig.board.SetTxFifoStuck(true);
  const auto start = bench.rig.clock.Now();
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x0A, 60), 0);
  EXPECT_EQ(bench.Commands(), std::vector<std::string>{"Cmd.exe /C shutdown -r -f -t 0"});
  // 1024 polls of at least 600 us each before giving up.
  EXPECT_GE(bench.rig.clock.Now() - start, std::chrono::microseconds{1024 * 600});
  EXPECT_LT(bench.rig.clock.Now() - start, std::chrono::seconds{1});
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  EXPECT_EQ(bench.Commands().size(), 2u);  // one per stuck transfer
}

TEST(I2cTransfer, FullFifoThatNeverFreesFailsWithoutRestarting) {
  Bench bench("mcu-intel-i2c");
  bench.Init();
  bench.rig.board.SetTxFifoStuck(true);
  // Fill the FIFO behind the program's back.
  for (int i = 0; i < 8; ++i) MmioWrite32(bench.rig.driver, 0x9152E010, 0x100);
  const auto start = bench.rig.clock.Now();
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x0A, 60), 0);
  EXPECT_LT(bench.rig.clock.Now() - start, std::chrono::seconds{2});
  EXPECT_TRUE(bench.Commands().empty());
}

TEST(I2cTransfer, ReadWhoseByteNeverArrivesFailsAndKeepsTheOldValue) {
  Bench bench("mcu-intel-i2c");
  bench.Init();
  // The read command is queued, then the controller stops.
  bench.rig.board.SetAccessListener([&](const sim::BoardAccess& a) {
    if (a.kind == AccessKind::MemoryWrite && a.value == 0x300) bench.rig.board.SetTxFifoStuck(true);
  });
  uint8_t value = 0x77;
  const auto start = bench.rig.clock.Now();
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  EXPECT_EQ(value, 0x77);
  EXPECT_GE(bench.rig.clock.Now() - start, std::chrono::microseconds{1024 * 300});
  EXPECT_TRUE(bench.Commands().empty());
}

TEST(BusDriver, UnboundOrUninitialisedDriverFailsQuietly) {
  CSMBusControl unbound;
  EXPECT_EQ(unbound.Init(), kControllerModeSmbus);
  uint8_t value = 0;
  EXPECT_EQ(unbound.ReadByteData(0xC2, 0, value), 0);
  EXPECT_EQ(unbound.WriteByteData(0xC2, 0, 0), 0);

  sim::BoardRig rig{"mcu-amd"};  // libraries never started
  CSMBusControl bus{rig.driver, rig.os};
  EXPECT_EQ(bus.Init(), kControllerModeSmbus);
  EXPECT_EQ(bus.ReadByteData(0xC2, 0, value), 0);
  EXPECT_TRUE(rig.board.Log().empty());
}

}  // namespace
}  // namespace vesk
