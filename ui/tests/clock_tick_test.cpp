// The main window's timers on a simulated board: the clock label, the
// warning and the notice, the shutdown minute, the alarm refresh and the
// watchdog feed.
#include <gtest/gtest.h>

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
  rig.RunUntil("2026-12-07 17:54:59");
  EXPECT_THAT(rig.Warnings(), IsEmpty());
  rig.RunUntil("2026-12-07 17:55:01");

  const HWND warning = rig.Warning();
  ASSERT_NE(warning, nullptr);
  EXPECT_FALSE(rig.Visible(warning));
  EXPECT_EQ(rig.desktop.WindowParent(warning), rig.main);
  EXPECT_EQ(rig.desktop.WindowTitle(warning), "vesk");
  const auto* icon = rig.desktop.TrayIcon(warning);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(sim::FormatSimTime(icon->addedAt), "2026-12-07 17:55:00");
  EXPECT_EQ(rig.desktop.IconResourceId(icon->data.hIcon), 132u);
  EXPECT_EQ(icon->data.szTip, "Notice");
  EXPECT_EQ(icon->data.uCallbackMessage, 0x83E8u);

  // The notice rises from below the screen's bottom right corner.
  ASSERT_EQ(rig.desktop.Dialogs().size(), 1u);
  const auto& notice = rig.desktop.Dialogs()[0];
  EXPECT_EQ(notice.templateId, 133u);
  EXPECT_EQ(notice.items.at(1), "The computer will automatically shutdown within 5 minutes!");
  EXPECT_TRUE(notice.visible);
  rig.RunUntil("2026-12-07 17:59:00");
  EXPECT_EQ(notice.rect.top, 1080 - 105);
  EXPECT_EQ(notice.rect.right, 1920);
  EXPECT_EQ(rig.desktop.TimerPeriod(notice.hwnd, 1), std::nullopt);

  rig.RunUntil("2026-12-07 18:10:00");
  EXPECT_THAT(rig.Commands(), ElementsAre(Ran("18:00:00", kShutdown)));
  EXPECT_EQ(rig.Warnings().size(), 1u);
  EXPECT_TRUE(rig.desktop.ClickDialogButton(notice.hwnd, 1));
  EXPECT_FALSE(rig.desktop.Dialogs()[0].alive);
}

// The RTC is written when the next power-on moves on (a phase began) and
// otherwise only to acknowledge its fired alarm.
TEST(AlarmRefresh, RealTimeClockIsWrittenOnlyWhenThePowerOnChanges) {
  WindowRig rig{"rtc-a2-amd", "2026-12-07 12:58:00"};
  WeekSchedule week = Daily(HM(8, 0), HM(12, 0));
  for (auto& day : week.Days) day.Phases[1] = {1, HM(13, 0), HM(17, 0)};
  rig.SetFile(week);
  rig.Start();
  const std::size_t started = rig.writes.size();
  rig.RunUntil("2026-12-07 12:59:59");
  EXPECT_THAT(rig.Writes(0xA2, started), IsEmpty());
  EXPECT_EQ(rig.Text("LastPoweronTime"), Blue("13:00  Mon"));

  rig.RunUntil("2026-12-07 13:00:06");
  const auto writes = rig.Writes(0xA2, started);
  ASSERT_EQ(writes.size(), 15u);
  EXPECT_EQ(writes[0], "bus-w 0xA2 0x01 0x02");  // the fired alarm acknowledged
  EXPECT_EQ(writes[5], "bus-w 0xA2 0x0C 0x02");  // Tuesday
  EXPECT_EQ(rig.Text("LastPoweronTime"), Blue("08:00  Tue"));
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("17:00  Mon"));
  rig.RunUntil("2026-12-07 13:03:00");
  EXPECT_EQ(rig.Writes(0xA2, started).size(), 15u);
}

TEST(AlarmRefresh, MicroControllerIsRewrittenAtEveryRefresh) {
  WindowRig rig{"mcu-amd", "2026-12-07 10:00:00"};
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  rig.Start();
  const std::size_t started = rig.writes.size();
  rig.RunFor(60);
  std::size_t dayCodes = 0;
  for (const auto& line : rig.Writes(0xC2, started)) dayCodes += line == "bus-w 0xC2 0x05 0x03";
  EXPECT_EQ(dayCodes, 12u);
}

TEST(Watchdog, FedEveryFortySecondsByTheChosenWatchdog) {
  struct Case {
    const char* profile;
    uint32_t address;  // 0xC2: register 0x0A of the MCU; 0x2E: the Super I/O key
    bool fed;
  };
  // In I2C mode the MCU's watchdog is chosen even for an RTC board; no
  // device answers at 0xC2 then, and the Super I/O stays untouched.
  for (const Case& c : {Case{"mcu-amd", 0xC2, true}, Case{"rtc-a2-amd", 0x2E, true},
                        Case{"rtc-a2-intel-i2c", 0x2E, false}}) {
    WindowRig rig{c.profile};  // no timetable: fed all the same
    rig.Start();
    const std::size_t started = rig.writes.size();
    rig.RunFor(600);
    std::vector<sim::SimTime> feeds;
    for (std::size_t i = started; i < rig.writes.size(); ++i) {
      const auto& write = rig.writes[i];
      const bool key = write.kind == sim::AccessKind::PortWrite && write.value == 0x87;
      const bool timeout = write.kind == sim::AccessKind::BusWrite && write.reg == 0x0A;
      if (write.address == c.address && (key || timeout)) feeds.push_back(write.at);
    }
    if (!c.fed) {
      EXPECT_THAT(feeds, IsEmpty()) << c.profile;
      continue;
    }
    // Super I/O: two sequences per feed, each opened by the key's 0x87.
    const std::size_t perFeed = c.address == 0x2E ? 2 : 1;
    ASSERT_EQ(feeds.size(), 15 * perFeed) << c.profile;
    for (std::size_t i = perFeed; i < feeds.size(); i += perFeed) {
      EXPECT_EQ(feeds[i] - feeds[i - perFeed], std::chrono::seconds{40}) << c.profile;
    }
    EXPECT_THAT(rig.machine.board.Events(), IsEmpty()) << c.profile;
  }
}

}  // namespace
}  // namespace vesk::ui::testing
