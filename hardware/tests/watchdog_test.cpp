#include "hardware/watchdog.h"

#include <gtest/gtest.h>

#include "hardware/superio_watchdog.h"
#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

using namespace std::chrono_literals;
using testing::At;
using testing::BusOps;
using testing::ProgramOnBoard;

const std::vector<std::string> kEntry{"out8 0x2E 0x87", "out8 0x2E 0x01", "out8 0x2E 0x55",
                                      "out8 0x2E 0x55", "out8 0x2E 0x07", "out8 0x2F 0x07"};
const std::vector<std::string> kExit{"out8 0x2E 0x02", "out8 0x2F 0x02"};

std::vector<std::string> Sequence(std::initializer_list<const char*> body) {
  std::vector<std::string> lines = kEntry;
  lines.insert(lines.end(), body.begin(), body.end());
  lines.insert(lines.end(), kExit.begin(), kExit.end());
  return lines;
}

const std::vector<std::string> kSetTimeout =
    Sequence({"out8 0x2E 0x73", "out8 0x2F 0x3C", "out8 0x2E 0x74", "out8 0x2F 0x00"});
const std::vector<std::string> kEnableReset = Sequence({"out8 0x2E 0x72", "out8 0x2F 0xC0"});
const std::vector<std::string> kDisableReset = Sequence({"out8 0x2E 0x72", "out8 0x2F 0x00"});

std::vector<std::string> Concat(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<std::string> all = a;
  all.insert(all.end(), b.begin(), b.end());
  return all;
}

// Port writes to the Super I/O only.
std::vector<std::string> SuperIoWrites(const std::vector<sim::BoardAccess>& log) {
  std::vector<std::string> lines;
  for (const auto& a : log) {
    if (a.kind == sim::AccessKind::PortWrite && (a.address == 0x2E || a.address == 0x2F)) {
      lines.push_back(sim::Describe(a));
    }
  }
  return lines;
}

TEST(SuperIoSequences, ExactPortWritesAndTheChipTakesThem) {
  sim::BoardRig rig{"rtc-a2-amd"};
  StartDrivers(rig.driver);
  EXPECT_EQ(SetWatchdogTimeout(rig.driver), 1);
  EXPECT_EQ(SuperIoWrites(rig.board.Log()), kSetTimeout);
  EXPECT_EQ(rig.board.SuperIo().WdtTimeout(), 60);
  rig.board.ClearLog();
  EXPECT_EQ(EnableWatchdogReset(rig.driver), 1);
  EXPECT_EQ(SuperIoWrites(rig.board.Log()), kEnableReset);
  EXPECT_EQ(rig.board.SuperIo().WdtConfig(), 0xC0);
  rig.board.ClearLog();
  EXPECT_EQ(DisableWatchdogReset(rig.driver), 1);
  EXPECT_EQ(SuperIoWrites(rig.board.Log()), kDisableReset);
  EXPECT_EQ(rig.board.SuperIo().WdtConfig(), 0x00);
  EXPECT_FALSE(rig.board.SuperIo().InConfigMode());  // every sequence leaves it locked
}

struct ChoiceCase {
  const char* profile;
  bool mcu;  // the MCU's watchdog is chosen
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.profile; }

class WatchdogChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(WatchdogChoice, StartKickAndStopGoToTheChosenWatchdogOnly) {
  const ChoiceCase c = GetParam();
  ProgramOnBoard program(c.profile);
  EXPECT_EQ(UsesMcuWatchdog(), c.mcu);
  auto& board = program.rig.board;

  WatchdogStart();
  if (c.mcu) {
    EXPECT_TRUE(SuperIoWrites(board.Log()).empty());
    const auto bus = BusOps(board.Log());
    ASSERT_FALSE(bus.empty());
    for (const auto& line : bus) EXPECT_NE(line.find("0xC2"), std::string::npos) << line;
  } else {
    EXPECT_EQ(SuperIoWrites(board.Log()), Concat(kSetTimeout, kEnableReset));
    EXPECT_TRUE(BusOps(board.Log()).empty());
  }
  board.ClearLog();
  WatchdogKick();
  EXPECT_EQ(SuperIoWrites(board.Log()).empty(), c.mcu);
  board.ClearLog();
  WatchdogStop();
  if (c.mcu) {
    EXPECT_TRUE(SuperIoWrites(board.Log()).empty());
  } else {
    EXPECT_EQ(SuperIoWrites(board.Log()), kDisableReset);
  }
}

INSTANTIATE_TEST_SUITE_P(ByChipAndMode, WatchdogChoice,
                         ::testing::Values(ChoiceCase{"mcu-amd", true}, ChoiceCase{"mcu-intel-i2c", true},
                                           ChoiceCase{"rtc-a2-amd", false},
                                           ChoiceCase{"rtc-d0-intel-smbus", false},
                                           // I2C mode takes the MCU's even with an RTC found
                                           ChoiceCase{"rtc-a2-intel-i2c", true},
                                           ChoiceCase{"mcu+rtc-a2-nvidia", true}));

TEST(WatchdogChoice, McuStartWritesTimeoutThenEnable) {
  ProgramOnBoard program("mcu-intel-i2c");
  WatchdogStart();
  WatchdogKick();
  WatchdogStop();
  EXPECT_EQ(BusOps(program.rig.board.Log()),
            (std::vector<std::string>{"bus-w 0xC2 0x0A 0x3C", "bus-w 0xC2 0x09 0x01", "bus-w 0xC2 0x0A 0x3C",
                                      "bus-w 0xC2 0x09 0x00"}));
}

TEST(StartupWatchdogStop, FollowsOnlyWhetherTheMcuAnsweredStartUp) {
  // I2C mode with an RTC: the windows chose the MCU's watchdog, but
  // start-up's stop goes to the Super I/O when 0xC2 did not answer it.
  ProgramOnBoard program("rtc-a2-intel-i2c");
  ASSERT_TRUE(UsesMcuWatchdog());
  CSMBusControl startup{program.rig.driver, program.rig.os};
  startup.Init();
  uint8_t ignored = 0;
  const bool chipAnswered = startup.ReadByteData(0xC2, 0x00, ignored) != 0;
  EXPECT_FALSE(chipAnswered);
  program.rig.board.ClearLog();
  StartupWatchdogStop(startup, chipAnswered);
  EXPECT_EQ(SuperIoWrites(program.rig.board.Log()), kDisableReset);
  EXPECT_TRUE(BusOps(program.rig.board.Log()).empty());

  ProgramOnBoard mcu("mcu-amd");
  g_ChipAddress = kRtcAddressA2;  // whatever the windows found plays no part
  CSMBusControl startupOnMcu{mcu.rig.driver, mcu.rig.os};
  startupOnMcu.Init();
  mcu.rig.board.ClearLog();
  StartupWatchdogStop(startupOnMcu, true);
  EXPECT_TRUE(SuperIoWrites(mcu.rig.board.Log()).empty());
  EXPECT_EQ(BusOps(mcu.rig.board.Log()), std::vector<std::string>{"bus-w 0xC2 0x09 0x00"});
}

// The watchdog on the board: fed every 40 s it never fires; unfed it resets
// the board 60 s after the last feed; stopped it never resets.
void ExpectWatchdogBehaviour(const char* profile, sim::EventSource source) {
  ProgramOnBoard program(profile, At("2026-12-09 10:00:00"));
  auto& board = program.rig.board;
  auto& clock = program.rig.clock;
  WatchdogStart();
  for (int i = 0; i < 5; ++i) {
    clock.Advance(40s);
    WatchdogKick();
  }
  EXPECT_TRUE(board.Events().empty()) << profile;
  const auto lastFeed = clock.Now();
  const auto reset = board.NextWatchdogReset();
  ASSERT_TRUE(reset) << profile;
  EXPECT_GE(*reset - lastFeed, 59s);
  EXPECT_LE(*reset - lastFeed, 60s);
  clock.Advance(10min);
  ASSERT_EQ(board.Events().size(), 1u) << profile;
  EXPECT_EQ(board.Events()[0].kind, sim::BoardEventKind::Reset);
  EXPECT_EQ(board.Events()[0].source, source);
  EXPECT_EQ(board.Events()[0].at, *reset);

  WatchdogStart();
  clock.Advance(30s);
  WatchdogStop();
  EXPECT_FALSE(board.NextWatchdogReset()) << profile;
  clock.Advance(std::chrono::hours{3});
  EXPECT_EQ(board.Events().size(), 1u) << profile;
}

TEST(BoardWatchdog, SuperIoResetsAnUnfedBoard) { ExpectWatchdogBehaviour("rtc-a2-amd", sim::EventSource::SuperIo); }

TEST(BoardWatchdog, McuResetsAnUnfedBoard) { ExpectWatchdogBehaviour("mcu-intel-i2c", sim::EventSource::Mcu); }

}  // namespace
}  // namespace vesk
