// The main window's timers on a simulated board: the clock label, the
// warning and the notice, the shutdown minute, the alarm refresh and the
// watchdog feed.
#include <algorithm>

#include <gtest/gtest.h>

#include "history/history.h"
#include "ui/tests/window_rig.h"

namespace vesk::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ClockTick, ClockLabelInBothLanguages) {
  for (const uint16_t lang : {uint16_t{1033}, uint16_t{2052}}) {
    WindowRig rig{"mcu-amd", "2026-03-05 09:07:02", lang};  // a Thursday
    rig.Start();
    rig.RunFor(1);
    EXPECT_EQ(rig.Text("CurrentTime"), lang == 2052 ? "{f 1}{c #49A832}03月05日   09:07:03   周四{/c}{/f}"
                                                    : "{f 1}{c #49A832}2026.03.05   09:07:03   Thur.{/c}{/f}");
  }
}

TEST(ClockTick, WarningNoticeAndOneShutdownAtTheMinute) {
  WindowRig rig{"mcu-amd", "2026-12-07 17:50:00"};
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  rig.Start();
  rig.RunUntil("2026-12-07 17:55:01");  // when it comes is the next events' rule

  const HWND warning = rig.Warning();
  ASSERT_NE(warning, nullptr);
  EXPECT_FALSE(rig.Visible(warning));
  EXPECT_EQ(rig.desktop.WindowParent(warning), rig.main);
  const auto* icon = rig.desktop.TrayIcon(warning);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(rig.desktop.IconResourceId(icon->data.hIcon), 132u);

  // How the notice rises and closes is proven on real windows.
  ASSERT_EQ(rig.desktop.Dialogs().size(), 1u);
  EXPECT_EQ(rig.desktop.Dialogs()[0].items.at(1), "The computer will automatically shutdown within 5 minutes!");
  EXPECT_TRUE(rig.desktop.Dialogs()[0].visible);

  rig.RunUntil("2026-12-07 18:10:00");
  EXPECT_THAT(rig.Commands(), ElementsAre(Ran("18:00:00", kShutdown)));
  EXPECT_EQ(rig.Warnings().size(), 1u);
}

// The RTC is written when the next power-on moves on (a phase began) and
// otherwise only to acknowledge its fired alarm; the MCU at every refresh.
TEST(AlarmRefresh, RealTimeClockOnlyWhenThePowerOnChanges) {
  WindowRig rig{"rtc-a2-amd", "2026-12-07 12:58:00"};
  WeekSchedule week = Daily(HM(8, 0), HM(12, 0));
  for (auto& day : week.Days) day.Phases[1] = {1, HM(13, 0), HM(17, 0)};
  rig.SetFile(week);
  rig.Start();
  const std::size_t started = rig.writes.size();
  rig.RunUntil("2026-12-07 12:59:59");
  EXPECT_THAT(rig.Writes(0xA2, started), IsEmpty());
  rig.RunUntil("2026-12-07 13:00:06");
  EXPECT_EQ(rig.Writes(0xA2, started).size(), 15u);
  EXPECT_EQ(rig.Text("LastPoweronTime"), Blue("08:00  Tue"));
  rig.RunUntil("2026-12-07 13:03:00");
  EXPECT_EQ(rig.Writes(0xA2, started).size(), 15u);
}

TEST(AlarmRefresh, MicroControllerEveryTime) {
  WindowRig rig{"mcu-amd", "2026-12-07 10:00:00"};
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  rig.Start();
  const std::size_t started = rig.writes.size();
  rig.RunFor(60);
  const auto writes = rig.Writes(0xC2, started);
  EXPECT_EQ(std::count(writes.begin(), writes.end(), "bus-w 0xC2 0x05 0x03"), 12);
}

// A chip that never holds the wake-up: the logs hear when that begins and
// ends, not each of its ~180 failed checks (a day takes minutes under the
// sanitisers).
TEST(AlarmRefresh, AFailingChipIsLoggedWhenItBeginsAndEnds) {
  WindowRig rig{"mcu-amd", "2026-12-07 10:00:00"};
  history::History record(rig.machine.os);
  history::ScopedHistory installed(record);
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  rig.machine.board.Mcu()->LoseWakeWrites(1000000);
  rig.Start();
  rig.RunUntil("2026-12-07 10:15:00");
  rig.machine.board.Mcu()->KeepWakeWrites();
  rig.RunFor(10);
  const auto& log = rig.machine.os.Files()[history::FilePath(rig.machine.os)];
  const std::string text(log.begin(), log.end());
  EXPECT_THAT(text, ::testing::ContainsRegex(" wakeup-check result=failed\n.* wakeup-check result=ok "
                                             "failed-checks=1[0-9][0-9]\n"));
  EXPECT_EQ(text.find("wakeup-check result=failed"), text.rfind("wakeup-check result=failed"));
  EXPECT_LE(rig.machine.os.EventLogEntries().size(), 5u);
}

// Which watchdog is fed is the hardware layer's choice; the window feeds
// it every forty seconds, with or without a timetable.
TEST(Watchdog, FedEveryFortySeconds) {
  WindowRig rig;
  rig.Start();
  const std::size_t started = rig.writes.size();
  rig.RunFor(600);
  std::vector<sim::SimTime> feeds;
  for (std::size_t i = started; i < rig.writes.size(); ++i) {
    if (rig.writes[i].address == 0xC2 && rig.writes[i].reg == 0x0A) feeds.push_back(rig.writes[i].at);
  }
  ASSERT_EQ(feeds.size(), 15u);
  for (std::size_t i = 1; i < feeds.size(); ++i) EXPECT_EQ(feeds[i] - feeds[i - 1], std::chrono::seconds{40});
  EXPECT_THAT(rig.machine.board.Events(), IsEmpty());
}

}  // namespace
}  // namespace vesk::ui::testing
