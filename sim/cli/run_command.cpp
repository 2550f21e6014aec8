// vesk-sim run: the whole program on a simulated machine, as a timeline of
// events.
#include <fstream>
#include <ostream>

#include "history/history.h"
#include "sim/board/board_profile.h"
#include "sim/cli/command.h"
#include "sim/cli/schedule_input.h"
#include "sim/firmware/firmware_tables.h"
#include "sim/machine/machine.h"

namespace vesk::sim::cli {
namespace {

constexpr const char* kPrefix = "vesk-sim run: ";
constexpr const char* kDefaultTable = "accepted";

int Fail(std::ostream& err, const std::string& reason) {
  err << kPrefix << reason << "\n";
  return kExitUsage;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string list;
  for (const auto& name : names) list += (list.empty() ? "" : ", ") + name;
  return list;
}

std::optional<FirmwareTable> ChosenTable(const Options& options, std::string& error) {
  if (options.Has("--smbios") && options.Has("--table")) {
    error = "give at most one of --smbios FILE and --table NAME";
    return std::nullopt;
  }
  if (options.Has("--smbios")) return LoadFirmwareTableFile(*options.Get("--smbios"), error);
  const std::string name = options.Get("--table").value_or(kDefaultTable);
  auto table = NamedFirmwareTable(name);
  if (!table) error = "unknown table '" + name + "' (known: " + JoinNames(FirmwareTableNames()) + ")";
  return table;
}

// Script steps must fall inside the run.
std::optional<std::vector<ScriptStep>> LoadScript(const std::string& path, SimTime from, SimTime end,
                                                  std::string& error) {
  const auto bytes = ReadHostFile(path, error);
  if (!bytes) return std::nullopt;
  auto steps = ParseScript(std::string(bytes->begin(), bytes->end()), error);
  if (!steps) {
    error = "script '" + path + "' " + error;
    return std::nullopt;
  }
  for (const ScriptStep& step : *steps) {
    if (step.at < from || step.at >= end) {
      error = "script '" + path + "' line " + std::to_string(step.line) + ": " + FormatSimTime(step.at) +
              " is outside the run (" + FormatSimTime(from) + " to " + FormatSimTime(end) + ")";
      return std::nullopt;
    }
  }
  return steps;
}

int RunRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto options = Options::Parse(args,
                                      {{"--board", 1}, {"--smbios", 1}, {"--table", 1}, {"--schedule", 1},
                                       {"--from", 1}, {"--for", 1}, {"--lang", 1}, {"--trace-bus", 0},
                                       {"--script", 1}, {"--every-tick", 0}, {"--bus-totals", 0},
                                       {"--holidays", 1}, {"--history", 1}, {"--tz", 1}, {"--driver", 1}},
                                      error);
  if (!options) return Fail(err, error);
  if (!options->Has("--board")) return Fail(err, "--board PROFILE is required");
  if (!options->Has("--from")) return Fail(err, "--from \"YYYY-MM-DD HH:MM:SS\" is required");
  if (!options->Has("--for")) return Fail(err, "--for DURATION is required (90s, 15m, 36h, 7d)");

  MachineOptions machine;
  const std::string board = *options->Get("--board");
  const auto profile = ParseBoardProfile(board);
  if (!profile) return Fail(err, "unknown board '" + board + "' (known: " + JoinNames(BoardProfileNames()) + ")");
  machine.profile = *profile;

  auto table = ChosenTable(*options, error);
  if (!table) return Fail(err, error);
  machine.table = std::move(*table);

  const std::string zone = options->Get("--tz").value_or("UTC");
  const auto timeZone = TimeZone::Named(zone);
  if (!timeZone) return Fail(err, "--tz '" + zone + "' is not a time zone of the system's database (Europe/Berlin, UTC, ...)");
  machine.zone = *timeZone;

  const auto from = ParseSimTime(*options->Get("--from"));
  if (!from) return Fail(err, "--from '" + *options->Get("--from") + "' is not a local time \"YYYY-MM-DD HH:MM:SS\"");
  machine.from = *from;
  const auto duration = ParseDuration(*options->Get("--for"));
  if (!duration) {
    return Fail(err, "--for '" + *options->Get("--for") +
                         "' is not a duration: a whole number with s, m, h or d, at most 400 days");
  }
  machine.duration = *duration;

  if (const auto lang = options->Get("--lang")) {
    const auto id = ParseLangId(*lang);
    if (!id) return Fail(err, "--lang needs a language id from 0 to 65535, not '" + *lang + "'");
    machine.langId = *id;
  }
  if (const auto schedule = options->Get("--schedule")) {
    auto bytes = ReadHostFile(*schedule, error);
    if (!bytes) return Fail(err, error);
    machine.timetable = std::move(*bytes);
  }
  if (const auto holidays = options->Get("--holidays")) {
    auto bytes = ReadHostFile(*holidays, error);
    if (!bytes) return Fail(err, error);
    machine.holidays = std::move(*bytes);
  }
  if (const auto script = options->Get("--script")) {
    auto steps = LoadScript(*script, machine.from, machine.from + machine.duration, error);
    if (!steps) return Fail(err, error);
    machine.script = std::move(*steps);
  }
  machine.traceBus = options->Has("--trace-bus");
  machine.coalesceTicks = !options->Has("--every-tick");
  machine.busTotals = options->Has("--bus-totals");
  const std::string driver = options->Get("--driver").value_or("libraries");
  if (driver != "libraries" && driver != "pawnio") return Fail(err, "--driver is pawnio or libraries, not '" + driver + "'");
  machine.pawnio = driver == "pawnio";
  machine.skinRoot = DefaultSkinRoot();

  Machine run{std::move(machine), [&out](const std::string& line) { out << line << '\n'; }};
  run.Run();
  out.flush();
  if (const auto path = options->Get("--history")) {
    // The simulated disk's history as the user would open it; empty when
    // the program never wrote one.
    const std::vector<uint8_t> history = run.DiskFile(history::kFileName).value_or(std::vector<uint8_t>{});
    std::ofstream file(*path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(history.data()), static_cast<std::streamsize>(history.size()));
    if (!file.flush()) return Fail(err, "cannot write the history to '" + *path + "'");
  }
  return kExitOk;
}

const CommandRegistration registration{
    {"run",
     "run --board PROFILE [--smbios FILE|--table NAME] [--schedule FILE] --from \"YYYY-MM-DD HH:MM:SS\"\n"
     "      --for DURATION [--tz ZONE] [--lang ID] [--trace-bus] [--script FILE] [--every-tick] [--bus-totals]\n"
     "      [--holidays FILE] [--history FILE]",
     &RunRun}};

}  // namespace
}  // namespace vesk::sim::cli
