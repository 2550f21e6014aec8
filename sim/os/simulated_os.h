#pragma once
// The operating system of the simulated machine: a virtual clock that moves
// on every wait, an in-memory file system, and a record of every message
// box, command line, registry write and debugger text. Tests and the
// simulator answer message boxes and react to commands through hooks.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/os_services.h"
#include "sim/os/named_locks.h"
#include "sim/os/time_zone.h"
#include "sim/os/virtual_clock.h"

namespace vesk::sim {

// Thrown by EndProcess so that the simulated process unwinds to whoever runs
// it (a test or the simulator) instead of ending the real one.
struct SimulatedProcessExit {
  int exitCode = 0;
};

struct MessageBoxRecord {
  SimTime at;
  std::string caption;
  std::string text;
  unsigned type = 0;
  uint16_t langId = 0;       // timed boxes only
  uint32_t timeoutMs = 0;    // 0 for a plain box
};

struct CommandRecord {
  SimTime at;
  std::string commandLine;
};

struct RegistryWrite {
  RegistryRoot root;
  std::string subKey;
  std::string valueName;
  std::string data;
};

enum class FileOp { Read, Replace, Remove, Append, Rename };
struct EventLogRecord {
  EventLogType type;
  uint16_t eventId;
  std::string text;
};

struct FileOpRecord {
  FileOp op;
  std::string path;
  bool succeeded = false;
};

class SimulatedOs : public OsServices {
 public:
  explicit SimulatedOs(VirtualClock& clock) : clock_(clock) {}

  // --- OsServices ---
  LocalTime GetLocalTime() override { return VirtualClock::ToLocalTime(LocalAt(clock_.Now())); }
  LocalTime GetSystemTime() override { return VirtualClock::ToLocalTime(clock_.Now() + clockShift_); }
  int32_t GetUtcOffsetMinutes(const LocalTime& utc) override;
  // The machine's own time, which setting the clock does not move.
  uint64_t GetTickCount64() override;
  uint16_t GetSystemDefaultLangID() override { return langId_; }
  void Sleep(uint32_t milliseconds) override;
  void DelayMicroseconds(uint32_t microseconds) override;
  std::string GetModulePath() override { return modulePath_; }
  std::string GetModuleDirectory() override;
  std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path,
                                                    std::size_t maxBytes) override;
  FileContent ReadFileContent(const std::string& path, std::size_t maxBytes) override;
  FileResult ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) override;
  FileResult RemoveFile(const std::string& path) override;
  bool AppendToFile(const std::string& path, std::span<const uint8_t> bytes) override;
  bool RenameFileReplacing(const std::string& from, const std::string& to) override;
  bool OpenInViewer(const std::string& path) override;
  bool ReportToEventLog(EventLogType type, uint16_t eventId, const std::string& text) override;
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override;
  int ShowTimedMessageBox(const std::string& text, const std::string& caption, unsigned type,
                          uint16_t langId, uint32_t timeoutMs) override;
  bool RunHidden(const std::string& commandLine) override;
  std::vector<OpenPath> ChangeableByOthers(const std::vector<std::string>& paths) override;
  void DebugOutput(const std::string& text) override { debugOutput_.push_back(text); }
  bool CreateSingleInstanceMutex(const std::string& name) override;
  // A wait that runs out has kept the calling thread that long: the virtual
  // clock moves by it.
  LockWait AcquireNamedLock(const std::string& name, uint32_t timeoutMs) override;
  void ReleaseNamedLock(const std::string& name) override { namedLocks_.Release(name); }
  bool WriteRegistryString(RegistryRoot root, const std::string& subKey,
                           const std::string& valueName, const std::string& data) override;
  [[noreturn]] void EndProcess(int exitCode) override;

  // --- set-up ---
  VirtualClock& Clock() { return clock_; }
  // The virtual clock counts UTC; Windows shows it in this zone (UTC unless
  // set).
  void SetTimeZone(TimeZone zone) { zone_ = std::move(zone); }
  const TimeZone& Zone() const { return zone_; }
  // Windows' clock set to show `local` now, as a user or time
  // synchronisation would set it; the virtual clock (and with it every
  // chip's clock and every timer) runs on undisturbed.
  void SetLocalClock(SimTime local) { clockShift_ = zone_.ToUtc(local) - clock_.Now(); }
  // What Windows' local clock shows at a moment of the virtual clock.
  SimTime LocalAt(SimTime machineTime) const { return zone_.ToLocal(machineTime + clockShift_); }
  void SetLangId(uint16_t id) { langId_ = id; }
  void SetModulePath(std::string path) { modulePath_ = std::move(path); }
  // Another process holds the mutex of this name.
  void HoldMutexElsewhere(const std::string& name) { heldMutexes_[name] = true; }
  void ReleaseMutexes() { heldMutexes_.clear(); }
  // The machine-wide locks that simulated neighbour tools share.
  NamedLocks& Locks() { return namedLocks_; }
  void FailRegistryWrites(bool fail) { failRegistry_ = fail; }
  // Replacing or removing files fails with the system's reason, as on a
  // read-only file or folder.
  void FailFileWrites(bool fail) { failFileWrites_ = fail; }
  void FailFileRemovals(bool fail) { failFileRemovals_ = fail; }
  // Someone other than an administrator may change this file or folder.
  void OpenToOthers(const std::string& path, std::string who) { openPaths_[path] = std::move(who); }
  static constexpr const char* kAccessDenied = "Access is denied.";
  // Another program holds the file without sharing it until `until` (a copy
  // in progress): opening it to read, replace or remove fails meanwhile.
  void LockFile(const std::string& path, SimTime until) { locks_[path] = until; }
  static constexpr const char* kSharingViolation =
      "The process cannot access the file because it is being used by another process.";
  // The power fails during the next append: only its first `bytes` reach
  // the disk and the call reports failure.
  void CutNextAppendAfter(std::size_t bytes) { appendCut_ = bytes; }

  // The answer to a message box: the hook decides (it may also run timers
  // meanwhile and move the clock). Without a hook a plain box answers IDOK at
  // once and a timed box waits its whole timeout, then answers kIdTimeout.
  using MessageBoxHook = std::function<int(const MessageBoxRecord&)>;
  void SetMessageBoxHook(MessageBoxHook hook) { messageBoxHook_ = std::move(hook); }
  // Called for every command line after it was recorded.
  using CommandHook = std::function<void(const CommandRecord&)>;
  void SetCommandHook(CommandHook hook) { commandHook_ = std::move(hook); }

  // --- the in-memory file system ---
  std::map<std::string, std::vector<uint8_t>>& Files() { return files_; }

  // --- what happened ---
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<CommandRecord>& Commands() const { return commands_; }
  const std::vector<RegistryWrite>& RegistryWrites() const { return registryWrites_; }
  const std::vector<FileOpRecord>& FileOps() const { return fileOps_; }
  const std::vector<std::string>& DebugTexts() const { return debugOutput_; }
  const std::vector<EventLogRecord>& EventLogEntries() const { return eventLog_; }
  const std::vector<std::string>& OpenedInViewer() const { return viewed_; }
  void ClearRecords();

 private:
  VirtualClock& clock_;
  TimeZone zone_;
  Microseconds clockShift_{0};  // Windows' clock ahead of the virtual clock
  uint16_t langId_ = 1033;
  std::string modulePath_ = "C:\\VESK\\VESK.exe";
  std::map<std::string, bool> heldMutexes_;
  std::map<std::string, std::string> openPaths_;
  NamedLocks namedLocks_;
  bool failRegistry_ = false;
  bool failFileWrites_ = false;
  bool failFileRemovals_ = false;
  std::optional<std::size_t> appendCut_;
  MessageBoxHook messageBoxHook_;
  CommandHook commandHook_;
  bool Locked(const std::string& path) const;

  std::map<std::string, std::vector<uint8_t>> files_;
  std::map<std::string, SimTime> locks_;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::vector<CommandRecord> commands_;
  std::vector<RegistryWrite> registryWrites_;
  std::vector<FileOpRecord> fileOps_;
  std::vector<std::string> debugOutput_;
  std::vector<EventLogRecord> eventLog_;
  std::vector<std::string> viewed_;
};

}  // namespace vesk::sim
