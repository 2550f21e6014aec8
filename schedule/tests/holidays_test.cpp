#include "schedule/holidays.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "schedule/next_events.h"
#include "sim/os/simulated_os.h"

namespace vesk {
namespace {

// What a file gives, "DATE PERIODS;" per date, or the English refusal.
std::string Parsed(std::string_view text) {
  HolidayError error;
  const auto holidays = ParseHolidays(text, error);
  if (!holidays) return DescribeHolidayFileError(error, 1033).text;
  std::string out;
  for (const auto& [date, periods] : *holidays) out += FormatDate(date) + " " + FormatHolidayPeriods(periods) + ";";
  return out;
}

TEST(Holidays, FileLinesAndTheirFaults) {
  const std::string ignored = ". The whole file is ignored; the weekly timetable applies.";
  const std::string bad = "expected \"YYYY-MM-DD off\" or \"YYYY-MM-DD HH:MM-HH:MM\" with up to three periods "
                          "separated by commas";
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF# closed\r\n\n2026-12-25 OFF  # Christmas\r\n 2026-12-24\t8:00-12:00 , 13:00-14:00\n",
       "2026-12-24 08:00-12:00,13:00-14:00;2026-12-25 off;"},
      {"2026-12-24 13:01-23:59,08:00-12:00,12:01-13:00", "2026-12-24 13:01-23:59,08:00-12:00,12:01-13:00;"},
      // As Notepad writes it: every line ends in CR LF.
      {"2026-12-24 08:00-12:00\r\n2026-12-25 off\r\n2026-12-26 09:00-10:00,11:00-12:00\r\n",
       "2026-12-24 08:00-12:00;2026-12-25 off;2026-12-26 09:00-10:00,11:00-12:00;"},
      {"2026-12-25 off\n2026-12-24", "Holidays.txt, line 2: " + bad + ignored},
      {"2026-12-24 08:00-12:00,", "Holidays.txt, line 1: " + bad + ignored},
      {"2026-02-29 off", "Holidays.txt, line 1: there is no such date" + ignored},
      {"2026-12-24 08:00-24:00", "Holidays.txt, line 1: a time must lie between 00:00 and 23:59" + ignored},
      {"2026-12-24 08:00-09:00,10:00-11:00,12:00-13:00,14:00-15:00",
       "Holidays.txt, line 1: a day has at most three periods" + ignored},
      {"2026-12-24 08:00-12:00,13:00-13:00",
       "Holidays.txt, line 1: in period 2 the shutdown time must be later than the power-on time" + ignored},
      {"2026-12-24 08:00-12:00,12:00-13:00", "Holidays.txt, line 1: the periods overlap" + ignored},
      {"2026-12-25 off\n\n2026-12-25 09:00-10:00",
       "Holidays.txt, line 3: this date is given on an earlier line too" + ignored},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Parsed(text), expected) << text;
}

// What is in force changes only for what two reads in a row agree on, and
// never for a file that merely cannot be read now.
TEST(Holidays, FileCountsWhenTwoReadsAgreeAndABusyFileKeepsWhatIsInForce) {
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  HolidayFile file;
  const std::string path = HolidaysFilePath(os);
  const auto read = [&](const std::string& text, HolidayTake take = HolidayTake::kWhenConfirmed) {
    os.Files()[path].assign(text.begin(), text.end());
    if (text.empty()) os.Files().erase(path);  // no file
    return file.Refresh(os, 1033, take);
  };
  EXPECT_TRUE(read("2026-12-25 off\n"));  // the run's first read counts at once
  EXPECT_FALSE(read("2026-12-25 off\n2026-12-3"));  // a copy caught half-way
  EXPECT_FALSE(read("2026-12-25 off\n2026-12-31 off\n"));
  EXPECT_TRUE(read("2026-12-25 off\n2026-12-31 off\n"));
  os.LockFile(path, clock.Now() + std::chrono::seconds{10});
  EXPECT_FALSE(file.Refresh(os, 1033));
  EXPECT_EQ(file.NewReadFailure(), sim::SimulatedOs::kSharingViolation);
  EXPECT_FALSE(file.Refresh(os, 1033));
  EXPECT_EQ(file.NewReadFailure(), "");  // once a spell
  EXPECT_EQ(file.InForce().size(), 2u);
  clock.Advance(std::chrono::seconds{10});
  EXPECT_FALSE(read(""));
  EXPECT_TRUE(read(""));  // gone for good: none

  // The program's own save counts at once; 65536 bytes are read, one more
  // is refused, and told once.
  std::string longest = "2026-12-25 off\n";
  longest.resize(kHolidaysFileMaxBytes, '#');
  EXPECT_TRUE(read(longest, HolidayTake::kAtOnce));
  EXPECT_TRUE(read(longest + "#", HolidayTake::kAtOnce));
  EXPECT_FALSE(read(longest + "#"));
  ASSERT_EQ(os.MessageBoxes().size(), 1u);
  EXPECT_EQ(os.MessageBoxes()[0].text.rfind("Holidays.txt: the file is longer than 65536 bytes.", 0), 0u);
}

// The office week, Monday to Friday 08:00-17:30, around Christmas 2026
// (the 24th is a Thursday): at a local time, "next shutdown | next power-on
// (date) | due".
TEST(Holidays, NextEventsOnHandWorkedDates) {
  WeekSchedule week;
  for (int day = 1; day <= 5; ++day) week.Days[static_cast<std::size_t>(day)].Phases[0] = {1, 8 * 60, 17 * 60 + 30};
  const auto holidaysOf = [](const char* text) {
    HolidayError error;
    return *ParseHolidays(text, error);
  };
  const Holidays christmas = holidaysOf("2026-12-24 08:00-12:00\n2026-12-25 off\n2026-12-31 off\n");
  // Whole days off from `first` for `days` days.
  const auto closed = [](Holidays holidays, LocalTime first, int days) {
    for (int d = 0; d < days; ++d) holidays[*DateOf(first) + std::chrono::days{d}] = {};
    return holidays;
  };
  const Holidays closure = closed({}, {2026, 12, 0, 21}, 14);
  const Holidays earlyMonday = closed(holidaysOf("2026-12-21 07:00-07:58\n"), {2026, 12, 0, 22}, 6);

  struct Case {
    const Holidays* holidays;
    const char* at;
    const char* expected;
  };
  const Case cases[] = {
      {&christmas, "2026-12-24 10:00", "4 12:00 | 2026-12-28 08:00 | -"},
      {&christmas, "2026-12-24 12:00", "4 12:00 | 2026-12-28 08:00 | due"},
      {&christmas, "2026-12-23 17:30", "3 17:30 | 2026-12-24 08:00 | due"},
      {&christmas, "2026-12-30 17:30", "3 17:30 | 2027-01-01 08:00 | due"},
      {&christmas, "2026-12-25 09:00", "5 09:00 | 2026-12-28 08:00 | due"},  // started on a closed day
      {&closure, "2026-12-18 17:30", "5 17:30 | 2027-01-04 08:00 | due"},
      {&closure, "2026-12-28 08:00", "1 08:00 | 2027-01-04 08:00 | due"},  // the chip woke it a week early
      // The next power-on is on the same weekday a week later, two minutes
      // after the clock's minute: far away, not "in two minutes".
      {&earlyMonday, "2026-12-21 07:58", "1 07:58 | 2026-12-28 08:00 | due"},
  };
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  const Postponement none;
  for (const Case& c : cases) {
    clock.Set(*sim::ParseSimTime(c.at));
    const LocalTime shutdown = GetNextShutdown(week, none, os, *c.holidays);
    const LocalTime powerOn = GetNextPowerOn(week, shutdown, *c.holidays);
    char text[64];
    std::snprintf(text, sizeof text, "%u %02u:%02u | %s %02u:%02u | %s", shutdown.wDayOfWeek, shutdown.wHour,
                  shutdown.wMinute, FormatDate(*DateOf(powerOn)).c_str(), powerOn.wHour, powerOn.wMinute,
                  IsShutdownDue(week, none, true, os, *c.holidays) ? "due" : "-");
    EXPECT_EQ(text, std::string(c.expected)) << c.at;
  }
}

}  // namespace
}  // namespace vesk
