// Holidays on the whole simulated machine: December on the office week
// (Monday to Friday 08:00-17:30), one dated change made through the editor by
// a script, a two-week closure, and a file with a bad line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "schedule/week_schedule.h"
#include "sim/board/board_profile.h"
#include "sim/firmware/firmware_tables.h"
#include "sim/machine/machine.h"

namespace vesk::sim {
namespace {

std::vector<std::string> Play(const char* profile, const char* from, int days, const std::string& holidays,
                              const std::string& script = {}) {
  MachineOptions options;
  options.profile = ParseBoardProfile(profile).value();
  options.table = NamedFirmwareTable("accepted").value();
  options.from = ParseSimTime(from).value();
  options.duration = std::chrono::hours{24 * days};
  options.skinRoot = VESK_SOURCE_DIR;
  WeekSchedule office;
  for (int day = 1; day <= 5; ++day) office.Days[static_cast<std::size_t>(day)].Phases[0] = {1, 8 * 60, 17 * 60 + 30};
  const auto image = ScheduleToBytes(office);
  options.timetable.emplace(image.begin(), image.end());
  options.holidays.emplace(holidays.begin(), holidays.end());
  std::string error;
  options.script = ParseScript(script, error).value();
  std::vector<std::string> lines;
  Machine{options, [&](const std::string& line) { lines.push_back(line); }}.Run();
  return lines;
}

// The lines whose event word is `word`, or their dates only.
std::vector<std::string> Only(const std::vector<std::string>& lines, const std::string& word, bool dates = false) {
  std::vector<std::string> kept;
  for (const auto& line : lines) {
    if ((line + " ").compare(20, word.size() + 1, word + " ") == 0) kept.push_back(dates ? line.substr(0, 10) : line);
  }
  return kept;
}

// A working Saturday (the week has none) while "Holidays.txt" is held by a
// copy, caught half-written, or without its exceptions for a while.
TEST(HolidaysOnTheMachine, AWorkingSaturdayOutlastsABusyHalfWrittenOrEmptiedFile) {
  const std::string saturday = "2026-12-12 08:00-16:00\n";
  const std::string whole = ::testing::TempDir() + "vesk-holidays-whole.txt";
  const std::string none = ::testing::TempDir() + "vesk-holidays-none.txt";
  std::ofstream(whole, std::ios::binary) << saturday;
  std::ofstream(none, std::ios::binary) << "# nothing this month\n";
  const std::string scripts[] = {
      "2026-12-12 10:00:00 disk lock Holidays.txt 10\n",
      "2026-12-12 09:59:59 disk cut Holidays.txt 15\n2026-12-12 10:00:02 disk write Holidays.txt " + whole + "\n",
      "2026-12-12 10:00:00 disk write Holidays.txt " + none + "\n2026-12-12 10:00:15 disk write Holidays.txt " +
          whole + "\n",
  };
  std::vector<std::string> commands;
  for (const std::string& script : scripts) {
    SCOPED_TRACE(script);
    const auto run = Play("mcu-intel-smbus", "2026-12-12 08:00:00", 1, saturday, script);
    ASSERT_FALSE(Only(run, "off").empty());
    EXPECT_EQ(Only(run, "off").front(), "2026-12-12 16:00:30 off");
    EXPECT_THAT(Only(run, "message"), ::testing::IsEmpty());
    commands = Only(run, "command");
  }
  // Without its exceptions long enough, the shutdown began; called off after.
  ASSERT_GE(commands.size(), 2u);
  EXPECT_THAT(commands[0], ::testing::MatchesRegex("2026-12-12 10:00:.* shutdown -s -f -t 30\""));
  EXPECT_THAT(commands[1], ::testing::HasSubstr("shutdown -a"));
}

TEST(HolidaysOnTheMachine, ChristmasWeekAndAClosureOfTwoWeeks) {
  const auto christmas = Play("mcu-intel-smbus", "2026-12-21 07:00:00", 12,
                              "# December\n2026-12-24 08:00-12:00\n2026-12-31 off\n",
                              "2026-12-21 09:00:00 open\n2026-12-21 09:00:01 holidays\n"
                              "2026-12-21 09:00:02 holiday add 2026-12-25 off\n2026-12-21 09:00:03 holiday save\n"
                              "2026-12-21 09:00:04 holiday close\n2026-12-21 09:00:05 hide\n");
  EXPECT_THAT(Only(christmas, "on", true),
              ::testing::ElementsAre("2026-12-21", "2026-12-21", "2026-12-22", "2026-12-23", "2026-12-24", "2026-12-28",
                                     "2026-12-29", "2026-12-30", "2027-01-01"));
  EXPECT_THAT(christmas, ::testing::Contains("2026-12-21 09:00:03 holidays-save"));
  EXPECT_THAT(christmas, ::testing::Contains("2026-12-24 12:00:30 off"));
  EXPECT_THAT(Only(christmas, "message"), ::testing::IsEmpty());

  std::string closure;
  for (int day = 21; day <= 31; ++day) closure += "2026-12-" + std::to_string(day) + " off\n";
  closure += "2027-01-01 off\n2027-01-02 off\n2027-01-03 off\n";
  // The real-time clock holds the date; the micro-controller's day codes end
  // on the next week's Saturday: the board starts there and goes again.
  EXPECT_THAT(Only(Play("mcu-intel-smbus", "2026-12-18 17:00:00", 17, closure), "on", true),
              ::testing::ElementsAre("2026-12-18", "2026-12-26", "2027-01-02", "2027-01-04"));
  EXPECT_THAT(Only(Play("rtc-a2-amd", "2026-12-18 17:00:00", 17, closure), "on", true),
              ::testing::ElementsAre("2026-12-18", "2027-01-04"));

  // A bad line: one message, and the 24th is a whole weekday again.
  const auto bad = Play("mcu-intel-smbus", "2026-12-24 07:59:00", 1, "2026-12-24 08:00-12:00\n2026-12-25 of\n");
  EXPECT_THAT(Only(bad, "message"), ::testing::ElementsAre(::testing::HasSubstr("Holidays.txt, line 2: expected")));
  EXPECT_THAT(Only(bad, "eventlog"), ::testing::Contains(::testing::HasSubstr(
                                         "eventlog id=160 level=error text=\"holidays-refused reason=\\\"Holidays.txt, line 2")));
  EXPECT_THAT(bad, ::testing::Contains("2026-12-24 17:30:30 off"));
}

}  // namespace
}  // namespace vesk::sim
