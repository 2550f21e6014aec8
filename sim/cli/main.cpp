// vesk-sim: the simulated board and machine from the command line.
#include <iostream>

#include "sim/cli/command.h"

using namespace vesk::sim::cli;

namespace {
void PrintUsage(std::ostream& out) {
  out << "usage: vesk-sim COMMAND [OPTIONS]\n";
  for (const auto& [name, command] : RegisteredCommands()) out << "  " << command.usage << "\n";
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "vesk-sim: a command is required (try --help)\n";
    return kExitUsage;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(std::cout);
    return kExitOk;
  }
  const auto& commands = RegisteredCommands();
  const auto it = commands.find(name);
  if (it == commands.end()) {
    std::cerr << "vesk-sim: unknown command '" << name << "' (try --help)\n";
    return kExitUsage;
  }
  const std::vector<std::string> args(argv + 2, argv + argc);
  return it->second.run(args, std::cout, std::cerr);
}
