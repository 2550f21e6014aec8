#include "sim/machine/demo_os.h"

#include <sstream>

namespace vesk::sim {

namespace {

constexpr const char* kNote = "VESKSim: not done on the simulated board: ";

bool IsShutdownCommand(const std::string& commandLine) {
  std::istringstream words(commandLine);
  for (std::string word; words >> word;) {
    for (char& c : word) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (word == "shutdown" || word == "shutdown.exe") return true;
  }
  return false;
}

}  // namespace

bool DemoOs::RunHidden(const std::string& commandLine) {
  if (!IsShutdownCommand(commandLine)) return real_.RunHidden(commandLine);
  real_.DebugOutput(kNote + commandLine + "\n");
  return true;
}

bool DemoOs::WriteRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName,
                                 const std::string& data) {
  const char* rootName = root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
  real_.DebugOutput(std::string(kNote) + rootName + "\\" + subKey + " " + valueName + " = " + data + "\n");
  return false;
}

}  // namespace vesk::sim
