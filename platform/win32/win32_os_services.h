#pragma once
// The OS services on Windows: thin calls of the wide Win32 functions, texts
// converted from UTF-8 at this boundary.
#include <windows.h>

#include <vector>

#include "platform/os_services.h"
#include "platform/win32/shared_mutexes.h"

namespace vesk::win32 {

class Win32OsServices : public OsServices {
 public:
  LocalTime GetLocalTime() override;
  LocalTime GetSystemTime() override;
  // Windows' own rules for the year of `utc` (GetTimeZoneInformationForYear),
  // so that a moment next year follows next year's daylight-saving dates.
  int32_t GetUtcOffsetMinutes(const LocalTime& utc) override;
  uint64_t GetTickCount64() override;
  uint16_t GetSystemDefaultLangID() override;
  void Sleep(uint32_t milliseconds) override;
  void DelayMicroseconds(uint32_t microseconds) override;
  std::string GetModulePath() override;
  std::string GetModuleDirectory() override;
  std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, std::size_t maxBytes) override;
  FileContent ReadFileContent(const std::string& path, std::size_t maxBytes) override;
  FileResult ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) override;
  FileResult RemoveFile(const std::string& path) override;
  bool AppendToFile(const std::string& path, std::span<const uint8_t> bytes) override;
  bool RenameFileReplacing(const std::string& from, const std::string& to) override;
  // The shell's "open" for the file's kind; Notepad of the system folder
  // where the shell has no program for it.
  bool OpenInViewer(const std::string& path) override;
  // Application log, source "VESK".
  bool ReportToEventLog(EventLogType type, uint16_t eventId, const std::string& text) override;
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override;
  int ShowTimedMessageBox(const std::string& text, const std::string& caption, unsigned type,
                          uint16_t langId, uint32_t timeoutMs) override;
  // Only programs of the system folder are run for a bare name such as
  // "Cmd.exe": never one of the same name in the program's own folder, the
  // current folder or the search path. It runs in the system folder, where
  // Cmd.exe finds "shutdown" before any "shutdown.bat" of the program's
  // folder. The command line itself is passed on unchanged.
  bool RunHidden(const std::string& commandLine) override;
  std::vector<OpenPath> ChangeableByOthers(const std::vector<std::string>& paths) override;
  void DebugOutput(const std::string& text) override;
  // The mutex stays held until the process ends, also past this object. A
  // mutex of that name that this process may not open (its holder runs
  // elevated) counts as held.
  bool CreateSingleInstanceMutex(const std::string& name) override;
  // Kernel mutexes in the machine-wide namespace when the name says
  // "Global\"; the rights are those of kSharedMutexAccess.
  LockWait AcquireNamedLock(const std::string& name, uint32_t timeoutMs) override {
    return sharedMutexes_.Acquire(name, timeoutMs);
  }
  void ReleaseNamedLock(const std::string& name) override { sharedMutexes_.Release(name); }
  bool WriteRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName,
                           const std::string& data) override;
  [[noreturn]] void EndProcess(int exitCode) override;

 private:
  SharedMutexes sharedMutexes_;
};

// The system's text for an error code (FormatMessage), without the line
// break it ends with; the code in figures when the system has no text.
std::string SystemErrorText(DWORD error);

// The full path of the program a command line would start when its first
// word is a bare file name ("Cmd.exe" -> "C:\windows\system32\Cmd.exe"),
// looked up in the system folder only; ".exe" is added to a name without
// extension. A first word with a folder in it is returned as it stands.
// Empty when there is no such program.
std::wstring ResolveCommandProgram(const std::wstring& commandLine);

// The event source the program writes under; the installer registers it
// with the program's message table, so that the entries read as written.
inline constexpr const wchar_t* kEventSourceName = L"VESK";

}  // namespace vesk::win32
