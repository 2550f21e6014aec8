#include "sim/cli/command.h"

#include <algorithm>
#include <charconv>

namespace vesk::sim::cli {

namespace {
std::map<std::string, Command>& Registry() {
  static std::map<std::string, Command> commands;
  return commands;
}
}  // namespace

CommandRegistration::CommandRegistration(Command command) {
  Registry()[command.name] = std::move(command);
}

const std::map<std::string, Command>& RegisteredCommands() { return Registry(); }

std::optional<uint16_t> ParseLangId(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  uint16_t value = 0;
  const auto [end, ec] = std::from_chars(first, last, value, hex ? 16 : 10);
  if (ec != std::errc{} || end != last || first == last) return std::nullopt;
  return value;
}

std::optional<Options> Options::Parse(const std::vector<std::string>& args,
                                      const std::vector<OptionSpec>& specs, std::string& error) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const auto spec = std::find_if(specs.begin(), specs.end(),
                                   [&](const OptionSpec& s) { return s.name == args[i]; });
    if (spec == specs.end()) {
      error = "unknown argument '" + args[i] + "'";
      return std::nullopt;
    }
    if (options.Has(spec->name)) {
      error = "option " + spec->name + " given twice";
      return std::nullopt;
    }
    auto& values = options.values_[spec->name];
    for (int v = 0; v < spec->values; ++v) {
      if (i + 1 >= args.size()) {
        error = "option " + spec->name + " needs " + std::to_string(spec->values) + " value(s)";
        return std::nullopt;
      }
      values.push_back(args[++i]);
    }
  }
  return options;
}

std::optional<std::string> Options::Get(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end() || it->second.empty()) return std::nullopt;
  return it->second.front();
}

const std::vector<std::string>& Options::All(const std::string& name) const {
  static const std::vector<std::string> none;
  const auto it = values_.find(name);
  return it == values_.end() ? none : it->second;
}

}  // namespace vesk::sim::cli
