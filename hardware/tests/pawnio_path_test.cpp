// The PawnIO way to the hardware against the simulated board: which module
// serves which board, and that the chips see exactly what the driver
// libraries' way gives them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "hardware/bus_lock.h"
#include "hardware/driver_paths.h"
#include "hardware/watchdog.h"
#include "hardware/tests/hardware_rig.h"
#include "sim/board/simulated_pawnio.h"

namespace vesk {
namespace {

using testing::BusOps;

// A board with PawnIO installed and the three module files beside the
// program, the hardware bound as the main window binds it.
struct PawnIoBoard {
  explicit PawnIoBoard(std::string_view profile, bool withModules = true)
      : rig(profile), pawnio(rig.board, [this](sim::Microseconds wait) {
          rig.os.DelayMicroseconds(static_cast<uint32_t>(wait.count()));
        }) {
    if (withModules) {
      for (const char* name : {kSmbusI801Module, kSmbusPiix4Module, kLpcIoModule}) {
        PutModule(name, sim::TestModuleImage(name));
      }
    }
  }
  ~PawnIoBoard() { ResetHardwareGlobals(); }
  void PutModule(const std::string& name, std::vector<uint8_t> image) {
    rig.os.Files()["C:\\VESK\\" + name + kModuleFileExtension] = std::move(image);
  }
  bool Open() {
    const bool open = paths.OpenPawnIoSmbus() && paths.OpenPawnIoSuperIo();
    if (!open) return false;
    paths.Choose(DriverPath::PawnIo);
    BindHardware(paths, rig.os);
    g_ControllerMode = static_cast<uint32_t>(g_Bus.Init());
    g_ChipAddress = DetectWakeChip();
    rig.board.ClearLog();
    return true;
  }

  sim::BoardRig rig;
  sim::SimulatedPawnIo pawnio;
  DriverPaths paths{rig.driver, &pawnio, rig.os};
};

TEST(PawnIoPath, TheModuleThatServesTheBoardsSmbusIsChosenAndNoOtherBoardHoldsAHandle) {
  for (const auto& [profile, module] : {std::pair{"mcu-intel-smbus", "SmbusI801"}, {"rtc-a2-amd", "SmbusPIIX4"},
                                        {"mcu-nvidia", ""}, {"mcu-intel-i2c", ""}, {"mcu-other", ""}}) {
    PawnIoBoard board{profile};
    EXPECT_EQ(board.paths.OpenPawnIoSmbus(), *module != '\0') << profile;
    EXPECT_EQ(board.paths.PawnIoSmbusModule(), module) << profile;
    EXPECT_EQ(board.pawnio.OpenHandles(), *module != '\0' ? 1u : 0u) << profile;
  }
  // Missing, empty, oversized or foreign module files load nothing.
  std::vector<std::vector<uint8_t>> bad{{}, std::vector<uint8_t>(kModuleFileLimit + 1, 'x'), {'M', 'Z'}};
  for (const auto& image : bad) {
    PawnIoBoard board{"mcu-intel-smbus", false};
    board.PutModule(kSmbusI801Module, image);
    EXPECT_FALSE(board.paths.OpenPawnIoSmbus()) << image.size();
    EXPECT_EQ(board.pawnio.OpenHandles(), 0u);
  }
}

// The wake-up programmed and read back, and the watchdog started, fed and
// stopped: the bus devices and the Super I/O's ports see the same on both
// ways, and no port of the SMBus host is touched by the program itself.
std::vector<std::string> ChipWork(sim::BoardRig& rig) {
  rig.board.ClearLog();
  const LocalTime wakeAt{2026, 12, 2, 8, 7, 30, 0, 0};
  ProgramWakeTime(wakeAt);
  EXPECT_TRUE(ReadBackWakeImage(LastWakeImage()));
  WatchdogStart();
  WatchdogKick();
  WatchdogStop();
  std::vector<std::string> seen = BusOps(rig.board.Log());
  for (const auto& access : rig.board.Log()) {
    const bool superIo = access.address == 0x2E || access.address == 0x2F;
    if (access.kind == sim::AccessKind::PortWrite && superIo) seen.push_back(sim::Describe(access));
  }
  return seen;
}

TEST(PawnIoPath, ChipsSeeTheSameWritesAndReadsAsThroughTheDriverLibraries) {
  for (const char* profile : {"mcu-intel-smbus", "rtc-a2-amd", "rtc-d0-intel-smbus", "mcu+rtc-a2-amd"}) {
    std::vector<std::string> libraries;
    {
      testing::ProgramOnBoard program{profile};
      libraries = ChipWork(program.rig);
    }
    PawnIoBoard board{profile};
    ASSERT_TRUE(board.Open()) << profile;
    EXPECT_EQ(ChipWork(board.rig), libraries) << profile;
    EXPECT_EQ(board.rig.driver.UnreadyAccesses(), 0u) << "no register access through the idle libraries";
    EXPECT_EQ(board.pawnio.RefusedCalls(), 0u) << profile;
  }
}

TEST(PawnIoPath, AFlaggedTransferFailsAndLeavesTheCallersByte) {
  PawnIoBoard board{"mcu-amd"};
  ASSERT_TRUE(board.Open());
  board.rig.board.SetNoAcknowledge(0xC2, true);
  uint8_t byte = 0x5A;
  EXPECT_EQ(g_Bus.WriteByteData(0xC2, 0x0A, 60), 0) << "a write the host flagged is no success";
  EXPECT_EQ(g_Bus.ReadByteData(0xC2, 0x00, byte), 0);
  EXPECT_EQ(byte, 0x5A);
}

// The modules leave the locking to their callers: a transfer and a Super
// I/O sequence wait for the locks other hardware tools share, as on the
// libraries' way, and with a lock held elsewhere nothing reaches the board.
TEST(PawnIoPath, TransfersAndSuperIoSequencesStayOutWhileAnotherToolHoldsTheirLock) {
  PawnIoBoard board{"rtc-a2-amd"};
  ASSERT_TRUE(board.Open());
  board.rig.os.Locks().HoldElsewhere(kSmbusLockName, true);
  board.rig.os.Locks().HoldElsewhere(kIsaBusLockName, true);
  uint8_t byte = 0;
  EXPECT_EQ(g_Bus.ReadByteData(0xA2, 0x02, byte), 0);
  WatchdogKick();
  EXPECT_TRUE(board.rig.board.Log().empty());
  board.rig.os.Locks().HoldElsewhere(kSmbusLockName, false);
  EXPECT_EQ(g_Bus.ReadByteData(0xA2, 0x02, byte), 1);
}

TEST(PawnIoPath, APiix4PortAnotherProgramSelectedIsPutBackAfterEachTransfer) {
  PawnIoBoard board{"mcu-amd"};
  ASSERT_TRUE(board.Open());
  board.pawnio.SetPiix4Port(2);
  uint8_t byte = 0;
  EXPECT_EQ(g_Bus.ReadByteData(0xC2, 0x0A, byte), 1);
  EXPECT_EQ(board.pawnio.Piix4Port(), 2);
}

TEST(PawnIoPath, TheExitReleasesPawnIoAndNeverTheLibrariesItDidNotStart) {
  PawnIoBoard board{"rtc-a2-intel-smbus"};
  ASSERT_TRUE(board.Open());
  EXPECT_EQ(board.pawnio.OpenHandles(), 2u);
  ReleaseDrivers(board.paths);
  EXPECT_EQ(board.pawnio.OpenHandles(), 0u);
  EXPECT_TRUE(board.rig.driver.LibraryCalls().empty());
}

// The stand-in checks what the real modules check, and a refused call never
// reaches the board.
TEST(SimulatedPawnIo, RefusesTheArgumentsTheModulesRefuseWithTheirStatus) {
  PawnIoBoard board{"mcu-amd"};
  PawnIoHandle smbus = nullptr, lpc = nullptr;
  board.pawnio.Open(smbus);
  board.pawnio.Open(lpc);
  ASSERT_EQ(board.pawnio.Load(smbus, sim::TestModuleImage("SmbusPIIX4")), kPawnIoOk);
  ASSERT_EQ(board.pawnio.Load(lpc, sim::TestModuleImage("LpcIO")), kPawnIoOk);
  EXPECT_EQ(board.pawnio.Load(lpc, sim::TestModuleImage("LpcIO")), sim::FromNtStatus(sim::kStatusInvalidDeviceState))
      << "one module a handle";
  struct Call {
    PawnIoHandle handle;
    const char* name;
    std::vector<uint64_t> in;
    uint32_t status;
  };
  const std::vector<Call> calls{
      {lpc, "ioctl_pio_outb", {0x2E, 0x87}, sim::kStatusDeviceNotReady},  // no slot selected yet
      {lpc, "ioctl_select_slot", {2}, sim::kStatusInvalidParameter},
      {lpc, "ioctl_select_slot", {}, sim::kStatusBufferTooSmall},
      {smbus, "ioctl_smbus_xfer", {0x61, 1, 0, 2}, sim::kStatusBufferTooSmall},
      {smbus, "ioctl_smbus_xfer", {0x80, 1, 0, 2, 0}, sim::kStatusInvalidParameter},
      {smbus, "ioctl_smbus_xfer", {0x61, 2, 0, 2, 0}, sim::kStatusInvalidParameter},
      {smbus, "ioctl_smbus_xfer", {0x61, 0, 0, 3, 0}, sim::kStatusNotSupported},
      {smbus, "ioctl_piix4_port_sel", {4}, sim::kStatusInvalidParameter},
      {smbus, "ioctl_select_slot", {0}, sim::kStatusNotFound},
  };
  for (const Call& call : calls) {
    std::array<uint64_t, 1> out{};
    std::size_t returned = 9;
    EXPECT_EQ(board.pawnio.Execute(call.handle, call.name, call.in, out, returned), sim::FromNtStatus(call.status))
        << call.name << " " << call.in.size();
    EXPECT_EQ(returned, 0u);
  }
  std::size_t returned = 0;
  board.pawnio.Execute(lpc, "ioctl_select_slot", std::vector<uint64_t>{0}, {}, returned);
  for (const uint64_t port : {0x4EULL, 0x80ULL}) {
    EXPECT_EQ(board.pawnio.Execute(lpc, "ioctl_pio_outb", std::vector<uint64_t>{port, 0x87}, {}, returned),
              sim::FromNtStatus(sim::kStatusInvalidParameter))
        << "only the selected slot's ports";
  }
  EXPECT_TRUE(board.rig.board.Log().empty());
}

}  // namespace
}  // namespace vesk
