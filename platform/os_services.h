#pragma once
// The few services the program asks of the operating system, behind one
// interface so that the logic runs on Windows and on the simulated machine
// alike. Texts are UTF-8; the Win32 implementation converts at its boundary.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vesk {

// The fields of the Win32 SYSTEMTIME record, in its order and widths.
struct LocalTime {
  uint16_t wYear = 0;
  uint16_t wMonth = 0;
  uint16_t wDayOfWeek = 0;  // 0 = Sunday ... 6 = Saturday
  uint16_t wDay = 0;
  uint16_t wHour = 0;
  uint16_t wMinute = 0;
  uint16_t wSecond = 0;
  uint16_t wMilliseconds = 0;
};
static_assert(sizeof(LocalTime) == 16, "LocalTime mirrors SYSTEMTIME");

// Language id that selects the Chinese texts; every other id selects English.
inline constexpr uint16_t kLangIdChinese = 2052;

// Message box type bits and answers, with their Win32 values.
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr int kIdOk = 1;
inline constexpr int kIdTimeout = 32000;

enum class RegistryRoot { CurrentUser, LocalMachine };

// How a change to a file went. A failure carries the system's own words for
// it (UTF-8, in the system's language), so that the user can be told why.
struct FileResult {
  enum class Status { kDone, kMissing, kFailed };
  Status status = Status::kDone;
  std::string reason;

  static FileResult Done() { return {}; }
  static FileResult Missing() { return {Status::kMissing, {}}; }
  static FileResult Failed(std::string why) { return {Status::kFailed, std::move(why)}; }
  explicit operator bool() const { return status == Status::kDone; }
};
// What reading a whole small file found: its bytes (kDone), no such file
// (kMissing), or a file that is there but could not be read now, with the
// system's reason (kFailed: busy in another program's copy, access denied).
struct FileContent {
  FileResult result;
  std::vector<uint8_t> bytes;
};

// The kinds of entry the system's event log keeps, as the program uses them.
enum class EventLogType { Information, Error };

class OsServices {
 public:
  virtual ~OsServices() = default;

  // Clock and language.
  virtual LocalTime GetLocalTime() = 0;
  // The same moment in coordinated universal time.
  virtual LocalTime GetSystemTime() = 0;
  // How many minutes the local time is ahead of UTC (negative west of
  // Greenwich) at the given UTC moment, by the system's time-zone rules,
  // daylight saving included; a moment in another year follows that year's
  // rules.
  virtual int32_t GetUtcOffsetMinutes(const LocalTime& utc) = 0;
  // Milliseconds since the system started; setting the clock or a change of
  // daylight saving does not move it.
  virtual uint64_t GetTickCount64() = 0;
  virtual uint16_t GetSystemDefaultLangID() = 0;

  // Waiting on the calling thread. Sleep yields; DelayMicroseconds busy-waits
  // on the performance counter, for waits far below the scheduler's tick.
  virtual void Sleep(uint32_t milliseconds) = 0;
  virtual void DelayMicroseconds(uint32_t microseconds) = 0;

  // The running executable's full path, and its folder with the trailing
  // separator ("C:\VESK\").
  virtual std::string GetModulePath() = 0;
  virtual std::string GetModuleDirectory() = 0;

  // Whole-file access for small files such as the timetable. ReadFileBytes
  // returns nothing when the file cannot be opened, else at most maxBytes
  // from its start. ReplaceFileAtomically leaves either the old or the new
  // content in place, never a torn file. RemoveFile answers kMissing when
  // there was no such file.
  virtual std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path,
                                                            std::size_t maxBytes) = 0;
  // As ReadFileBytes, telling a missing file from one that could not be
  // read. The file is opened so that others may go on reading, writing and
  // deleting it, so a copy or an editor that has it open is not disturbed.
  // The default stands for a system that can only tell "read" from "not".
  virtual FileContent ReadFileContent(const std::string& path, std::size_t maxBytes) {
    auto bytes = ReadFileBytes(path, maxBytes);
    if (!bytes) return {FileResult::Missing(), {}};
    return {FileResult::Done(), std::move(*bytes)};
  }
  virtual FileResult ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) = 0;
  virtual FileResult RemoveFile(const std::string& path) = 0;
  // Adds the bytes at the end of the file (created when missing) and has
  // them on the disk before it returns, so that a power cut can only cut
  // what this call wrote. Renaming replaces a file of the new name. The
  // defaults stand for a system that cannot do it.
  virtual bool AppendToFile(const std::string& /*path*/, std::span<const uint8_t> /*bytes*/) { return false; }
  virtual bool RenameFileReplacing(const std::string& /*from*/, const std::string& /*to*/) { return false; }
  // Opens a file in the viewer the system has for its kind (a .log file in
  // the text viewer); false when none could be started.
  virtual bool OpenInViewer(const std::string& /*path*/) { return false; }

  // Message boxes without owner window; the result is the button pressed.
  // The timed box closes itself after timeoutMs and then answers kIdTimeout.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption,
                             unsigned type) = 0;
  virtual int ShowTimedMessageBox(const std::string& text, const std::string& caption,
                                  unsigned type, uint16_t langId, uint32_t timeoutMs) = 0;

  // Runs a command line such as "Cmd.exe /C shutdown -a" without a window,
  // in the system's own folder, so that a program of the same name in the
  // caller's folder is never the one that runs.
  virtual bool RunHidden(const std::string& commandLine) = 0;

  // Of the given files and folders, those that someone other than an
  // administrator could change (write, replace, delete, or take over through
  // the access list), each with who that is; a path that does not exist is
  // left out. The default stands for a system without access lists.
  struct OpenPath {
    std::string path;
    std::string who;
  };
  virtual std::vector<OpenPath> ChangeableByOthers(const std::vector<std::string>& /*paths*/) { return {}; }

  // Text for a debugger, never shown to the user.
  virtual void DebugOutput(const std::string& text) = 0;

  // One entry in the system's event log (the Application log on Windows)
  // under the program's source name, with the event ID of its kind; false
  // when it was not written.
  virtual bool ReportToEventLog(EventLogType /*type*/, uint16_t /*eventId*/, const std::string& /*text*/) {
    return false;
  }

  // Named locks that other programs on the machine agree on (the bus locks
  // of hardware tools): created on first use, or opened when another
  // program made them first, with rights that let other elevated and
  // service processes open them too. The wait is bounded; a lock whose
  // holder ended without releasing it counts as taken. kUnavailable: the
  // lock cannot be had at all (the system has none, or it refuses to open
  // it), so nobody can be waited for. Each kTaken is released once, on the
  // thread that took it.
  enum class LockWait { kTaken, kTimedOut, kUnavailable };
  virtual LockWait AcquireNamedLock(const std::string& /*name*/, uint32_t /*timeoutMs*/) {
    return LockWait::kUnavailable;
  }
  virtual void ReleaseNamedLock(const std::string& /*name*/) {}

  // Takes the named process-lifetime mutex; true when another process
  // already holds one of that name, also when that process runs with rights
  // that keep this one from opening it.
  virtual bool CreateSingleInstanceMutex(const std::string& name) = 0;

  // Creates or opens the key and sets a string value; false on any failure.
  virtual bool WriteRegistryString(RegistryRoot root, const std::string& subKey,
                                   const std::string& valueName, const std::string& data) = 0;

  // Ends the process with the given code.
  [[noreturn]] virtual void EndProcess(int exitCode) = 0;
};

}  // namespace vesk
