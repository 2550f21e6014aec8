// The main window's timers on a simulated board: the clock label, the
// warning and the notice, the shutdown minute, the alarm refresh and the
// watchdog feed.
#include <algorithm>
#include <cstring>
#include <sstream>

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

// The history's warning and shutdown lines: "HH:MM warning shutdown=..".
std::vector<std::string> WarningsAndShutdowns(WindowRig& rig) {
  const auto& bytes = rig.machine.os.Files()[history::FilePath(rig.machine.os)];
  std::istringstream lines{std::string(bytes.begin(), bytes.end())};
  std::vector<std::string> kept;
  for (std::string line; std::getline(lines, line);) {
    const std::string event = line.substr(26, line.find(" command") - 26);
    if (event.rfind("warning", 0) == 0 || event == "shutdown") kept.push_back(line.substr(11, 5) + " " + event);
  }
  return kept;
}

// The warning names the shutdown that will take place and comes five real
// minutes before it, also on a short holiday and for a period that ends in
// the hour springing forward skips (Berlin, 29 March 2026); and it comes
// again for a shutdown ahead again: after a time sync set the clock back
// past it, and for the next period's end after a shutdown the system did
// not carry out (the program ran on; the next period re-arms the shutdown).
TEST(ClockTick, EachShutdownAheadIsWarnedOfFiveRealMinutesBefore) {
  const WeekSchedule office = Daily(HM(8, 0), HM(18, 0));
  WeekSchedule twoPeriods = office;
  for (auto& day : twoPeriods.Days) day.Phases[1] = {1, HM(18, 10), HM(18, 20)};
  const auto warned = [](const char* at, const char* shutdown) {
    return std::string(at) + " warning shutdown=\"" + shutdown + "\"";
  };
  struct Case {
    const char *start, *until, *holidays, *zone;
    WeekSchedule week;
    bool timeSync;  // at 17:57 the clock is set to 17:00
    std::vector<std::string> lines;
  } cases[] = {
      {"2026-12-07 11:50:00", "2026-12-07 12:01:00", "2026-12-07 08:00-12:00\n", "UTC", office, false,
       {warned("11:55", "1 12:00"), "12:00 shutdown"}},
      {"2026-03-29 00:40:00", "2026-03-29 01:01:00", "", "Europe/Berlin", Daily(HM(0, 30), HM(2, 30)), false,
       {warned("01:55", "0 03:00"), "03:00 shutdown"}},
      {"2026-12-07 17:54:50", "2026-12-07 18:58:00", "", "UTC", office, true,
       {warned("17:55", "1 18:00"), warned("17:55", "1 18:00"), "18:00 shutdown"}},
      {"2026-12-07 17:54:50", "2026-12-07 18:21:00", "", "UTC", twoPeriods, false,
       {warned("17:55", "1 18:00"), "18:00 shutdown", warned("18:15", "1 18:20"), "18:20 shutdown"}},
  };
  for (const Case& c : cases) {
    const auto zone = sim::TimeZone::Named(c.zone);
    if (!zone) continue;  // the Windows build knows no zone but UTC; the native run has them
    WindowRig rig{"mcu-amd", c.start};
    rig.machine.os.SetTimeZone(*zone);
    rig.SetFile(c.week);
    rig.machine.os.Files()[HolidaysFilePath(rig.machine.os)].assign(c.holidays, c.holidays + std::strlen(c.holidays));
    history::History history{rig.machine.os};
    const history::ScopedHistory installed{history};
    rig.Start();
    if (c.timeSync) {
      rig.RunUntil("2026-12-07 17:57:00");
      rig.machine.os.SetLocalClock(At("2026-12-07 17:00:00"));
    }
    rig.RunUntil(c.until);
    EXPECT_EQ(WarningsAndShutdowns(rig), c.lines) << c.start;
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
  const auto ended = text.find(" wakeup-check result=ok failed-checks=180\n");
  ASSERT_NE(ended, std::string::npos);
  EXPECT_LT(text.find(" wakeup-check result=failed\n"), ended);
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
