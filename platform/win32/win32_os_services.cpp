#include "platform/win32/win32_os_services.h"

#include <algorithm>
#include <cstdlib>

#include <shellapi.h>

#include "platform/paths.h"
#include "platform/win32/atomic_file.h"
#include "platform/win32/file_paths.h"
#include "platform/win32/timed_message_box.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/write_access.h"

namespace vesk::win32 {

namespace {

constexpr int64_t kMicrosecondsPerSecond = 1'000'000;
constexpr std::size_t kReadChunk = 64 * 1024;

std::wstring SystemDirectory() {
  std::wstring dir(MAX_PATH, L'\0');
  UINT length = GetSystemDirectoryW(dir.data(), static_cast<UINT>(dir.size()));
  if (length >= dir.size()) {
    dir.resize(length);
    length = GetSystemDirectoryW(dir.data(), static_cast<UINT>(dir.size()));
  }
  if (length == 0 || length >= dir.size()) return {};
  dir.resize(length);
  return dir;
}

// The first word of a command line, without the quotes around it.
std::wstring FirstWord(const std::wstring& commandLine) {
  std::size_t at = commandLine.find_first_not_of(L" \t");
  if (at == std::wstring::npos) return {};
  if (commandLine[at] == L'"') {
    const std::size_t close = commandLine.find(L'"', at + 1);
    return commandLine.substr(at + 1, close == std::wstring::npos ? std::wstring::npos : close - at - 1);
  }
  const std::size_t end = commandLine.find_first_of(L" \t", at);
  return commandLine.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
}

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

class UniqueKey {
 public:
  UniqueKey() = default;
  ~UniqueKey() {
    if (key_) RegCloseKey(key_);
  }
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

FileResult FailedWithLastError() { return FileResult::Failed(SystemErrorText(GetLastError())); }

LocalTime FromSystemTime(const SYSTEMTIME& st) {
  return LocalTime{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

SYSTEMTIME ToSystemTime(const LocalTime& time) {
  SYSTEMTIME st{};
  st.wYear = time.wYear;
  st.wMonth = time.wMonth;
  st.wDayOfWeek = time.wDayOfWeek;
  st.wDay = time.wDay;
  st.wHour = time.wHour;
  st.wMinute = time.wMinute;
  st.wSecond = time.wSecond;
  st.wMilliseconds = time.wMilliseconds;
  return st;
}

// FILETIME counts 100-nanosecond units.
constexpr int64_t kFileTimeUnitsPerMinute = 60LL * 10'000'000;

int64_t FileTimeUnits(const SYSTEMTIME& st) {
  FILETIME ft{};
  if (!SystemTimeToFileTime(&st, &ft)) return 0;
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

}  // namespace

std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring{};
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) return "error " + std::to_string(error);
  return ToUtf8(text);
}

std::wstring ResolveCommandProgram(const std::wstring& commandLine) {
  std::wstring program = FirstWord(commandLine);
  if (program.empty()) return {};
  if (program.find_first_of(L"\\/:") != std::wstring::npos) return program;
  if (program.find(L'.') == std::wstring::npos) program += L".exe";
  const std::wstring systemDir = SystemDirectory();
  if (systemDir.empty()) return {};
  const std::wstring full = systemDir + L"\\" + program;
  return IsFile(full) ? full : std::wstring{};
}

LocalTime Win32OsServices::GetLocalTime() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return FromSystemTime(st);
}

LocalTime Win32OsServices::GetSystemTime() {
  SYSTEMTIME st{};
  ::GetSystemTime(&st);
  return FromSystemTime(st);
}

int32_t Win32OsServices::GetUtcOffsetMinutes(const LocalTime& utc) {
  const SYSTEMTIME universal = ToSystemTime(utc);
  SYSTEMTIME local{};
  DYNAMIC_TIME_ZONE_INFORMATION zone{};
  TIME_ZONE_INFORMATION rules{};
  const bool yearRules = GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID &&
                         GetTimeZoneInformationForYear(universal.wYear, &zone, &rules);
  // Without the year's own rules the zone's current ones are the best there is.
  if (!SystemTimeToTzSpecificLocalTime(yearRules ? &rules : nullptr, &universal, &local)) return 0;
  return static_cast<int32_t>((FileTimeUnits(local) - FileTimeUnits(universal)) / kFileTimeUnitsPerMinute);
}

uint64_t Win32OsServices::GetTickCount64() { return ::GetTickCount64(); }

uint16_t Win32OsServices::GetSystemDefaultLangID() { return ::GetSystemDefaultLangID(); }

void Win32OsServices::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

void Win32OsServices::DelayMicroseconds(uint32_t microseconds) {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  // frequency * n / 10^6, split so that it cannot overflow for any n.
  const int64_t perMicro = frequency.QuadPart / kMicrosecondsPerSecond;
  const int64_t remainder = frequency.QuadPart % kMicrosecondsPerSecond;
  const int64_t ticks = perMicro * microseconds + remainder * microseconds / kMicrosecondsPerSecond;
  const int64_t deadline = now.QuadPart + ticks;
  do {
    QueryPerformanceCounter(&now);
  } while (now.QuadPart < deadline);
}

std::string Win32OsServices::GetModulePath() { return ToUtf8(ModulePath()); }

std::string Win32OsServices::GetModuleDirectory() { return ContainingFolder(GetModulePath()); }

std::optional<std::vector<uint8_t>> Win32OsServices::ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  FileContent content = ReadFileContent(path, maxBytes);
  if (!content.result) return std::nullopt;
  return std::move(content.bytes);
}

// A copy in progress, a fleet tool or a virus scanner may hold the file; with
// every sharing allowed the open fails only where they refuse readers.
FileContent Win32OsServices::ReadFileContent(const std::string& path, std::size_t maxBytes) {
  const UniqueHandle file{CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {FileResult::Missing(), {}};
    return {FileResult::Failed(SystemErrorText(error)), {}};
  }
  // What could be read is kept even when a later read fails.
  std::vector<uint8_t> content;
  while (content.size() < maxBytes) {
    const std::size_t want = std::min(maxBytes - content.size(), kReadChunk);
    const std::size_t at = content.size();
    content.resize(at + want);
    DWORD got = 0;
    const BOOL ok = ReadFile(file.Get(), content.data() + at, static_cast<DWORD>(want), &got, nullptr);
    content.resize(at + got);
    if (!ok) return {FailedWithLastError(), {}};
    if (got == 0) break;
  }
  return {FileResult::Done(), std::move(content)};
}

FileResult Win32OsServices::ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  if (win32::ReplaceFileAtomically(ToWide(path), bytes)) return FileResult::Done();
  return FailedWithLastError();
}

FileResult Win32OsServices::RemoveFile(const std::string& path) {
  if (DeleteFileW(ToWide(path).c_str())) return FileResult::Done();
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) return FileResult::Missing();
  return FileResult::Failed(SystemErrorText(error));
}

bool Win32OsServices::AppendToFile(const std::string& path, std::span<const uint8_t> bytes) {
  // Append-only access: every write lands at the end, whoever else appends.
  const UniqueHandle file{CreateFileW(ToWide(path).c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!file) return false;
  const auto size = static_cast<DWORD>(bytes.size());
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), size, &written, nullptr) || written != size) return false;
  return FlushFileBuffers(file.Get()) != FALSE;
}

bool Win32OsServices::RenameFileReplacing(const std::string& from, const std::string& to) {
  return MoveFileExW(ToWide(from).c_str(), ToWide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         FALSE;
}

bool Win32OsServices::OpenInViewer(const std::string& path) {
  const std::wstring file = ToWide(path);
  const auto shell = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  constexpr INT_PTR kShellExecuteSucceeded = 32;  // larger values are success
  if (shell > kShellExecuteSucceeded) return true;
  const std::wstring notepad = ResolveCommandProgram(L"notepad.exe");
  if (notepad.empty()) return false;
  std::wstring commandLine = L"\"" + notepad + L"\" \"" + file + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(notepad.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool Win32OsServices::ReportToEventLog(EventLogType type, uint16_t eventId, const std::string& text) {
  const HANDLE source = RegisterEventSourceW(nullptr, kEventSourceName);
  if (source == nullptr) return false;
  const std::wstring wide = ToWide(text);
  const wchar_t* strings[] = {wide.c_str()};
  const bool error = type == EventLogType::Error;
  const BOOL reported = ReportEventW(source, error ? EVENTLOG_ERROR_TYPE : EVENTLOG_INFORMATION_TYPE, 0,
                                     eventId, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
  return reported != FALSE;
}

int Win32OsServices::ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) {
  return MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(caption).c_str(), type);
}

int Win32OsServices::ShowTimedMessageBox(const std::string& text, const std::string& caption, unsigned type,
                                         uint16_t langId, uint32_t timeoutMs) {
  static_assert(kTimedOutAnswer == kIdTimeout);
  return TimedMessageBox(ToWide(text), ToWide(caption), type, langId, timeoutMs);
}

bool Win32OsServices::RunHidden(const std::string& commandLine) {
  const std::wstring wide = ToWide(commandLine);
  const std::wstring program = ResolveCommandProgram(wide);
  if (program.empty()) return false;
  std::wstring mutableLine = wide;  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  const std::wstring systemDir = SystemDirectory();
  if (!CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      systemDir.empty() ? nullptr : systemDir.c_str(),
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::vector<OsServices::OpenPath> Win32OsServices::ChangeableByOthers(const std::vector<std::string>& paths) {
  std::vector<OpenPath> open;
  for (const std::string& path : paths) {
    const WriteAccess access = CheckWriteAccess(ToWide(path));
    if (access.verdict == WriteAccess::Verdict::kOthers) open.push_back({path, ToUtf8(access.who)});
  }
  return open;
}

void Win32OsServices::DebugOutput(const std::string& text) { OutputDebugStringW(ToWide(text).c_str()); }

bool Win32OsServices::CreateSingleInstanceMutex(const std::string& name) {
  // Never closed: the handle is the claim, released when the process ends.
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, ToWide(name).c_str());
  const DWORD error = GetLastError();
  if (mutex == nullptr) return error == ERROR_ACCESS_DENIED;
  return error == ERROR_ALREADY_EXISTS;
}

bool Win32OsServices::WriteRegistryString(RegistryRoot root, const std::string& subKey,
                                          const std::string& valueName, const std::string& data) {
  UniqueKey key;
  if (RegCreateKeyExW(RootKey(root), ToWide(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring value = ToWide(data);
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));  // with the terminating zero
  return RegSetValueExW(key.Get(), ToWide(valueName).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

void Win32OsServices::EndProcess(int exitCode) { std::exit(exitCode); }

}  // namespace vesk::win32
