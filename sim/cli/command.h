#pragma once
// vesk-sim subcommands register themselves here, one source file each.
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vesk::sim::cli {

// Exit codes of every subcommand.
inline constexpr int kExitOk = 0;        // success or acceptance
inline constexpr int kExitRefused = 1;   // refusal
inline constexpr int kExitUsage = 2;     // bad usage or unreadable input

using CommandFunction = int (*)(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err);

struct Command {
  std::string name;
  std::string usage;  // one or more lines, shown by "vesk-sim --help"
  CommandFunction run = nullptr;
};

// A static instance in a subcommand's source file adds it to the command.
struct CommandRegistration {
  explicit CommandRegistration(Command command);
};

const std::map<std::string, Command>& RegisteredCommands();

// The language of the texts when --lang is not given (English).
inline constexpr uint16_t kDefaultLangId = 1033;
// A language id in decimal ("2052") or hexadecimal ("0x0804"); nothing when
// the text is neither or the number lies beyond 0xFFFF.
std::optional<uint16_t> ParseLangId(const std::string& text);

// Options of the form "--name value..." with a fixed number of values each
// (0 for a flag). Parse fails on an unknown option, a missing value or a
// stray argument, with a one-line reason.
struct OptionSpec {
  std::string name;  // with the dashes: "--schedule"
  int values = 1;
};

class Options {
 public:
  static std::optional<Options> Parse(const std::vector<std::string>& args,
                                      const std::vector<OptionSpec>& specs, std::string& error);
  bool Has(const std::string& name) const { return values_.count(name) > 0; }
  // First value of an option, or nothing when it was not given.
  std::optional<std::string> Get(const std::string& name) const;
  const std::vector<std::string>& All(const std::string& name) const;

 private:
  std::map<std::string, std::vector<std::string>> values_;
};

}  // namespace vesk::sim::cli
