// vesk-sim next: the next shutdown and power-on of a timetable file in force
// at a given local time, and whether the shutdown and its warning are due.
#include <cstdio>
#include <optional>
#include <regex>
#include <string>

#include "schedule/next_events.h"
#include "sim/cli/command.h"
#include "sim/cli/schedule_input.h"
#include "sim/os/simulated_os.h"
#include "sim/os/virtual_clock.h"

namespace vesk::sim::cli {
namespace {

constexpr const char* kName = "next";
constexpr uint16_t kEnglish = 1033;

struct WeekdayTime {
  uint8_t day = 0;
  uint8_t hour = 0;
  uint8_t minute = 0;
};

// "D HH:MM": weekday 0 (Sunday) to 6, hour 0 to 23, minute 0 to 59.
std::optional<WeekdayTime> ParseWeekdayTime(const std::string& text) {
  static const std::regex pattern{R"(([0-6]) ([0-9]{1,2}):([0-9]{2}))"};
  std::smatch match;
  if (!std::regex_match(text, match, pattern)) return std::nullopt;
  const int hour = std::stoi(match[2]);
  const int minute = std::stoi(match[3]);
  if (hour > 23 || minute > 59) return std::nullopt;
  return WeekdayTime{static_cast<uint8_t>(std::stoi(match[1])), static_cast<uint8_t>(hour),
                     static_cast<uint8_t>(minute)};
}

std::string FormatWeekdayTime(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%u %02u:%02u", t.wDayOfWeek, t.wHour, t.wMinute);
  return text;
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

int Fail(std::ostream& err, const std::string& reason) {
  err << "vesk-sim " << kName << ": " << reason << "\n";
  return kExitUsage;
}

int RunNext(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto options =
      Options::Parse(args, {{"--schedule", 1}, {"--at", 1}, {"--postpone", 2}, {"--holidays", 1}}, error);
  if (!options) return Fail(err, error);
  if (!options->Has("--schedule")) return Fail(err, "--schedule FILE is required");
  if (!options->Has("--at")) return Fail(err, "--at \"YYYY-MM-DD HH:MM[:SS]\" is required");

  const auto at = ParseSimTime(*options->Get("--at"));
  if (!at) return Fail(err, "--at '" + *options->Get("--at") + "' is not a local time \"YYYY-MM-DD HH:MM[:SS]\"");

  Postponement postponement;
  if (options->Has("--postpone")) {
    const auto& values = options->All("--postpone");
    const auto origin = ParseWeekdayTime(values[0]);
    const auto target = ParseWeekdayTime(values[1]);
    if (!origin || !target) {
      return Fail(err, "--postpone takes origin and target as \"D HH:MM\" (D 0 = Sunday to 6)");
    }
    postponement.Day = {origin->day, target->day};
    postponement.Hour = {origin->hour, target->hour};
    postponement.Minute = {origin->minute, target->minute};
  }

  VirtualClock clock{*at};
  SimulatedOs os{clock};
  const auto schedule = LoadScheduleFromHostFile(*options->Get("--schedule"), os, error);
  if (!schedule) return Fail(err, error);
  Holidays holidays;
  if (const auto path = options->Get("--holidays")) {
    auto loaded = LoadHolidaysFromHostFile(*path, os, kEnglish, error);
    if (!loaded) return Fail(err, "'" + *path + "' refused: " + error);
    holidays = std::move(*loaded);
  }

  // The file is the timetable in force.
  constexpr bool kArmed = true;
  const LocalTime shutdown = GetNextShutdown(*schedule, postponement, os, holidays);
  const LocalTime powerOn = GetNextPowerOn(*schedule, shutdown, holidays);
  out << "next_shutdown: " << FormatWeekdayTime(shutdown) << "\n"
      << "next_poweron: " << FormatWeekdayTime(powerOn) << "\n"
      << "shutdown_due: " << YesNo(IsShutdownDue(*schedule, postponement, kArmed, os, holidays)) << "\n"
      << "warning_due: " << YesNo(IsWarningDue(*schedule, postponement, kArmed, os, holidays)) << "\n";
  // Across holidays the weekday alone no longer says which week.
  if (options->Has("--holidays")) {
    out << "next_shutdown_date: " << FormatDate(*DateOf(shutdown)) << "\n"
        << "next_poweron_date: " << FormatDate(*DateOf(powerOn)) << "\n";
  }
  return kExitOk;
}

const CommandRegistration registration{
    {kName,
     "next --schedule FILE --at \"YYYY-MM-DD HH:MM[:SS]\" [--postpone \"D HH:MM\" \"D HH:MM\"] [--holidays FILE]",
     &RunNext}};

}  // namespace
}  // namespace vesk::sim::cli
