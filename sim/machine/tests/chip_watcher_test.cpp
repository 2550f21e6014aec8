// The watcher reads the program's own register sequences (the real wake-up
// chip and watchdog code on the simulated board) back into events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "hardware/hardware_globals.h"
#include "hardware/superio_watchdog.h"
#include "hardware/wake_chip.h"
#include "hardware/watchdog.h"
#include "sim/board/board_rig.h"
#include "sim/machine/chip_watcher.h"

namespace vesk::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct WatchedBoard {
  explicit WatchedBoard(const char* profile, const char* at = "2026-12-09 08:00:00")
      : rig(profile, ParseSimTime(at).value()), watcher([this](SimTime, std::string text) {
          events.push_back(std::move(text));
        }) {
    rig.board.KeepLog(false);
    rig.board.SetAccessListener([this](const BoardAccess& access) { watcher.Observe(access); });
    StartDrivers(rig.driver);
    BindHardware(rig.driver, rig.os);
    g_ControllerMode = static_cast<uint32_t>(g_Bus.Init());
    g_ChipAddress = DetectWakeChip();
  }
  ~WatchedBoard() { ResetHardwareGlobals(); }

  // Events up to the next quiet moment.
  std::vector<std::string> Take() {
    watcher.Settle();
    return std::exchange(events, {});
  }

  BoardRig rig;
  ChipWatcher watcher;
  std::vector<std::string> events;
};

TEST(ChipWatcher, MicroControllerWakeUp) {
  WatchedBoard board{"mcu-intel-smbus"};  // Wednesday 08:00
  ClearWakeTime();
  EXPECT_THAT(board.Take(), ElementsAre("alarm-clear"));
  ProgramWakeTime(1, 7, 30);  // Monday: next week, day code 1 + 8
  EXPECT_THAT(board.Take(), ElementsAre("alarm weekday=1 hour=7 minute=30 day=9"));
  ProgramWakeTime(1, 7, 30);  // the refresh writes the same again
  EXPECT_THAT(board.Take(), IsEmpty());
  ProgramWakeTime(3, 8, 0);   // this very minute: a week away
  EXPECT_THAT(board.Take(), ElementsAre("alarm weekday=3 hour=8 minute=0 day=11"));
  ServiceAlarmFlag();
  EXPECT_THAT(board.Take(), IsEmpty());
  // A clear directly followed by a programming is two events.
  ClearWakeTime();
  ProgramWakeTime(6, 23, 59);
  EXPECT_THAT(board.Take(), ElementsAre("alarm-clear", "alarm weekday=6 hour=23 minute=59 day=7"));
}

TEST(ChipWatcher, RealTimeClockAtEitherAddress) {
  for (const char* profile : {"rtc-a2-amd", "rtc-d0-nvidia"}) {
    WatchedBoard board{profile};
    ProgramWakeTime(0, 23, 59);
    EXPECT_THAT(board.Take(), ElementsAre("alarm weekday=0 hour=23 minute=59 day=0")) << profile;
    ServiceAlarmFlag();
    ClearWakeTime();
    EXPECT_THAT(board.Take(), ElementsAre("alarm-clear")) << profile;
    ProgramWakeTime(0, 23, 59);  // after a clear it is news again
    EXPECT_THAT(board.Take(), ElementsAre("alarm weekday=0 hour=23 minute=59 day=0")) << profile;
  }
}

TEST(ChipWatcher, Watchdogs) {
  WatchedBoard mcu{"mcu-amd"};
  WatchdogStart();
  WatchdogKick();
  WatchdogKick();
  WatchdogStop();
  EXPECT_THAT(mcu.Take(), ElementsAre("watchdog action=start kind=mcu", "watchdog action=kick kind=mcu",
                                      "watchdog action=kick kind=mcu", "watchdog action=stop kind=mcu"));
  ResetHardwareGlobals();

  WatchedBoard superIo{"rtc-a2-amd"};
  WatchdogStart();
  WatchdogKick();
  WatchdogStop();
  WatchdogStart();
  EXPECT_THAT(superIo.Take(), ElementsAre("watchdog action=start kind=superio", "watchdog action=kick kind=superio",
                                          "watchdog action=stop kind=superio", "watchdog action=start kind=superio"));
  // After a reset of the board its watchdog is off: the next arming starts it.
  superIo.watcher.BoardReset();
  WatchdogKick();
  EXPECT_THAT(superIo.Take(), ElementsAre("watchdog action=start kind=superio"));
}

TEST(ChipWatcher, LoneFeedBeforeAProgrammingIsAFeed) {
  WatchedBoard board{"mcu-intel-i2c"};
  WatchdogStart();
  board.Take();
  WatchdogKick();
  ProgramWakeTime(4, 8, 0);
  EXPECT_THAT(board.Take(), ElementsAre("watchdog action=kick kind=mcu", "alarm weekday=4 hour=8 minute=0 day=5"));
}

}  // namespace
}  // namespace vesk::sim
