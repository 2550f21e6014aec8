#include "hardware/watchdog.h"

#include <gtest/gtest.h>

#include "hardware/tests/hardware_rig.h"

namespace vesk {
namespace {

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

struct ChoiceCase {
  const char* profile;
  bool mcu;  // the MCU's watchdog is chosen
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.profile; }

class WatchdogChoice : public ::testing::TestWithParam<ChoiceCase> {};

// Start and kick arm the same way; an absent MCU shows as unanswered transfers.
TEST_P(WatchdogChoice, StartKickAndStopGoToTheChosenWatchdogOnly) {
  const ChoiceCase c = GetParam();
  ProgramOnBoard program(c.profile);
  EXPECT_EQ(UsesMcuWatchdog(), c.mcu);
  auto& board = program.rig.board;
  WatchdogStart();
  WatchdogKick();
  WatchdogStop();
  std::vector<std::string> superIo, mcu;
  for (const auto* part : {&kSetTimeout, &kEnableReset, &kSetTimeout, &kEnableReset, &kDisableReset}) {
    superIo.insert(superIo.end(), part->begin(), part->end());
  }
  if (c.mcu) {
    mcu = board.Mcu() ? std::vector<std::string>{"bus-w 0xC2 0x0A 0x3C", "bus-w 0xC2 0x09 0x01", "bus-w 0xC2 0x0A 0x3C",
                                                 "bus-w 0xC2 0x09 0x00"}
                      : std::vector<std::string>(4, "bus-nack 0xC2");
    superIo.clear();
  }
  EXPECT_EQ(SuperIoWrites(board.Log()), superIo);
  EXPECT_EQ(BusOps(board.Log()), mcu);
  EXPECT_FALSE(board.SuperIo().InConfigMode());  // every sequence leaves it locked
}

INSTANTIATE_TEST_SUITE_P(ByChipAndMode, WatchdogChoice,
                         ::testing::Values(ChoiceCase{"mcu-amd", true}, ChoiceCase{"mcu-intel-i2c", true},
                                           ChoiceCase{"rtc-a2-amd", false},
                                           ChoiceCase{"rtc-d0-intel-smbus", false},
                                           // I2C mode takes the MCU's even with an RTC found
                                           ChoiceCase{"rtc-a2-intel-i2c", true},
                                           ChoiceCase{"mcu+rtc-a2-nvidia", true}));

}  // namespace
}  // namespace vesk
