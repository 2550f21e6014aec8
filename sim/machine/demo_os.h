#pragma once
// The operating system as VESKSim.exe uses it: the real one, except that a
// demonstration on the simulated board must not change the machine it is
// tried on. The system's shutdown commands are not run and the autostart
// values are not written; both are written to the debugger output instead.
#include <cstdlib>

#include "platform/os_services.h"

namespace vesk::sim {

class DemoOs final : public OsServices {
 public:
  explicit DemoOs(OsServices& real) : real_(real) {}

  LocalTime GetLocalTime() override { return real_.GetLocalTime(); }
  LocalTime GetSystemTime() override { return real_.GetSystemTime(); }
  int32_t GetUtcOffsetMinutes(const LocalTime& utc) override { return real_.GetUtcOffsetMinutes(utc); }
  uint64_t GetTickCount64() override { return real_.GetTickCount64(); }
  uint16_t GetSystemDefaultLangID() override { return real_.GetSystemDefaultLangID(); }
  void Sleep(uint32_t milliseconds) override { real_.Sleep(milliseconds); }
  void DelayMicroseconds(uint32_t microseconds) override { real_.DelayMicroseconds(microseconds); }
  std::string GetModulePath() override { return real_.GetModulePath(); }
  std::string GetModuleDirectory() override { return real_.GetModuleDirectory(); }
  std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, std::size_t maxBytes) override {
    return real_.ReadFileBytes(path, maxBytes);
  }
  FileContent ReadFileContent(const std::string& path, std::size_t maxBytes) override {
    return real_.ReadFileContent(path, maxBytes);
  }
  FileResult ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) override {
    return real_.ReplaceFileAtomically(path, bytes);
  }
  FileResult RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    return real_.ShowMessageBox(text, caption, type);
  }
  int ShowTimedMessageBox(const std::string& text, const std::string& caption, unsigned type, uint16_t langId,
                          uint32_t timeoutMs) override {
    return real_.ShowTimedMessageBox(text, caption, type, langId, timeoutMs);
  }
  // Commands other than the system's shutdown run as they are.
  bool RunHidden(const std::string& commandLine) override;
  std::vector<OpenPath> ChangeableByOthers(const std::vector<std::string>& paths) override {
    return real_.ChangeableByOthers(paths);
  }
  void DebugOutput(const std::string& text) override { real_.DebugOutput(text); }
  bool CreateSingleInstanceMutex(const std::string& name) override { return real_.CreateSingleInstanceMutex(name); }
  // The bus locks are the real ones: a demonstration shares the machine with
  // the other hardware tools on it like the program does.
  LockWait AcquireNamedLock(const std::string& name, uint32_t timeoutMs) override {
    return real_.AcquireNamedLock(name, timeoutMs);
  }
  void ReleaseNamedLock(const std::string& name) override { real_.ReleaseNamedLock(name); }
  // Not written; reports failure, which the program ignores.
  bool WriteRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName,
                           const std::string& data) override;
  [[noreturn]] void EndProcess(int exitCode) override {
    real_.EndProcess(exitCode);
    std::abort();  // the real one does not come back
  }

 private:
  OsServices& real_;
};

}  // namespace vesk::sim
