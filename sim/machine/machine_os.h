#pragma once
// The simulated machine's operating system: the simulated one, telling the
// machine what the program asked of it (boxes, commands, registry values,
// saved and removed files, event log entries) and how long it waited; and
// what a command line asks of Windows' shutdown.
#include <functional>
#include <optional>
#include <string>

#include "sim/os/simulated_os.h"

namespace vesk::sim {

// What a command line asks of the operating system's shutdown, if anything.
struct ShutdownRequest {
  // Windows' shutdown command waits this long when no "-t" is given.
  static constexpr int kDefaultDelaySeconds = 30;
  enum class Kind { PowerOff, Restart, Abort } kind;
  int delaySeconds = kDefaultDelaySeconds;
};
std::optional<ShutdownRequest> ParseShutdown(const std::string& commandLine);

class MachineOs final : public SimulatedOs {
 public:
  struct Hooks {
    std::function<void(const std::string& caption, const std::string& text)> message;
    std::function<void(const std::string& commandLine)> command;
    std::function<void(RegistryRoot, const std::string&, const std::string&, const std::string&)> registry;
    std::function<void()> saved;
    std::function<void()> removed;
    std::function<void()> holidaysSaved;
    std::function<void(EventLogType, uint16_t, const std::string&)> eventLogged;
  };
  MachineOs(VirtualClock& clock, Hooks hooks) : SimulatedOs(clock), hooks_(std::move(hooks)) {}

  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override;
  int ShowTimedMessageBox(const std::string& text, const std::string& caption, unsigned type, uint16_t langId,
                          uint32_t timeoutMs) override;
  bool RunHidden(const std::string& commandLine) override;
  bool WriteRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName,
                           const std::string& data) override;
  FileResult ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) override;
  bool ReportToEventLog(EventLogType type, uint16_t eventId, const std::string& text) override;
  // A file that was not there is as cleared as one that was removed.
  FileResult RemoveFile(const std::string& path) override;
  void Sleep(uint32_t milliseconds) override;
  void DelayMicroseconds(uint32_t microseconds) override;
  // All the time the program has waited in its delays.
  Microseconds Delayed() const { return delayed_; }

 private:
  Hooks hooks_;
  Microseconds delayed_{};
};

}  // namespace vesk::sim
