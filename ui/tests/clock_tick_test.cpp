// The main window's timers on a simulated board: the clock label, the
// warning and the notice, the shutdown minute, the alarm refresh and the
// watchdog feed.
#include <algorithm>

#include <gtest/gtest.h>

#include "history/history.h"
#include "schedule/holidays.h"
#include "sim/os/time_zone.h"
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

// The history's warning and shutdown lines of a run ("HH:MM warning ...").
struct Recorded {
  explicit Recorded(WindowRig& owner) : rig(owner) {}
  std::vector<std::string> Lines() {
    std::vector<std::string> kept;
    const auto& bytes = rig.machine.os.Files()[history::FilePath(rig.machine.os)];
    std::string line;
    for (const char c : bytes) {
      if (c != '\n') {
        line += c;
        continue;
      }
      const std::string event = line.substr(26);
      if (event.rfind("warning", 0) == 0 || event.rfind("shutdown ", 0) == 0) {
        kept.push_back(line.substr(11, 5) + " " + event.substr(0, event.find(" command")));
      }
      line.clear();
    }
    return kept;
  }
  WindowRig& rig;
  history::History history{rig.machine.os};
  history::ScopedHistory installed{history};
};

// The warning names the shutdown that will take place, and comes five real
// minutes before it: on a short holiday, and when the period ends inside the
// hour that springing forward skips (Berlin, 29 March 2026, 02:00 -> 03:00).
TEST(ClockTick, WarningNamesTheShutdownItWarnsOfFiveRealMinutesAhead) {
  {
    WindowRig rig{"mcu-amd", "2026-12-07 11:50:00"};
    rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
    const std::string holidays = "2026-12-07 08:00-12:00\n";
    rig.machine.os.Files()[HolidaysFilePath(rig.machine.os)].assign(holidays.begin(), holidays.end());
    Recorded recorded{rig};
    rig.Start();
    rig.RunUntil("2026-12-07 12:01:00");
    EXPECT_THAT(recorded.Lines(), ElementsAre("11:55 warning shutdown=\"1 12:00\"", "12:00 shutdown"));
  }
  {
    WindowRig rig{"mcu-amd", "2026-03-29 00:40:00"};  // UTC: 01:40 in Berlin
    rig.machine.os.SetTimeZone(sim::TimeZone::Named("Europe/Berlin").value());
    rig.SetFile(Daily(HM(0, 30), HM(2, 30)));
    Recorded recorded{rig};
    rig.Start();
    rig.RunUntil("2026-03-29 01:01:00");
    EXPECT_THAT(recorded.Lines(), ElementsAre("01:55 warning shutdown=\"0 03:00\"", "03:00 shutdown"));
  }
}

// The warning comes again for a shutdown that is again ahead: after a time
// sync set the clock back past the warning, and for the next period's end
// after a shutdown the system did not carry out (the program ran on). Once
// that next period runs, its end is shut down as well.
TEST(ClockTick, WarningAndShutdownComeAgainForAShutdownAgainAhead) {
  {
    WindowRig rig{"mcu-amd", "2026-12-07 17:54:50"};
    rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
    Recorded recorded{rig};
    rig.Start();
    rig.RunUntil("2026-12-07 17:57:00");
    rig.machine.os.SetLocalClock(At("2026-12-07 17:00:00"));
    rig.RunUntil("2026-12-07 18:58:00");  // the local clock: 18:01
    EXPECT_THAT(recorded.Lines(), ElementsAre("17:55 warning shutdown=\"1 18:00\"", "17:55 warning shutdown=\"1 18:00\"",
                                              "18:00 shutdown"));
  }
  {
    WindowRig rig{"mcu-amd", "2026-12-07 17:54:50"};
    WeekSchedule week = Daily(HM(8, 0), HM(18, 0));
    for (auto& day : week.Days) day.Phases[1] = {1, HM(18, 10), HM(18, 20)};
    rig.SetFile(week);
    Recorded recorded{rig};
    rig.Start();
    rig.RunUntil("2026-12-07 18:21:00");
    EXPECT_THAT(recorded.Lines(), ElementsAre("17:55 warning shutdown=\"1 18:00\"", "18:00 shutdown",
                                              "18:15 warning shutdown=\"1 18:20\"", "18:20 shutdown"));
  }
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
