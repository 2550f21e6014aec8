#include "installer/actions/program_closer.h"

#include <tlhelp32.h>

#include <set>

#include "ui/ui_globals.h"

namespace vesk::installer {

namespace {

constexpr const wchar_t* kMainWindowClass = L"VESKMainFrame";
// The executables that carry the main window (the demonstration has the
// same window and the same exit).
constexpr const wchar_t* kProgramImages[] = {L"VESK.exe", L"VESKSim.exe"};
// At most this many instances in one session, however often one restarts.
constexpr int kMaxClosesPerSession = 4;

struct Handle {
  HANDLE value = nullptr;
  explicit Handle(HANDLE h) : value(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() {
    if (value != nullptr) CloseHandle(value);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

std::wstring ErrorText(const wchar_t* what, DWORD error) {
  return std::wstring(what) + L" failed, error " + std::to_wstring(error);
}

// One main window: its process is opened before the command goes out, so
// the wait is on that process even if its id is reused.
CloseReport CloseOne(HWND window, DWORD boundMs) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  Handle process{OpenProcess(SYNCHRONIZE, FALSE, processId)};
  const std::wstring who = L"VESK (process " + std::to_wstring(processId) + L")";
  if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(ui::ID_TRAY_EXIT, 0), 0)) {
    return {CloseOutcome::Unreachable, who + L": " + ErrorText(L"sending the exit command", GetLastError())};
  }
  if (process.value == nullptr) {
    // Without a handle the window's end is the sign.
    for (DWORD waited = 0; waited < boundMs && IsWindow(window); waited += 100) Sleep(100);
    if (IsWindow(window)) return {CloseOutcome::StillRunning, who};
    return {CloseOutcome::Ended, who};
  }
  if (WaitForSingleObject(process.value, boundMs) != WAIT_OBJECT_0) return {CloseOutcome::StillRunning, who};
  return {CloseOutcome::Ended, who};
}

bool IsProgramImage(const wchar_t* image) {
  for (const wchar_t* name : kProgramImages) {
    if (lstrcmpiW(image, name) == 0) return true;
  }
  return false;
}

// The sessions other than ours in which a VESK process runs.
std::set<DWORD> OtherSessionsWithProgram() {
  std::set<DWORD> sessions;
  DWORD ownSession = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &ownSession);
  Handle snapshot{CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
  if (snapshot.value == nullptr) return sessions;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.value, &entry); more; more = Process32NextW(snapshot.value, &entry)) {
    DWORD session = 0;
    if (IsProgramImage(entry.szExeFile) && ProcessIdToSessionId(entry.th32ProcessID, &session) &&
        session != ownSession) {
      sessions.insert(session);
    }
  }
  return sessions;
}

// Runs `commandLine` in `session` as the account we run as (the system
// account, which may reach every window there).
CloseReport CloseInSession(DWORD session, const std::wstring& commandLine, DWORD boundMs) {
  const std::wstring where = L"session " + std::to_wstring(session);
  HANDLE own = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &own)) {
    return {CloseOutcome::Unreachable, where + L": " + ErrorText(L"OpenProcessToken", GetLastError())};
  }
  Handle ownToken{own};
  HANDLE copy = nullptr;
  if (!DuplicateTokenEx(own, MAXIMUM_ALLOWED, nullptr, SecurityIdentification, TokenPrimary, &copy)) {
    return {CloseOutcome::Unreachable, where + L": " + ErrorText(L"DuplicateTokenEx", GetLastError())};
  }
  Handle token{copy};
  if (!SetTokenInformation(copy, TokenSessionId, &session, sizeof(session))) {
    return {CloseOutcome::Unreachable, where + L": " + ErrorText(L"SetTokenInformation", GetLastError())};
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  wchar_t desktop[] = L"winsta0\\default";
  startup.lpDesktop = desktop;
  PROCESS_INFORMATION started{};
  std::wstring line = commandLine;
  if (!CreateProcessAsUserW(copy, nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                            &startup, &started)) {
    return {CloseOutcome::Unreachable, where + L": " + ErrorText(L"CreateProcessAsUser", GetLastError())};
  }
  Handle helper{started.hProcess};
  CloseHandle(started.hThread);
  // The helper waits `boundMs` itself; it gets a little more to report.
  DWORD code = ExitCodeOf(CloseOutcome::StillRunning);
  if (WaitForSingleObject(started.hProcess, boundMs + 10000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(started.hProcess, &code);
  }
  return {OutcomeOfExitCode(code), where};
}

// The worse of two outcomes decides.
CloseReport Combine(CloseReport sum, const CloseReport& next) {
  if (next.outcome == CloseOutcome::NotRunning) return sum;
  if (!sum.detail.empty()) sum.detail += L"; ";
  sum.detail += next.detail;
  if (static_cast<int>(next.outcome) > static_cast<int>(sum.outcome)) sum.outcome = next.outcome;
  return sum;
}

}  // namespace

DWORD ExitCodeOf(CloseOutcome outcome) { return static_cast<DWORD>(outcome); }

CloseOutcome OutcomeOfExitCode(DWORD code) {
  return code <= static_cast<DWORD>(CloseOutcome::Unreachable) ? static_cast<CloseOutcome>(code)
                                                                : CloseOutcome::Unreachable;
}

CloseReport CloseProgramInThisSession(DWORD boundMs) {
  CloseReport sum;
  for (int i = 0; i < kMaxClosesPerSession; ++i) {
    HWND window = FindWindowW(kMainWindowClass, nullptr);
    if (window == nullptr) return sum;
    sum = Combine(sum, CloseOne(window, boundMs));
    if (sum.outcome != CloseOutcome::Ended) return sum;
  }
  return sum;
}

CloseReport CloseProgramEverywhere(DWORD boundMs, const std::wstring& helperLibrary) {
  CloseReport sum = CloseProgramInThisSession(boundMs);
  wchar_t system[MAX_PATH] = L"";
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring commandLine = L"\"" + std::wstring(system) + L"\\rundll32.exe\" \"" + helperLibrary +
                                   L"\",CloseProgramHere " + std::to_wstring(boundMs);
  for (DWORD session : OtherSessionsWithProgram()) sum = Combine(sum, CloseInSession(session, commandLine, boundMs));
  return sum;
}

}  // namespace vesk::installer
