// vesk-sim validate: whether a timetable file would be accepted by the
// editor's save, and if not, the message the user would see.
#include <optional>
#include <string>

#include "schedule/validation.h"
#include "sim/cli/command.h"
#include "sim/cli/schedule_input.h"
#include "sim/os/simulated_os.h"
#include "sim/os/virtual_clock.h"

namespace vesk::sim::cli {
namespace {

constexpr const char* kName = "validate";

// One line per answer: a line feed inside the message is written as "\n".
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  return line;
}

int Fail(std::ostream& err, const std::string& reason) {
  err << "vesk-sim " << kName << ": " << reason << "\n";
  return kExitUsage;
}

int Refused(std::ostream& out, SimulatedOs& os);

int RunValidate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto options = Options::Parse(args, {{"--schedule", 1}, {"--lang", 1}, {"--holidays", 1}}, error);
  if (!options) return Fail(err, error);
  if (!options->Has("--schedule") && !options->Has("--holidays")) {
    return Fail(err, "--schedule FILE or --holidays FILE is required");
  }

  uint16_t langId = kDefaultLangId;
  if (options->Has("--lang")) {
    const auto parsed = ParseLangId(*options->Get("--lang"));
    if (!parsed) return Fail(err, "--lang '" + *options->Get("--lang") + "' is not a language id (0 to 65535)");
    langId = *parsed;
  }

  VirtualClock clock;
  SimulatedOs os{clock};
  os.SetLangId(langId);
  // The holidays first: the program reads them before the timetable.
  for (const char* option : {"--holidays", "--schedule"}) {
    if (const auto path = options->Get(option); path && !ReadHostFile(*path, error)) return Fail(err, error);
  }
  if (const auto path = options->Get("--holidays")) {
    if (!LoadHolidaysFromHostFile(*path, os, langId, error)) {
      out << "refused: " << error << "\n";
      return kExitRefused;
    }
  }
  if (options->Has("--schedule")) {
    const auto schedule = LoadScheduleFromHostFile(*options->Get("--schedule"), os, error);
    if (!schedule) return Fail(err, error);
    if (!ValidateSchedule(*schedule, langId, os)) return Refused(out, os);
  }
  out << "accepted\n";
  return kExitOk;
}

int Refused(std::ostream& out, SimulatedOs& os) {
  // The refusal is the message box the user would have seen.
  const MessageBoxRecord& box = os.MessageBoxes().back();
  out << "refused: " << OneLine(box.caption) << ": " << OneLine(box.text) << "\n";
  return kExitRefused;
}

const CommandRegistration registration{
    {kName, "validate (--schedule FILE | --holidays FILE | both) [--lang ID]", &RunValidate}};

}  // namespace
}  // namespace vesk::sim::cli
