// The whole program on the simulated machine: a week of power cycles on
// every board that has a reachable chip, and the user's actions of a
// script, read from the timeline of events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "schedule/week_schedule.h"
#include "sim/board/board_profile.h"
#include "sim/firmware/firmware_tables.h"
#include "sim/machine/machine.h"

namespace vesk::sim {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr uint16_t HM(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

struct PhaseSpec {
  int weekday;
  uint16_t start;
  uint16_t end;
};

std::vector<uint8_t> Timetable(const std::vector<PhaseSpec>& phases) {
  WeekSchedule week;
  std::array<int, 7> used{};
  for (const PhaseSpec& p : phases) week.Days[p.weekday].Phases[used[p.weekday]++] = {1, p.start, p.end};
  const auto image = ScheduleToBytes(week);
  return {image.begin(), image.end()};
}

struct Timeline {
  std::vector<std::string> lines;

  // Lines without the watchdog's feeds, which come every 40 seconds.
  std::vector<std::string> Events() const {
    std::vector<std::string> kept;
    for (const auto& line : lines) {
      if (line.find(" watchdog action=kick ") == std::string::npos) kept.push_back(line);
    }
    return kept;
  }
  // Lines whose event word is one of `words`.
  std::vector<std::string> Only(const std::vector<std::string>& words) const {
    std::vector<std::string> kept;
    for (const auto& line : lines) {
      const std::string word = line.substr(20, line.find(' ', 20) - 20);
      if (std::find(words.begin(), words.end(), word) != words.end()) kept.push_back(line);
    }
    return kept;
  }
  // The lines from the first one containing `from` up to, not including,
  // the first one after it containing `to`.
  std::vector<std::string> Between(const std::string& from, const std::string& to) const {
    const auto events = Events();
    auto start = std::find_if(events.begin(), events.end(), [&](const auto& l) { return l.find(from) != std::string::npos; });
    auto stop = std::find_if(start == events.end() ? start : start + 1, events.end(),
                             [&](const auto& l) { return l.find(to) != std::string::npos; });
    return {start, stop};
  }
};

SimTime TimeOf(const std::string& line) { return ParseSimTime(line.substr(0, 19)).value(); }

struct Scenario {
  explicit Scenario(const char* profile, const char* from, Microseconds duration) {
    options.profile = ParseBoardProfile(profile).value();
    options.table = NamedFirmwareTable("accepted").value();
    options.from = ParseSimTime(from).value();
    options.duration = duration;
    options.skinRoot = VESK_SOURCE_DIR;
  }
  Scenario& Week(const std::vector<PhaseSpec>& phases) {
    options.timetable = Timetable(phases);
    return *this;
  }
  Scenario& Script(const std::string& text) {
    std::string error;
    auto steps = ParseScript(text, error);
    EXPECT_TRUE(steps) << error;
    if (steps) options.script = *steps;
    return *this;
  }
  Timeline Play() const {
    Timeline timeline;
    Machine machine{options, [&](const std::string& line) { timeline.lines.push_back(line); }};
    machine.Run();
    return timeline;
  }
  MachineOptions options;
};

// --- a week on every board ---

// Short phases on six days, one day off, a day with two.
const std::vector<PhaseSpec> kTestWeek{
    {1, HM(10, 0), HM(10, 20)}, {1, HM(22, 0), HM(22, 10)}, {2, HM(10, 0), HM(10, 20)}, {3, HM(6, 0), HM(6, 15)},
    {4, HM(10, 0), HM(10, 20)}, {4, HM(12, 0), HM(12, 30)}, {5, HM(23, 30), HM(23, 59)}, {6, HM(9, 0), HM(9, 10)}};
// The dates of that week, Sunday first.
const char* const kDates[] = {"2026-12-06", "2026-12-07", "2026-12-08", "2026-12-09",
                              "2026-12-10", "2026-12-11", "2026-12-12"};

SimTime PhaseTime(int weekday, uint16_t minute) {
  return ParseSimTime(std::string(kDates[weekday]) + " 00:00:00").value() + minutes{minute};
}

TEST(MachineWeek, OffAtEveryPhaseEndAndOnAtEveryPhaseStartOnEveryBoard) {
  for (const char* chip : {"mcu", "rtc-a2", "rtc-d0", "mcu+rtc-a2"}) {
    for (const char* controller : {"amd", "nvidia", "intel-smbus", "intel-i2c"}) {
      const std::string profile = std::string(chip) + "-" + controller;
      SCOPED_TRACE(profile);
      const Timeline run = Scenario(profile.c_str(), "2026-12-06 12:00:00", std::chrono::hours{24 * 7}).Week(kTestWeek).Play();
      const bool mcu = std::string(chip).rfind("mcu", 0) == 0;

      const auto power = run.Only({"on", "off"});
      // Switched on at the start, outside every phase: off after the first tick.
      ASSERT_GE(power.size(), 2u + 2 * kTestWeek.size());
      EXPECT_EQ(power[0], "2026-12-06 12:00:00 on cause=power");
      EXPECT_THAT(power[1], HasSubstr(" off"));
      // Each phase: on at its start, off at its end (the shutdown command runs
      // in the end minute and gives 30 seconds); before each power-on the
      // last wake-up programmed was exactly that power-on.
      const auto alarms = run.Only({"alarm"});
      for (std::size_t i = 0; i < kTestWeek.size(); ++i) {
        const PhaseSpec& phase = kTestWeek[i];
        const std::string& on = power[2 + 2 * i];
        const std::string& off = power[3 + 2 * i];
        const SimTime onAt = PhaseTime(phase.weekday, phase.start);
        EXPECT_THAT(on, HasSubstr(" on cause=alarm")) << "phase " << i;
        EXPECT_TRUE(TimeOf(on) - onAt >= seconds{0} && TimeOf(on) - onAt < seconds{2}) << on;
        EXPECT_THAT(off, HasSubstr(" off"));
        const auto offDelay = TimeOf(off) - PhaseTime(phase.weekday, phase.end);
        EXPECT_TRUE(offDelay >= seconds{30} && offDelay < seconds{33}) << off;
        std::string last;
        for (const auto& line : alarms) {
          if (TimeOf(line) < onAt) last = line;
        }
        char expected[64];
        std::snprintf(expected, sizeof expected, "alarm weekday=%d hour=%d minute=%d day=", phase.weekday,
                      phase.start / 60, phase.start % 60);
        EXPECT_THAT(last, HasSubstr(expected)) << "phase " << i;
        const int day = std::stoi(last.substr(last.rfind('=') + 1));
        // The MCU counts days from this week's Sunday (1..14), the RTC takes the weekday.
        EXPECT_TRUE(mcu ? day == phase.weekday + 1 || day == phase.weekday + 8 : day == phase.weekday) << last;
      }
      EXPECT_EQ(power.size(), 2u + 2 * kTestWeek.size());
      // Each start of the program finds the chip, switches its wake-up off,
      // programs it and starts a watchdog (none answers at 0xC2 on an RTC
      // board in I2C mode, so none runs there).
      const auto starts = run.Only({"start"});
      EXPECT_EQ(starts.size(), 1 + kTestWeek.size());
      const std::string chipLine = std::string("chip address=") + (mcu ? "0xC2" : chip[4] == 'a' ? "0xA2" : "0xD0") +
                                   " mode=" + (std::string(controller) == "intel-i2c" ? "i2c" : "smbus");
      EXPECT_EQ(run.Only({"chip"}).size(), starts.size());
      EXPECT_THAT(run.Only({"chip"}), Contains(HasSubstr(chipLine)));
      EXPECT_EQ(run.Only({"alarm-clear"}).size(), starts.size());
      const bool noWatchdog = !mcu && std::string(controller) == "intel-i2c";
      EXPECT_EQ(run.Only({"watchdog"}).empty(), noWatchdog);
      EXPECT_THAT(run.Only({"reset", "message", "exit"}), IsEmpty());
    }
  }
}

TEST(MachineWeek, CoalescedTicksChangeNothingThatShows) {
  for (const char* profile : {"mcu-intel-i2c", "rtc-a2-amd"}) {
    Scenario scenario(profile, "2026-12-07 09:58:00", minutes{75});
    scenario.Week({{1, HM(10, 0), HM(10, 20)}, {1, HM(10, 40), HM(11, 0)}})
        .Script("2026-12-07 10:16:00 postpone 0:10\n"
                "2026-12-07 10:40:30 open\n"
                "2026-12-07 10:41:00 select Tuesday\n"
                "2026-12-07 10:41:10 phase 1 on 07:00 07:30\n"
                "2026-12-07 10:41:20 save\n");
    const auto coalesced = scenario.Play().lines;
    scenario.options.coalesceTicks = false;
    const auto everyTick = scenario.Play().lines;
    EXPECT_THAT(coalesced, ElementsAreArray(everyTick)) << profile;
    EXPECT_THAT(coalesced, Contains(HasSubstr(" save")));
  }
}

// --- local time that jumps ---

TEST(MachineYear, EveryPowerOnAtTheTimetablesMinuteAcrossDaylightSaving) {
  // Office hours, weekend off: the wake-up is written on Friday and the
  // clocks change on Sunday. Only those weekends need playing.
  const std::vector<PhaseSpec> office{{1, HM(8, 0), HM(17, 30)}, {2, HM(8, 0), HM(17, 30)}, {3, HM(8, 0), HM(17, 30)},
                                      {4, HM(8, 0), HM(17, 30)}, {5, HM(8, 0), HM(17, 30)}};
  const std::pair<const char*, std::vector<const char*>> weekends[] = {
      {"Europe/Berlin", {"2026-03-27", "2026-10-23"}}, {"America/New_York", {"2026-03-06", "2026-10-30"}}};
  for (const auto& [zone, fridays] : weekends) {
    for (const char* friday : fridays) {
      for (const char* profile : {"mcu-intel-smbus", "rtc-a2-intel-i2c"}) {
        Scenario scenario(profile, (std::string(friday) + " 17:00:00").c_str(), minutes{(2 * 24 + 16) * 60 + 5});
        scenario.options.zone = TimeZone::Named(zone).value();
        const Timeline run = scenario.Week(office).Play();
        const std::string monday = FormatSimTime(ParseSimTime(std::string(friday) + " 00:00").value() + std::chrono::days{3});
        const auto on = run.Only({"on"});
        ASSERT_EQ(on.size(), 2u) << zone << " " << friday << " " << profile;
        EXPECT_THAT(on[1], ::testing::StartsWith(monday.substr(0, 10) + " 08:00:0")) << profile;
        EXPECT_THAT(on[1], HasSubstr(" on cause=alarm"));
        EXPECT_EQ(run.Only({"timechange"}).size(), 1u) << zone << " " << friday;
      }
    }
  }
}

TEST(MachineScript, LostWritesAreCaughtAndAClockSetByHandReprogramsTheChip) {
  Scenario scenario("rtc-a2-amd", "2026-03-23 16:59:00", minutes{16 * 60});
  scenario.options.zone = TimeZone::Named("Europe/Berlin").value();
  scenario.Week({{1, HM(8, 0), HM(17, 30)}, {2, HM(8, 0), HM(17, 30)}})
      .Script("2026-03-23 17:00:00 chip-glitch\n"
              "2026-03-23 17:00:10 open\n"
              "2026-03-23 17:00:20 select Tuesday\n"
              "2026-03-23 17:00:30 phase 1 on 08:30 17:30\n"
              "2026-03-23 17:00:40 save\n"
              "2026-03-23 17:01:00 chip-glitch 5\n"
              "2026-03-23 17:01:10 phase 1 on 08:45 17:30\n"
              "2026-03-23 17:01:20 save\n"
              "2026-03-23 17:02:00 set-clock \"2026-03-23 18:02:00\"\n");
  const Timeline run = scenario.Play();
  // One lost write fixed by the second; five outlast two tries, which the
  // user hears of once, until the next refresh gets the wake-up through.
  // (The first and the last are the program's starts.)
  const auto checks = run.Only({"verify", "message"});
  ASSERT_EQ(checks.size(), 7u);
  EXPECT_THAT(checks[1], HasSubstr("17:00:40 verify result=rewritten"));
  EXPECT_THAT(checks[2], HasSubstr("verify result=failed"));
  EXPECT_THAT(checks[3], HasSubstr("verify result=failed"));
  EXPECT_THAT(checks[4], HasSubstr("message caption=\"Notice\" text=\"The next power-on time could not be written"));
  EXPECT_THAT(checks[5], HasSubstr("verify result=rewritten"));
  // The administrator hears of the failures once, and of their end.
  std::vector<std::string> faults;
  for (const auto& line : run.Only({"eventlog"})) {
    if (line.find("text=\"wakeup-check") != std::string::npos) faults.push_back(line.substr(20));
  }
  EXPECT_THAT(faults, ElementsAre("eventlog id=121 level=error text=\"wakeup-check result=failed\"",
                                  "eventlog id=122 level=information text=\"wakeup-check result=rewritten "
                                  "failed-checks=2\""));
  // Windows' clock an hour ahead, outside the period: off, and on again at
  // the timetable's minute as Windows' clock shows it.
  EXPECT_THAT(run.Only({"on"}).back(), HasSubstr("2026-03-24 08:45:00 on cause=alarm"));
}

// Seeded random valid weeks against the rules worked out from the periods
// alone (minutes since Sunday 2026-12-06): shut down at the first minute
// outside every period whose next period begins more than three minutes
// later, warned five minutes before or at the start, on at that next start.
TEST(MachineWeek, RandomTimetablesFollowTheRules) {
  uint64_t seed = 20261206;
  const auto next = [&](int bound) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((seed >> 33) % static_cast<uint64_t>(bound));
  };
  const auto at = [](long second) { return ParseSimTime("2026-12-06 00:00:00").value() + seconds{second}; };
  for (int run = 0; run < 3; ++run) {
    std::vector<PhaseSpec> week{{3, HM(10, 0), HM(11, 0)}};
    for (int day = 0; day < 7; ++day) {
      for (int t = next(3) == 0 ? next(3) : next(600), n = 0; day != 3 && n < 3 && next(5) != 0; ++n) {
        const int length = std::min(next(3) == 0 ? 1 + next(6) : 10 + next(400), HM(23, 59) - t);
        if (length <= 0) break;
        week.push_back({day, static_cast<uint16_t>(t), static_cast<uint16_t>(t + length)});
        t += length + (next(2) == 0 ? 1 + next(4) : 10 + next(400));
      }
    }
    const auto inside = [&](long m, bool starting) {
      return std::any_of(week.begin(), week.end(), [&](const PhaseSpec& p) {
        return m / 1440 % 7 == p.weekday && (starting ? p.start == m % 1440 : p.start <= m % 1440 && m % 1440 < p.end);
      });
    };
    const auto nextStart = [&](long m) { while (!inside(++m, true)) {} return m; };
    const long from = next(7 * 1440), until = from + 2 * 7 * 1440;
    std::vector<std::pair<long, std::string>> expected{{from * 60, "on cause=power"}};
    for (long started = from, m = 0; started < until; started = nextStart(m)) {
      if (started != from) expected.push_back({started * 60, "on cause=alarm"});
      for (m = started; inside(m, false) || nextStart(m) - m <= 3; ++m) {}
      char shutdown[16];
      std::snprintf(shutdown, sizeof shutdown, "%ld %02ld:%02ld", m / 1440 % 7, m % 1440 / 60, m % 60);
      if (m > started) expected.push_back({std::max(m - 5, started) * 60, "warning shutdown=\"" + std::string(shutdown) + "\""});
      expected.push_back({m * 60, "command line=\"Cmd.exe /C shutdown -s -f -t 30\""});
      expected.push_back({m * 60 + 30, "off"});
    }
    while (expected.back().first >= until * 60) expected.pop_back();

    const auto lines = Scenario(run % 2 ? "mcu-intel-i2c" : "rtc-a2-amd", FormatSimTime(at(from * 60)).c_str(),
                                minutes{until - from}).Week(week).Play().Only({"on", "off", "command", "warning"});
    EXPECT_EQ(lines.size(), expected.size()) << "run " << run;
    for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
      const auto late = TimeOf(lines[i]) - at(expected[i].first);  // start-up and the clock tick's phase
      ASSERT_TRUE(late >= seconds{0} && late < seconds{3} && lines[i].substr(20) == expected[i].second)
          << "run " << run << ": " << lines[i] << " where " << FormatSimTime(at(expected[i].first)) << " "
          << expected[i].second;
    }
  }
}

// --- the user ---

TEST(MachineScript, KilledProgramIsResetByTheWatchdog) {
  const Timeline run = Scenario("mcu-intel-i2c", "2026-12-07 08:00:00", minutes{10})
                           .Week({{1, HM(8, 0), HM(18, 0)}})
                           .Script("2026-12-07 08:02:00 kill\n")
                           .Play();
  const auto kicks = run.Only({"watchdog"});
  std::string lastFeed;
  for (const auto& line : kicks) {
    if (TimeOf(line) <= ParseSimTime("2026-12-07 08:02:00").value()) lastFeed = line;
  }
  ASSERT_FALSE(lastFeed.empty());
  const auto reset = run.Only({"reset"});
  ASSERT_EQ(reset.size(), 1u);
  EXPECT_EQ(TimeOf(reset[0]) - TimeOf(lastFeed), seconds{60}) << lastFeed << " / " << reset[0];
  const std::string at = reset[0].substr(0, 19);
  EXPECT_THAT(run.Between(" reset ", " chip "),
              ElementsAre(at + " reset cause=watchdog", at + " on cause=watchdog", at + " start",
                          at + " eventlog id=100 level=information text=\"start path=C:\\VESK\\VESK.exe\"",
                          at + " registry key=\"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\" "
                               "value=\"VESK\" data=\"C:\\VESK\\VESK.exe\"",
                          at + " registry key=\"HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\"
                               "CurrentVersion\\Run\" value=\"VESK\" data=\"C:\\VESK\\VESK.exe\"",
                          at + " eventlog id=130 level=information text=\"drivers path=libraries\""));
  EXPECT_THAT(run.Only({"exit"}), IsEmpty());
}

// What the user does, and the lines it leaves: those with the given event
// words, or everything (feeds aside) from the first line containing `from`.
struct ScriptCase {
  const char* profile;
  const char* start;
  Microseconds duration;
  std::vector<PhaseSpec> week;
  const char* script;
  std::vector<std::string> words;
  const char* from;
  std::vector<std::string> expected;
};

TEST(MachineScript, UserActionsAndTheirEffects) {
  const std::vector<PhaseSpec> officeDay{{1, HM(8, 0), HM(18, 0)}};
  const ScriptCase cases[] = {
      // Postpone from the warning moves the shutdown.
      {"mcu-intel-i2c", "2026-12-07 10:00:00", minutes{60}, {{1, HM(10, 0), HM(10, 20)}}, "2026-12-07 10:16:00 postpone 0:30\n",
       {"warning", "notice", "action", "postpone", "command", "off"}, nullptr,
       {"2026-12-07 10:15:00 warning shutdown=\"1 10:20\"", "2026-12-07 10:15:00 notice",
        "2026-12-07 10:16:00 action line=1 do=\"postpone 0:30\"",
        "2026-12-07 10:16:00 postpone minutes=30 shutdown=\"1 10:50\"", "2026-12-07 10:45:00 warning shutdown=\"1 10:50\"",
        "2026-12-07 10:45:00 notice", "2026-12-07 10:50:00 command line=\"Cmd.exe /C shutdown -s -f -t 30\"",
        "2026-12-07 10:50:30 off"}},
      // A postponement to 18:00, where a period begins within three minutes,
      // is spent unused: 22:00 counts again.
      {"mcu-amd", "2026-12-07 17:20:00", std::chrono::hours{5}, {{1, HM(8, 0), HM(17, 30)}, {1, HM(18, 2), HM(22, 0)}},
       "2026-12-07 17:26:00 postpone 0:30\n", {"warning", "command"}, nullptr,
       {"2026-12-07 17:25:00 warning shutdown=\"1 17:30\"", "2026-12-07 21:55:00 warning shutdown=\"1 22:00\"",
        "2026-12-07 22:00:00 command line=\"Cmd.exe /C shutdown -s -f -t 30\""}},
      // The user aborts the system's shutdown: the machine stays on, nothing
      // is issued again overnight, the next period's end shuts down again.
      {"mcu-amd", "2026-12-07 17:20:00", std::chrono::hours{24} + minutes{15},
       {{1, HM(8, 0), HM(17, 30)}, {2, HM(8, 0), HM(17, 30)}},
       "2026-12-07 17:30:10 abort\n2026-12-07 18:00:00 abort\n", {"warning", "action", "command", "off"}, nullptr,
       {"2026-12-07 17:25:00 warning shutdown=\"1 17:30\"", "2026-12-07 17:30:00 command line=\"Cmd.exe /C shutdown -s -f -t 30\"",
        "2026-12-07 17:30:10 action line=1 do=\"abort\"",
        "2026-12-07 18:00:00 action line=2 do=\"abort\" failed=\"no system shutdown is in progress\"",
        "2026-12-08 17:25:00 warning shutdown=\"2 17:30\"", "2026-12-08 17:30:00 command line=\"Cmd.exe /C shutdown -s -f -t 30\"",
        "2026-12-08 17:30:30 off"}},
      // A timetable made and saved by the user survives the power cycle.
      {"mcu-intel-smbus", "2026-12-07 08:00:00", std::chrono::hours{24 * 7} + minutes{10}, {},
       "2026-12-07 08:00:10 open\n2026-12-07 08:00:20 select Monday\n"
       "2026-12-07 08:00:30 phase 1 on 08:00 08:30\n2026-12-07 08:00:40 save\n",
       {"save", "alarm", "command", "off", "on", "start"}, nullptr,
       {"2026-12-07 08:00:00 on cause=power", "2026-12-07 08:00:00 start", "2026-12-07 08:00:40 save",
        // Next Monday 08:00, seen from Monday 08:00: next week.
        "2026-12-07 08:00:40 alarm weekday=1 hour=8 minute=0 day=9",
        "2026-12-07 08:30:00 command line=\"Cmd.exe /C shutdown -s -f -t 30\"", "2026-12-07 08:30:30 off",
        "2026-12-14 08:00:00 on cause=alarm", "2026-12-14 08:00:00 start",
        "2026-12-14 08:00:00 alarm weekday=1 hour=8 minute=0 day=9"}},
      // Actions that cannot be done are reported.
      {"mcu-amd", "2026-12-07 08:00:00", minutes{3}, officeDay,
       "2026-12-07 08:01:00 cancel\n2026-12-07 08:01:30 power\n2026-12-07 08:02:00 kill\n2026-12-07 08:02:10 open\n",
       {"action"}, nullptr,
       {"2026-12-07 08:01:00 action line=1 do=\"cancel\" failed=\"there is no warning\"",
        "2026-12-07 08:01:30 action line=2 do=\"power\" failed=\"the machine is on\"",
        "2026-12-07 08:02:00 action line=3 do=\"kill\"",
        "2026-12-07 08:02:10 action line=4 do=\"open\" failed=\"the program is not running\""}},
      // The tray menu's exit: watchdog off, shutdown aborted, process gone;
      // nothing feeds or resets afterwards.
      {"mcu-amd", "2026-12-07 08:00:00", minutes{10}, officeDay, "2026-12-07 08:05:00 exit\n", {}, "do=\"exit\"",
       {"2026-12-07 08:05:00 action line=1 do=\"exit\"", "2026-12-07 08:05:00 watchdog action=stop kind=mcu",
        "2026-12-07 08:05:00 command line=\"Cmd.exe /C shutdown -a\"", "2026-12-07 08:05:00 exit code=0"}},
  };
  for (const ScriptCase& c : cases) {
    SCOPED_TRACE(c.script);
    Scenario scenario(c.profile, c.start, c.duration);
    if (!c.week.empty()) scenario.Week(c.week);
    const Timeline run = scenario.Script(c.script).Play();
    if (c.from) {
      EXPECT_THAT(run.Between(c.from, "no such line"), ElementsAreArray(c.expected));
    } else {
      EXPECT_THAT(run.Only(c.words), ElementsAreArray(c.expected));
    }
  }
}

}  // namespace
}  // namespace vesk::sim
