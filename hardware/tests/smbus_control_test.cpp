#include "hardware/smbus_control.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

using sim::AccessKind;
using testing::BusOps;
using testing::MemoryOps;
using testing::Ops;
using testing::PortOps;
using Lines = std::vector<std::string>;
using std::chrono::microseconds;
using std::chrono::milliseconds;

// A bus driver of its own on a fresh board, drivers started; unless told
// otherwise initialised, with an empty log and the clock noted.
struct Bench {
  explicit Bench(const sim::BoardProfile& profile, bool init = true) : rig(profile) {
    StartDrivers(rig.driver);
    CSMBusControl::mI2CBaseAddress = 0;
    if (init) mode = Init();
  }
  explicit Bench(std::string_view name, bool init = true) : Bench(sim::ParseBoardProfile(name).value(), init) {}
  int Init() {
    const int result = bus.Init();
    rig.board.ClearLog();
    start = rig.clock.Now();
    return result;
  }
  Lines Commands() const {
    Lines lines;
    for (const auto& c : rig.os.Commands()) lines.push_back(c.commandLine);
    return lines;
  }
  sim::Microseconds Elapsed() const { return rig.clock.Now() - start; }
  sim::BoardRig rig;
  CSMBusControl bus{rig.driver, rig.os};
  int mode = -1;
  sim::SimTime start;
};

sim::BoardProfile Profile(const char* name) { return sim::ParseBoardProfile(name).value(); }

TEST(ControllerProbe, AmdAndNvidiaTakeTheirFixedBaseWithoutAnyClassSearch) {
  for (const auto& [name, base] : {std::pair{"mcu-amd", 0x0B20}, std::pair{"mcu-nvidia", 0x0400}}) {
    Bench bench(name, false);
    EXPECT_EQ(bench.bus.Init(), kControllerModeSmbus) << name;
    EXPECT_EQ(bench.bus.SmbusBase(), base) << name;
    // The host bridge is read at 0x80000000 exactly, as a 16-bit value; then
    // the host's status is cleared and polled.
    const std::string host = base == 0x0B20 ? "0xB20" : "0x400";
    EXPECT_EQ(Ops(bench.rig.board.Log(), {AccessKind::PortWrite, AccessKind::PortRead, AccessKind::PciClassSearch,
                                          AccessKind::PciConfigRead}),
              (Lines{"out32 0xCF8 0x80000000", "in16 0xCFC", "out8 " + host + " 0xFE", "in8 " + host}));
  }
}

TEST(ControllerProbe, IntelBraswellWithItsSmbusControllerReadsTheBaseFromRegister20) {
  Bench bench("mcu-intel-smbus", false);
  EXPECT_EQ(bench.bus.Init(), kControllerModeSmbus);
  EXPECT_EQ(bench.bus.SmbusBase(), 0xF040);  // register 0x20 holds 0xF041: the I/O bit masked off
  const Lines expected{"out32 0xCF8 0x80000000", "in16 0xCFC",  "class 0x060100 0x00F8", "pci 0x00F8 0x00 0x229C8086",
                       "class 0x0C0500 0x00FB",  "pci 0x00FB 0x00 0x22928086", "class 0x0C0500 0x00FB",
                       "out32 0xCF8 0x8000FB20", "in32 0xCFC",  "out8 0xF040 0xFE", "in8 0xF040"};
  EXPECT_EQ(Ops(bench.rig.board.Log(), {AccessKind::PortWrite, AccessKind::PortRead, AccessKind::PciClassSearch,
                                        AccessKind::PciConfigRead}),
            expected);
}

TEST(ControllerProbe, IntelBraswellWithoutSmbusController0x2292UsesTheI2cController) {
  sim::BoardProfile other = Profile("mcu-intel-i2c");
  other.smbusControllerDevice = 0x1234;  // an SMBus controller, but not 0x2292
  other.smbusBase = 0xF000;
  for (const auto& profile : {Profile("mcu-intel-i2c"), other}) {
    Bench bench(profile, false);
    EXPECT_EQ(bench.bus.Init(), kControllerModeI2c);
    EXPECT_EQ(bench.bus.SmbusBase(), 0);
    EXPECT_EQ(CSMBusControl::mI2CBaseAddress, 0x9152E000u);
  }
}

TEST(ControllerProbe, IntelWithAnotherBridgeFindsItsSmbusControllerBySearch) {
  sim::BoardProfile profile = Profile("mcu-intel-smbus");
  profile.lpcBridgeDevice = 0xA143;
  profile.smbusControllerDevice = 0xA123;
  profile.smbusBase = 0xEFA0;
  Bench bench(profile);
  EXPECT_EQ(bench.mode, kControllerModeSmbus);
  EXPECT_EQ(bench.bus.SmbusBase(), 0xEFA0);
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 1);
}

TEST(ControllerProbe, UnsetSmbusBaseMakesEveryTransferFailWithoutTouchingAnyPort) {
  sim::BoardProfile intelWithoutSmbus = Profile("mcu-intel-smbus");
  intelWithoutSmbus.lpcBridgeDevice = 0xA143;
  intelWithoutSmbus.smbusControllerDevice.reset();
  for (const auto& profile : {Profile("mcu-other"), intelWithoutSmbus}) {
    Bench bench(profile);
    EXPECT_EQ(bench.mode, kControllerModeSmbus) << profile.name;
    EXPECT_EQ(bench.bus.SmbusBase(), 0) << profile.name;
    uint8_t value = 0x5A;
    EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
    EXPECT_EQ(value, 0x5A);
    EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x09, 0x00), 0);
    EXPECT_TRUE(bench.rig.board.Log().empty()) << profile.name;
  }
}

TEST(SmbusTransfer, WriteWaitsBetweenEveryRegisterAndSleeps10Ms) {
  Bench bench("mcu-amd");
  EXPECT_EQ(bench.bus.WriteByteData(0xC3, 0x05, 0x06), 1);  // bit 0 of the address is cleared
  const Lines expected{"in8 0xB20",       "out8 0xB20 0xFE", "out8 0xB24 0xC2", "in8 0xB20", "out8 0xB23 0x05",
                       "in8 0xB20",       "out8 0xB25 0x06", "in8 0xB20",       "out8 0xB22 0x48", "in8 0xB20"};
  EXPECT_EQ(PortOps(bench.rig.board.Log()), expected);
  EXPECT_EQ(BusOps(bench.rig.board.Log()), Lines{"bus-w 0xC2 0x05 0x06"});
  EXPECT_GE(bench.Elapsed(), milliseconds{10});
  EXPECT_LT(bench.Elapsed(), milliseconds{11});

  bench.rig.board.ClearLog();  // reads start without waits and check the error bits before the data
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x05, value), 1);
  EXPECT_EQ(value, 0x06);
  const Lines read{"in8 0xB20",       "out8 0xB20 0xFE", "out8 0xB24 0xC3", "out8 0xB23 0x05",
                   "out8 0xB22 0x48", "in8 0xB20",       "in8 0xB25"};
  EXPECT_EQ(PortOps(bench.rig.board.Log()), read);
}

TEST(SmbusTransfer, AbsentDeviceFailsWritesAndReadsAndLeavesTheCallersByteAlone) {
  Bench bench("rtc-a2-nvidia");
  uint8_t value = 0;
  ASSERT_EQ(bench.bus.ReadByteData(0xA2, 0x0B, value), 1);  // leaves 0x80 in the host's data register
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x09, 0x00), 0);
  value = 0x5A;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  EXPECT_EQ(value, 0x5A);
  bench.rig.board.SetNoAcknowledge(0xA2, true);
  EXPECT_EQ(bench.bus.ReadByteData(0xA2, 0x00, value), 0);
  EXPECT_EQ(value, 0x5A);
}

TEST(SmbusTransfer, StuckBusyHostFailsTheTransferWithinItsBound) {
  Bench bench("mcu-intel-smbus");
  bench.rig.board.SetSmbusStuckBusy(true);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x0A, 60), 0);
  EXPECT_GE(bench.Elapsed(), milliseconds{100});
  EXPECT_LT(bench.Elapsed(), milliseconds{101});
  EXPECT_EQ(PortOps(bench.rig.board.Log()), Lines{"in8 0xF040"});  // nothing written
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  bench.rig.board.SetSmbusStuckBusy(false);  // once the host recovers, transfers work again
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 1);
}

TEST(SmbusTransfer, HostThatTurnsBusyDuringTheTransferFailsItAtTheNextWait) {
  Bench bench("mcu-amd");
  bench.rig.board.SetAccessListener([&](const sim::BoardAccess& a) {  // hangs once the start bit is written
    if (a.kind == AccessKind::PortWrite && a.address == 0xB22) bench.rig.board.SetSmbusStuckBusy(true);
  });
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x0A, 60), 0);
  EXPECT_LT(bench.Elapsed(), milliseconds{101});
  EXPECT_TRUE(BusOps(bench.rig.board.Log()).empty());
}

constexpr const char* kTar = "mw 0x9152E004 0x61";
constexpr const char* kStatus = "mr 0x9152E070";
constexpr const char* kRaw = "mr 0x9152E034";
constexpr const char* kTxflr = "mr 0x9152E074";

TEST(I2cTransfer, WriteAndReadSendTheirCommandsInOrder) {
  Bench bench("mcu-intel-i2c");
  ASSERT_EQ(bench.mode, kControllerModeI2c);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x05, 0x06), 1);
  const Lines write{kTar, kStatus, kRaw, "mw 0x9152E010 0x405", kRaw, kTxflr,
                    kTar, kStatus, kRaw, "mw 0x9152E010 0x206", kRaw, kTxflr};
  EXPECT_EQ(MemoryOps(bench.rig.board.Log()), write);
  EXPECT_EQ(BusOps(bench.rig.board.Log()), Lines{"bus-w 0xC2 0x05 0x06"});

  bench.rig.board.ClearLog();
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x05, value), 1);
  EXPECT_EQ(value, 0x06);
  const Lines read{kTar, kStatus, kRaw, "mw 0x9152E010 0x405", kRaw, kTxflr, kStatus,
                   kRaw, kStatus, "mw 0x9152E010 0x300", kRaw, kStatus, "mr 0x9152E010"};
  EXPECT_EQ(MemoryOps(bench.rig.board.Log()), read);
}

TEST(I2cTransfer, AddressNobodyAcknowledgesFailsBothOperations) {
  Bench bench("rtc-d0-intel-i2c");
  uint8_t value = 0x33;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  EXPECT_EQ(value, 0x33);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x09, 0x00), 0);
  // The abort was cleared each time: the next device answers at once.
  EXPECT_EQ(bench.bus.ReadByteData(0xD0, 0x00, value), 1);
  EXPECT_EQ(BusOps(bench.rig.board.Log()), (Lines{"bus-nack 0xC2", "bus-nack 0xC2", "bus-r 0xD0 0x00 0x00"}));
}

TEST(I2cTransfer, AbortWhileDrainingFailsTheTransferAndSendsNoValue) {
  Bench bench("mcu-intel-i2c");
  bench.rig.board.InjectTransmitAborts(1);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x09, 0x01), 0);
  const auto ops = MemoryOps(bench.rig.board.Log());
  EXPECT_EQ(std::count(ops.begin(), ops.end(), "mr 0x9152E054"), 1);  // abort cleared once
  EXPECT_EQ(std::count_if(ops.begin(), ops.end(), [](const std::string& op) { return op.starts_with("mw 0x9152E010"); }),
            1);
  EXPECT_EQ(bench.rig.board.Mcu()->Register(0x09), 0);
}

TEST(I2cTransfer, FifoThatNeverDrainsRestartsTheMachineExactlyOnceAndFails) {
  Bench bench("mcu-intel-i2c");
  bench.rig.board.SetTxFifoStuck(true);
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x0A, 60), 0);
  EXPECT_EQ(bench.Commands(), Lines{"Cmd.exe /C shutdown -r -f -t 0"});
  EXPECT_GE(bench.Elapsed(), microseconds{1024 * 600});  // 1024 polls of at least 600 us
  EXPECT_LT(bench.Elapsed(), std::chrono::seconds{1});
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  EXPECT_EQ(bench.Commands().size(), 2u);  // one per stuck transfer
}

TEST(I2cTransfer, FullFifoThatNeverFreesFailsWithoutRestarting) {
  Bench bench("mcu-intel-i2c");
  bench.rig.board.SetTxFifoStuck(true);
  for (int i = 0; i < 8; ++i) MmioWrite32(bench.rig.driver, 0x9152E010, 0x100);  // filled behind its back
  EXPECT_EQ(bench.bus.WriteByteData(0xC2, 0x0A, 60), 0);
  EXPECT_LT(bench.Elapsed(), std::chrono::seconds{2});
  EXPECT_TRUE(bench.Commands().empty());
}

TEST(I2cTransfer, ReadWhoseByteNeverArrivesFailsAndKeepsTheOldValue) {
  Bench bench("mcu-intel-i2c");
  bench.rig.board.SetAccessListener([&](const sim::BoardAccess& a) {  // stops once the read is queued
    if (a.kind == AccessKind::MemoryWrite && a.value == 0x300) bench.rig.board.SetTxFifoStuck(true);
  });
  uint8_t value = 0x77;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x00, value), 0);
  EXPECT_EQ(value, 0x77);
  EXPECT_GE(bench.Elapsed(), microseconds{1024 * 300});
  EXPECT_TRUE(bench.Commands().empty());
}

TEST(I2cTransfer, ByteThatComesAfterItsReadGaveUpIsNeverTakenForALaterRead) {
  Bench bench("mcu-intel-i2c");
  ASSERT_EQ(bench.bus.WriteByteData(0xC2, 0x06, 17), 1);
  ASSERT_EQ(bench.bus.WriteByteData(0xC2, 0x07, 34), 1);
  bench.rig.board.StretchI2cReads(1, milliseconds{500});  // longer than the read waits
  uint8_t value = 0;
  EXPECT_EQ(bench.bus.ReadByteData(0xC2, 0x06, value), 0);
  for (const auto& [reg, expected] : {std::pair{0x07, 34}, std::pair{0x06, 17}, std::pair{0x07, 34}}) {
    EXPECT_EQ(bench.bus.ReadByteData(0xC2, static_cast<uint8_t>(reg), value), 1);
    EXPECT_EQ(value, expected) << reg;
  }
  EXPECT_TRUE(bench.Commands().empty());
}

TEST(BusDriver, UnboundDriverFailsQuietly) {
  CSMBusControl unbound;
  EXPECT_EQ(unbound.Init(), kControllerModeSmbus);
  uint8_t value = 0;
  EXPECT_EQ(unbound.ReadByteData(0xC2, 0, value), 0);
  EXPECT_EQ(unbound.WriteByteData(0xC2, 0, 0), 0);
}

}  // namespace
}  // namespace vesk
