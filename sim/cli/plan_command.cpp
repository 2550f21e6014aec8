// vesk-sim plan: weeks of a board as an SVG calendar, either simulated from
// a timetable on the simulated machine (the same one "run" plays) or read
// from a board's own history file.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "history/history.h"
#include "schedule/holidays.h"
#include "sim/board/board_profile.h"
#include "sim/cli/command.h"
#include "sim/cli/schedule_input.h"
#include "sim/firmware/firmware_tables.h"
#include "sim/machine/machine.h"
#include "sim/plan/calendar_svg.h"
#include "sim/plan/sources.h"

namespace vesk::sim::cli {
namespace {

using namespace std::chrono;

constexpr const char* kPrefix = "vesk-sim plan: ";
constexpr const char* kShortUsage =
    "usage: vesk-sim plan (--schedule FILE --from YYYY-MM-DD --weeks N | --history VESK.log) --svg OUT "
    "[--holidays FILE] [--tz ZONE] [--board PROFILE] [--script FILE] [--lang ID]";
// The quickest board to simulate; the timetable does the same on every one.
constexpr const char* kDefaultBoard = "rtc-a2-intel-i2c";
constexpr uint16_t kChinese = 2052;

// Bad arguments end with the usage; a file that cannot be read or written
// with the reason alone.
int Fail(std::ostream& err, const std::string& reason) {
  err << kPrefix << reason << "; " << kShortUsage << "\n";
  return kExitUsage;
}
int FailOnFile(std::ostream& err, const std::string& reason) {
  err << kPrefix << reason << "\n";
  return kExitUsage;
}

std::optional<int> ParseWhole(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

// What the timetable and its holidays plan for each drawn day, by the
// program's own rules.
std::vector<plan::PlannedDay> PlannedDays(const WeekSchedule& week, const Holidays& holidays, plan::Days first,
                                          int count) {
  std::vector<plan::PlannedDay> planned;
  for (int i = 0; i < count; ++i) {
    plan::PlannedDay day{first + days{i}, plan::DayKind::Working, {}};
    for (const Phase& phase : PeriodsOn(week, holidays, day.day).Phases) {
      if (phase.IsOn()) day.periods.emplace_back(phase.Start, phase.End);
    }
    const bool holiday = holidays.count(day.day) > 0;
    if (day.periods.empty()) day.kind = holiday ? plan::DayKind::HolidayOff : plan::DayKind::DayOff;
    else if (holiday) day.kind = plan::DayKind::Holiday;
    planned.push_back(std::move(day));
  }
  return planned;
}

struct Plan {
  std::optional<WeekSchedule> week;
  Holidays holidays;
  std::optional<std::vector<uint8_t>> holidayBytes;
  std::string source;
};

// The timetable and holidays files, read as the program reads them; a file
// it would refuse is refused here with its message.
bool LoadPlan(const Options& options, uint16_t langId, Plan& plan, std::string& error) {
  VirtualClock clock{SimTime{}};
  SimulatedOs os{clock};
  if (const auto path = options.Get("--schedule")) {
    plan.week = LoadScheduleFromHostFile(*path, os, error);
    if (!plan.week) return false;
    plan.source = std::filesystem::path(*path).filename().string();
  }
  if (const auto path = options.Get("--holidays")) {
    plan.holidayBytes = ReadHostFile(*path, error);
    if (!plan.holidayBytes) return false;
    auto loaded = LoadHolidaysFromHostFile(*path, os, langId, error);
    if (!loaded) {
      error = "'" + *path + "' refused: " + error;
      return false;
    }
    plan.holidays = std::move(*loaded);
    plan.source += ", " + std::filesystem::path(*path).filename().string();
  }
  return true;
}

// Weeks of the simulated machine. It is switched on at midnight the day
// before the first row, so that the first day already shows the timetable's
// own cycle rather than the first power-on.
std::optional<plan::Timeline> Simulate(const Options& options, const Plan& plan, plan::Days first, int weeks,
                                       uint16_t langId, std::string& error) {
  MachineOptions machine;
  const std::string board = options.Get("--board").value_or(kDefaultBoard);
  const auto profile = ParseBoardProfile(board);
  if (!profile) {
    error = "unknown board '" + board + "'";
    return std::nullopt;
  }
  machine.profile = *profile;
  machine.table = *NamedFirmwareTable("accepted");
  const std::string zone = options.Get("--tz").value_or("UTC");
  const auto timeZone = TimeZone::Named(zone);
  if (!timeZone) {
    error = "--tz '" + zone + "' is not a time zone of the system's database";
    return std::nullopt;
  }
  machine.zone = *timeZone;
  const plan::Stamp start{first - days{1}};
  machine.from = *ParseSimTime(plan::FormatStamp(start));
  machine.duration = duration_cast<Microseconds>(days{7 * weeks + 1});
  machine.timetable = ReadHostFile(*options.Get("--schedule"), error);
  machine.holidays = plan.holidayBytes;
  machine.langId = langId;
  machine.skinRoot = DefaultSkinRoot();
  if (const auto path = options.Get("--script")) {
    const auto text = ReadHostFile(*path, error);
    auto steps = text ? ParseScript(std::string(text->begin(), text->end()), error) : std::nullopt;
    if (!steps) {
      error = "script '" + *path + "' " + error;
      return std::nullopt;
    }
    for (const ScriptStep& step : *steps) {
      if (step.at < machine.from || step.at >= machine.from + machine.duration) {
        error = "script '" + *path + "' line " + std::to_string(step.line) + " lies outside the weeks drawn";
        return std::nullopt;
      }
    }
    machine.script = std::move(*steps);
  }

  std::vector<std::string> lines;
  Machine run{std::move(machine), [&lines](const std::string& line) { lines.push_back(line); }};
  run.Run();
  plan::Timeline timeline = plan::TimelineFromEvents(lines, start + days{7 * weeks + 1});
  return timeline;
}

// The history file, and the one rotated out before it when it lies beside.
std::optional<std::vector<plan::HistoryText>> ReadHistory(const std::string& path, std::string& error) {
  std::vector<plan::HistoryText> files;
  const std::filesystem::path current(path);
  std::vector<std::filesystem::path> paths{current};
  const auto older = current.parent_path() / history::kOlderFileName;
  std::error_code ignored;
  if (current.filename() == history::kFileName && std::filesystem::exists(older, ignored)) {
    paths.insert(paths.begin(), older);
  }
  for (const auto& file : paths) {
    auto bytes = ReadHostFile(file.string(), error);
    if (!bytes) return std::nullopt;
    files.push_back({file.filename().string(), std::string(bytes->begin(), bytes->end())});
  }
  return files;
}

// The days the history covers, when the command line does not say.
std::optional<std::pair<plan::Days, plan::Days>> HistorySpan(const plan::Timeline& timeline) {
  std::optional<std::pair<plan::Days, plan::Days>> span;
  const auto widen = [&](plan::Stamp at) {
    const plan::Days day = plan::DayOf(at);
    if (!span) span = {day, day};
    span->first = std::min(span->first, day);
    span->second = std::max(span->second, day);
  };
  for (const auto& period : timeline.periods) {
    widen(period.on);
    widen(period.off);
  }
  for (const auto& mark : timeline.marks) widen(mark.at);
  return span;
}

// The board's history and the days to draw of it: the weeks asked for, or
// up to the history's last day.
std::optional<plan::Timeline> FromHistory(const std::string& path, std::optional<plan::Days>& first,
                                          std::optional<int>& weeks, plan::CalendarOptions& calendar,
                                          std::string& error) {
  const auto files = ReadHistory(path, error);
  if (!files) return std::nullopt;
  plan::Timeline timeline = plan::TimelineFromHistory(*files);
  const auto span = HistorySpan(timeline);
  if (!span && !(first && weeks)) {
    error = "the history holds no line to draw; give --from and --weeks";
    return std::nullopt;
  }
  if (!weeks) {
    const auto shown = (span->second - first.value_or(span->first)).count() + 1;
    weeks = static_cast<int>(std::clamp<long>(static_cast<long>((shown + 6) / 7), 1, plan::kMaxWeeks));
  }
  if (!first) first = std::max(span->first, span->second - days{7 * *weeks - 1});
  for (const auto& file : *files) calendar.source += (calendar.source.empty() ? "" : ", ") + file.name;
  return timeline;
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  return static_cast<bool>(file.flush());
}

int RunPlan(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto options = Options::Parse(args,
                                      {{"--schedule", 1}, {"--holidays", 1}, {"--tz", 1}, {"--board", 1},
                                       {"--from", 1}, {"--weeks", 1}, {"--lang", 1}, {"--svg", 1},
                                       {"--history", 1}, {"--script", 1}},
                                      error);
  if (!options) return Fail(err, error);
  const bool fromHistory = options->Has("--history");
  if (!options->Has("--svg")) return Fail(err, "--svg OUT is required");
  if (!fromHistory && !options->Has("--schedule")) return Fail(err, "--schedule FILE or --history FILE is required");
  if (fromHistory && (options->Has("--tz") || options->Has("--board") || options->Has("--script"))) {
    return Fail(err, "--tz, --board and --script apply to a simulated run, not to a history");
  }
  if (!fromHistory && (!options->Has("--from") || !options->Has("--weeks"))) {
    return Fail(err, "a simulated plan needs --from \"YYYY-MM-DD\" and --weeks N");
  }

  std::optional<plan::Days> first;
  if (const auto from = options->Get("--from")) {
    first = plan::ParseDay(*from);
    if (!first) return Fail(err, "--from '" + *from + "' is not a date \"YYYY-MM-DD\"");
  }
  std::optional<int> weeks;
  if (const auto text = options->Get("--weeks")) {
    weeks = ParseWhole(*text);
    if (!weeks || *weeks < 1) return Fail(err, "--weeks '" + *text + "' is not a whole number of weeks from 1");
    if (*weeks > plan::kMaxWeeks) {
      return Fail(err, "--weeks " + *text + " is too many: one picture holds at most " +
                           std::to_string(plan::kMaxWeeks) + " weeks");
    }
  }
  uint16_t langId = kDefaultLangId;
  if (const auto lang = options->Get("--lang")) {
    const auto id = ParseLangId(*lang);
    if (!id) return Fail(err, "--lang needs a language id from 0 to 65535, not '" + *lang + "'");
    langId = *id;
  }

  Plan plan;
  if (!LoadPlan(*options, langId, plan, error)) return FailOnFile(err, error);
  plan::CalendarOptions calendar;
  calendar.chinese = langId == kChinese;
  calendar.simulated = !fromHistory;
  plan::Timeline timeline;
  if (fromHistory) {
    auto read = FromHistory(*options->Get("--history"), first, weeks, calendar, error);
    if (!read) return FailOnFile(err, error);
    timeline = std::move(*read);
    if (!plan.source.empty()) calendar.source += "; " + plan.source;
  } else {
    auto simulated = Simulate(*options, plan, *first, *weeks, langId, error);
    if (!simulated) return Fail(err, error);
    timeline = std::move(*simulated);
    calendar.source = plan.source + ", " + options->Get("--tz").value_or("UTC") + ", " +
                      options->Get("--board").value_or(kDefaultBoard);
  }
  calendar.first = *first;
  calendar.days = 7 * *weeks;
  // A timetable without any period is no timetable to the program: nothing
  // is planned, the board is left alone.
  if (plan.week && plan.week->AnyPhaseOn()) {
    timeline.planned = PlannedDays(*plan.week, plan.holidays, calendar.first, calendar.days);
  }

  const std::string path = *options->Get("--svg");
  if (!WriteFile(path, plan::DrawCalendar(timeline, calendar))) return FailOnFile(err, "cannot write '" + path + "'");
  out.flush();
  return kExitOk;
}

const CommandRegistration registration{
    {"plan",
     "plan --schedule FILE [--holidays FILE] [--tz ZONE] [--board PROFILE] --from \"YYYY-MM-DD\" --weeks N\n"
     "      [--script FILE] [--lang ID] --svg OUT\n"
     "  plan --history VESK.log [--schedule FILE] [--holidays FILE] [--from \"YYYY-MM-DD\"] [--weeks N]\n"
     "      [--lang ID] --svg OUT",
     &RunPlan}};

}  // namespace
}  // namespace vesk::sim::cli
