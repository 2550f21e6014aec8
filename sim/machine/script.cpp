#include "sim/machine/script.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "platform/calendar.h"

namespace vesk::sim {

namespace {

constexpr int kLongestPostponementHours = 99;
constexpr long long kLongestRunDays = 400;
constexpr int kMostLostWrites = 1000000;
constexpr int kLongestLockSeconds = 400 * 86400;
constexpr int kLargestFileBytes = 16 * 1024 * 1024;

const std::map<std::string, UserAction>& ActionNames() {
  static const std::map<std::string, UserAction> names{
      {"open", UserAction::Open},         {"hotkey", UserAction::HotKey}, {"hide", UserAction::Hide},
      {"close", UserAction::Close},       {"select", UserAction::Select}, {"phase", UserAction::Phase},
      {"save", UserAction::Save},         {"clear", UserAction::Clear},   {"postpone", UserAction::Postpone},
      {"cancel", UserAction::Cancel},     {"exit", UserAction::Exit},     {"start", UserAction::Start},
      {"kill", UserAction::Kill},         {"power", UserAction::Power},   {"abort", UserAction::Abort},
      {"set-clock", UserAction::SetClock}, {"chip-glitch", UserAction::ChipGlitch},
      {"holidays", UserAction::Holidays}, {"holiday", UserAction::HolidayAdd},
      {"disk", UserAction::DiskLock},
  };
  return names;
}

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::optional<int> WholeNumber(const std::string& text, int low, int high) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || stop != end || value < low || value > high) return std::nullopt;
  return value;
}

// "H:MM" with the hour up to maxHour; minutes after midnight (or in all).
std::optional<int> HourMinute(const std::string& text, int maxHour) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || text.size() - colon != 3) return std::nullopt;
  const auto hour = WholeNumber(text.substr(0, colon), 0, maxHour);
  const auto minute = WholeNumber(text.substr(colon + 1), 0, kMinutesPerHour - 1);
  if (!hour || !minute) return std::nullopt;
  return *hour * kMinutesPerHour + *minute;
}

std::optional<int> DayOf(const std::string& text) {
  if (const auto number = WholeNumber(text, 0, 6)) return number;
  for (int day = 0; day < 7; ++day) {
    if (text == kDayNames[day]) return day;
  }
  return std::nullopt;
}

// "add DATE off|PERIODS", "remove DATE", "save" or "close"; the date and
// periods are read as a line of "Holidays.txt" is.
std::string ParseHolidayArguments(ScriptStep& step, const std::vector<std::string>& args) {
  constexpr const char* kUsage = "holiday needs 'add YYYY-MM-DD off|HH:MM-HH:MM[,...]', 'remove YYYY-MM-DD', "
                                 "'save' or 'close'";
  const std::string verb = args.empty() ? std::string{} : args[0];
  if ((verb == "save" || verb == "close") && args.size() == 1) {
    step.action = verb == "save" ? UserAction::HolidaySave : UserAction::HolidayClose;
    return {};
  }
  std::string line;
  if (verb == "add" && args.size() >= 3) {
    for (std::size_t i = 1; i < args.size(); ++i) line += (i > 1 ? " " : "") + args[i];
  } else if (verb == "remove" && args.size() == 2) {
    step.action = UserAction::HolidayRemove;
    line = args[1] + " off";
  } else {
    return kUsage;
  }
  HolidayError error;
  const auto entry = ParseHolidayLine(line, error);
  if (!entry) return "holiday " + verb + ": " + DescribeHolidayEntryError(error, args[1], 0).text;
  step.holiday = *entry;
  return {};
}

// "lock FILE SECONDS", "write FILE HOSTPATH" or "cut FILE BYTES"; FILE is a
// file name of the program's folder, without a folder of its own.
std::string ParseDiskArguments(ScriptStep& step, const std::vector<std::string>& args) {
  constexpr const char* kUsage = "disk needs 'lock FILE SECONDS', 'write FILE HOSTPATH' or 'cut FILE BYTES'";
  if (args.size() != 3) return kUsage;
  const std::string& verb = args[0];
  step.file = args[1];
  if (step.file.find_first_of("\\/:") != std::string::npos) return "disk takes a file name of the program's folder";
  if (verb == "lock") {
    const auto seconds = WholeNumber(args[2], 1, kLongestLockSeconds);
    if (!seconds) return "disk lock needs SECONDS from 1 to " + std::to_string(kLongestLockSeconds);
    step.seconds = *seconds;
    return {};
  }
  if (verb == "cut") {
    const auto bytes = WholeNumber(args[2], 0, kLargestFileBytes);
    if (!bytes) return "disk cut needs BYTES from 0 to " + std::to_string(kLargestFileBytes);
    step.action = UserAction::DiskCut;
    step.bytes = static_cast<std::size_t>(*bytes);
    return {};
  }
  if (verb != "write") return kUsage;
  step.action = UserAction::DiskWrite;
  std::ifstream host(args[2], std::ios::binary);
  if (host) step.content.assign(std::istreambuf_iterator<char>(host), std::istreambuf_iterator<char>());
  if (!host || host.bad()) return "disk write cannot read '" + args[2] + "'";
  if (step.content.size() > static_cast<std::size_t>(kLargestFileBytes)) return "disk write takes at most 16 MB";
  return {};
}

// The arguments of one action; a reason when they do not fit it.
std::string ParseArguments(ScriptStep& step, const std::vector<std::string>& args) {
  const auto count = [&](std::size_t expected) { return args.size() == expected; };
  switch (step.action) {
    case UserAction::Select: {
      const auto day = count(1) ? DayOf(args[0]) : std::nullopt;
      if (!day) return "select needs a day: 0..6 (0 = Sunday) or Sunday .. Saturday";
      step.day = *day;
      return {};
    }
    case UserAction::Phase: {
      const auto phase = args.empty() ? std::nullopt : WholeNumber(args[0], 1, 3);
      if (phase && count(2) && args[1] == "off") {
        step.phase = *phase;
        return {};
      }
      const auto start = count(4) ? HourMinute(args[2], kHoursPerDay - 1) : std::nullopt;
      const auto end = count(4) ? HourMinute(args[3], kHoursPerDay - 1) : std::nullopt;
      if (!phase || !start || !end || args[1] != "on") {
        return "phase needs 'N on HH:MM HH:MM' or 'N off' with N from 1 to 3";
      }
      step.phase = *phase;
      step.on = true;
      step.startMinutes = *start;
      step.endMinutes = *end;
      return {};
    }
    case UserAction::Postpone: {
      const auto delay = count(1) ? HourMinute(args[0], kLongestPostponementHours) : std::nullopt;
      if (!delay) return "postpone needs H:MM (hours up to 99, minutes 00..59)";
      step.hours = *delay / kMinutesPerHour;
      step.minutes = *delay % kMinutesPerHour;
      return {};
    }
    case UserAction::SetClock: {
      // The time may stand in double quotes, as in the event lines.
      std::string text = count(2) ? args[0] + " " + args[1] : std::string{};
      if (text.size() > 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
      const auto clock = text.size() == 19 ? ParseSimTime(text) : std::nullopt;
      if (!clock) return "set-clock needs a local time \"YYYY-MM-DD HH:MM:SS\"";
      step.clock = *clock;
      return {};
    }
    case UserAction::ChipGlitch: {
      const auto lost = args.empty() ? std::optional<int>(1) : count(1) ? WholeNumber(args[0], 1, kMostLostWrites)
                                                                         : std::nullopt;
      if (!lost) return "chip-glitch takes at most one number, 1 to 100";
      step.count = *lost;
      return {};
    }
    case UserAction::HolidayAdd: return ParseHolidayArguments(step, args);
    case UserAction::DiskLock: return ParseDiskArguments(step, args);
    default:
      if (args.empty()) return {};
      // Built by appending: GCC 12 sees a false overlap in "'" + string.
      std::string reason(1, '\'');
      reason.append(step.text, 0, step.text.find(' '));
      reason += "' takes no arguments";
      return reason;
  }
}

}  // namespace

std::optional<std::vector<ScriptStep>> ParseScript(const std::string& text, std::string& error) {
  std::vector<ScriptStep> steps;
  std::istringstream input(text);
  std::string raw;
  int lineNumber = 0;
  const auto fail = [&](const std::string& reason) {
    error = "line " + std::to_string(lineNumber) + ": " + reason;
    return std::nullopt;
  };
  while (std::getline(input, raw)) {
    ++lineNumber;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::istringstream words(raw);
    std::vector<std::string> tokens;
    for (std::string word; words >> word;) tokens.push_back(word);
    if (tokens.empty() || tokens[0][0] == '#') continue;
    if (tokens.size() < 3) return fail("expected 'YYYY-MM-DD HH:MM:SS action [arguments]'");
    const auto at = ParseSimTime(tokens[0] + " " + tokens[1]);
    if (!at || tokens[1].size() != 8) return fail("'" + tokens[0] + " " + tokens[1] + "' is not a time YYYY-MM-DD HH:MM:SS");
    const auto action = ActionNames().find(tokens[2]);
    if (action == ActionNames().end()) return fail("unknown action '" + tokens[2] + "'");
    if (!steps.empty() && *at < steps.back().at) return fail("the time goes back; actions must come in time order");

    ScriptStep step;
    step.at = *at;
    step.line = lineNumber;
    step.action = action->second;
    for (std::size_t i = 2; i < tokens.size(); ++i) step.text += (i > 2 ? " " : "") + tokens[i];
    const std::vector<std::string> args(tokens.begin() + 3, tokens.end());
    if (const std::string reason = ParseArguments(step, args); !reason.empty()) return fail(reason);
    steps.push_back(std::move(step));
  }
  return steps;
}

std::optional<Microseconds> ParseDuration(const std::string& text) {
  if (text.size() < 2) return std::nullopt;
  long long amount = 0;
  const char* begin = text.data();
  const char* unit = text.data() + text.size() - 1;
  const auto [stop, error] = std::from_chars(begin, unit, amount);
  if (error != std::errc{} || stop != unit || amount <= 0) return std::nullopt;
  long long seconds = 0;
  switch (*unit) {
    case 's': seconds = amount; break;
    case 'm': seconds = amount * 60; break;
    case 'h': seconds = amount * 3600; break;
    case 'd': seconds = amount * 86400; break;
    default: return std::nullopt;
  }
  if (amount > kLongestRunDays * 86400 || seconds > kLongestRunDays * 86400) return std::nullopt;
  return std::chrono::duration_cast<Microseconds>(std::chrono::seconds{seconds});
}

}  // namespace vesk::sim
