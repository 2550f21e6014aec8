#include "sim/machine/disk_actions.h"

namespace vesk::sim {

std::string PerformDiskAction(SimulatedOs& os, const ScriptStep& step) {
  const std::string path = os.GetModuleDirectory() + step.file;
  auto& files = os.Files();
  if (step.action == UserAction::DiskWrite) {
    files[path] = step.content;
    return {};
  }
  const auto file = files.find(path);
  if (file == files.end()) return "there is no " + step.file;
  if (step.action == UserAction::DiskLock) {
    os.LockFile(path, os.Clock().Now() + std::chrono::seconds{step.seconds});
  } else if (step.bytes < file->second.size()) {
    file->second.resize(step.bytes);
  }
  return {};
}

}  // namespace vesk::sim
