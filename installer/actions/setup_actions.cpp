// The custom actions of the VESK package (installer/vesk.wxs), one exported
// function each. Deferred actions run as the system account and get their
// values from CustomActionData, which PassActionData fills; every step goes
// into the installation's log, so that a silent installation can be
// followed afterwards.
#include <windows.h>

#include <shellapi.h>
#include <wtsapi32.h>

#include <cstdlib>
#include <utility>

#include "installer/actions/action_data.h"
#include "installer/actions/logon_task.h"
#include "installer/actions/msi_session.h"
#include "installer/actions/pawnio_setup.h"
#include "installer/actions/program_closer.h"
#include "installer/actions/program_files.h"
#include "installer/actions/setup_texts.h"
#include "platform/paths.h"
#include "platform/win32/file_paths.h"
#include "platform/win32/write_access.h"

namespace {

using namespace vesk::installer;
using vesk::JoinPath;

// The program's exit stops a watchdog and aborts a shutdown: seconds at
// most, but a slow disk or a busy bus deserve a generous bound.
constexpr DWORD kCloseBoundMs = 30000;
constexpr const wchar_t* kProgramName = L"VESK.exe";

std::wstring Listed(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& name : names) list += (list.empty() ? L"" : L", ") + name;
  return list.empty() ? L"none" : list;
}

// What each deferred action gets, by the properties' names, in this order.
// Every value goes through EncodeActionData, so a ';' in a folder's name
// stays part of it.
const std::vector<std::pair<const wchar_t*, std::vector<const wchar_t*>>>& DeferredActionData() {
  static const std::vector<std::pair<const wchar_t*, std::vector<const wchar_t*>>> data = {
      {L"SecureProgramFolder", {L"INSTALLDIR"}},
      {L"RemoveLeftovers", {L"INSTALLDIR", L"PURGE"}},
      {L"CopyDriverFiles", {L"OriginalDatabase", L"INSTALLDIR"}},
      {L"InstallPawnIo", {L"OriginalDatabase"}},
      {L"RegisterLogonTask", {L"INSTALLDIR"}},
  };
  return data;
}

std::wstring ProgramPath(const std::wstring& folder) { return JoinPath(folder, kProgramName); }

std::wstring HexText(HRESULT value) {
  wchar_t text[16];
  wsprintfW(text, L"0x%08lX", static_cast<unsigned long>(value));
  return text;
}

std::wstring ThisLibrary() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisLibrary), &self);
  return vesk::win32::ModulePath(self);
}

std::wstring SessionText(DWORD session, WTS_INFO_CLASS what) {
  LPWSTR text = nullptr;
  DWORD bytes = 0;
  if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, what, &text, &bytes) || text == nullptr) {
    return {};
  }
  std::wstring value = text;
  WTSFreeMemory(text);
  return value;
}

// DOMAIN\name of the user logged on in `session`, or empty.
std::wstring UserOfSession(DWORD session) {
  const std::wstring name = SessionText(session, WTSUserName);
  if (name.empty()) return {};
  const std::wstring domain = SessionText(session, WTSDomainName);
  return domain.empty() ? name : domain + L"\\" + name;
}

DWORD OwnSession() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

bool RunsAsSystem() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;  // cannot tell: assume the worst
  alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD got = 0;
  const bool known = GetTokenInformation(token, TokenUser, user, sizeof user, &got) != FALSE;
  CloseHandle(token);
  return !known || IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, WinLocalSystemSid);
}

}  // namespace

extern "C" {

// Immediate: hands every deferred action its values (DeferredActionData).
__declspec(dllexport) UINT __stdcall PassActionData(MSIHANDLE install) {
  const MsiSession session{install};
  for (const auto& [action, properties] : DeferredActionData()) {
    std::vector<std::wstring> values;
    for (const wchar_t* property : properties) values.push_back(session.Property(property));
    session.SetProperty(action, EncodeActionData(values));
  }
  return ERROR_SUCCESS;
}

// Ends a running VESK through its exit; the installation stops with a
// message if it does not end in time (a killed VESK would leave the
// watchdog running).
__declspec(dllexport) UINT __stdcall CloseProgram(MSIHANDLE install) {
  const MsiSession session{install};
  const CloseReport report = CloseProgramEverywhere(kCloseBoundMs, ThisLibrary());
  switch (report.outcome) {
    case CloseOutcome::NotRunning: session.Log(L"VESK is not running."); return ERROR_SUCCESS;
    case CloseOutcome::Ended: session.Log(L"ended through its exit command: " + report.detail); return ERROR_SUCCESS;
    case CloseOutcome::StillRunning: session.Error(ProgramDidNotEndText(kCloseBoundMs / 1000, report.detail)); break;
    case CloseOutcome::Unreachable: session.Error(ProgramUnreachableText(report.detail)); break;
  }
  return ERROR_INSTALL_FAILURE;
}

// rundll32 entry of the copy that CloseProgram starts in a user's session:
// the exit code is the outcome there.
__declspec(dllexport) void CALLBACK CloseProgramHere(HWND, HINSTANCE, LPSTR arguments, int) {
  const long bound = arguments != nullptr ? std::strtol(arguments, nullptr, 10) : 0;
  const CloseReport report = CloseProgramInThisSession(bound > 0 ? static_cast<DWORD>(bound) : kCloseBoundMs);
  ExitProcess(ExitCodeOf(report.outcome));
}

__declspec(dllexport) UINT __stdcall RemoveAutostart(MSIHANDLE install) {
  const MsiSession session{install};
  const HRESULT task = DeleteLogonTask();
  session.Log(SUCCEEDED(task) ? L"logon task removed." : L"logon task not removed, error " + HexText(task));
  session.Log(L"Run values removed from: " + Listed(RemoveRunValues()));
  return ERROR_SUCCESS;
}

// CustomActionData: the program's folder; "1" when the timetable goes too.
__declspec(dllexport) UINT __stdcall RemoveLeftovers(MSIHANDLE install) {
  const MsiSession session{install};
  const std::vector<std::wstring> data = session.ActionData();
  if (data.size() != 2 || data[0].empty()) {
    session.Log(L"no program folder given: nothing removed.");
    return ERROR_SUCCESS;
  }
  const std::wstring& folder = data[0];
  session.Log(L"driver files removed: " + Listed(RemoveDriverFiles(folder)));
  if (data[1] == L"1") {
    session.Log(L"PURGE=1, data removed: " + Listed(RemoveProgramData(folder)));
  } else {
    session.Log(L"the timetable is kept in " + folder + L" (PURGE=1 removes it).");
  }
  return ERROR_SUCCESS;
}

// Before any file goes in: the program's folder gets its protected access
// list, taken from no parent (a folder outside Program Files would
// otherwise let every user change it). An installation that cannot do
// that stops. CustomActionData: the program's folder.
__declspec(dllexport) UINT __stdcall SecureProgramFolder(MSIHANDLE install) {
  const MsiSession session{install};
  const std::vector<std::wstring> data = session.ActionData();
  const DWORD result = data.size() == 1 && !data[0].empty() ? SecureProgramFolder(data[0]) : ERROR_INVALID_DATA;
  if (result != ERROR_SUCCESS) {
    session.Error(ProgramFolderNotSecuredText(data.empty() ? std::wstring() : data[0], result));
    return ERROR_INSTALL_FAILURE;
  }
  session.Log(L"access list of " + data[0] + L": " + vesk::win32::kProgramFolderSecurity);
  return ERROR_SUCCESS;
}

// Only on a first installation or an upgrade (vesk.wxs): a repair or a
// change, which a user without administrator rights may start, copies
// nothing. CustomActionData: the package's path; the program's folder.
__declspec(dllexport) UINT __stdcall CopyDriverFiles(MSIHANDLE install) {
  const MsiSession session{install};
  const std::vector<std::wstring> data = session.ActionData();
  if (data.size() != 2) return ERROR_SUCCESS;
  const std::wstring source = FolderOf(data[0]);
  const DriverCopy copy = CopyDriverFiles(source, data[1]);
  if (!copy.refused.empty()) {
    session.Log(L"driver files not copied: others than the administrators can change " + copy.refused);
    return ERROR_SUCCESS;
  }
  session.Log(L"driver files copied from " + source + L": " + Listed(copy.copied));
  if (!copy.failed.empty()) session.Log(L"driver files not copied: " + Listed(copy.failed));
  return ERROR_SUCCESS;
}

// PawnIO's own setup, when it lies beside the package and PawnIO is not
// installed yet; the installation goes on whatever it answers (the driver
// libraries may still serve).
// CustomActionData: the package's path.
__declspec(dllexport) UINT __stdcall InstallPawnIo(MSIHANDLE install) {
  const MsiSession session{install};
  const std::vector<std::wstring> data = session.ActionData();
  if (data.empty()) return ERROR_SUCCESS;
  if (PawnIoInstalled()) {
    session.Log(L"PawnIO is installed already");
    return ERROR_SUCCESS;
  }
  // It runs as the system account: not from where others could swap it.
  const std::wstring source = FolderOf(data[0]);
  const std::wstring setup = source + L"\\" + kPawnIoSetupName;
  if (vesk::win32::CheckWriteAccess(setup).verdict != vesk::win32::WriteAccess::Verdict::kMissing) {
    for (const std::wstring& path : {setup, source}) {
      const vesk::win32::WriteAccess access = vesk::win32::CheckWriteAccess(path);
      if (access.verdict == vesk::win32::WriteAccess::Verdict::kOthers) {
        session.Log(L"PawnIO's setup not run: others than the administrators can change " + path + L": " + access.who);
        return ERROR_SUCCESS;
      }
    }
  }
  const PawnIoSetupRun run = RunPawnIoSetup(source);
  const std::wstring command = std::wstring(kPawnIoSetupName) + L" " + kPawnIoSetupArguments;
  if (!run.found) {
    session.Log(L"PawnIO is not installed and no " + std::wstring(kPawnIoSetupName) + L" is beside the package");
  } else if (run.exitCode) {
    session.Log(command + L" ended with " + std::to_wstring(*run.exitCode) +
                (PawnIoInstalled() ? L"; PawnIO is installed" : L"; PawnIO is still not installed"));
  } else {
    session.Log(command + L" did not run to its end (error " + std::to_wstring(run.startError) + L")");
  }
  return ERROR_SUCCESS;
}

// CustomActionData: the program's folder.
__declspec(dllexport) UINT __stdcall RegisterLogonTask(MSIHANDLE install) {
  const MsiSession session{install};
  const std::vector<std::wstring> data = session.ActionData();
  if (data.size() != 1 || data[0].empty()) {
    session.Error(LogonTaskFailedText(E_INVALIDARG));
    return ERROR_INSTALL_FAILURE;
  }
  const std::wstring program = ProgramPath(data[0]);
  const HRESULT result = RegisterLogonTask(program);
  if (FAILED(result)) {
    session.Error(LogonTaskFailedText(result));
    return ERROR_INSTALL_FAILURE;
  }
  session.Log(L"logon task \"VESK\" registered:\n" + LogonTaskDefinition(program));
  return ERROR_SUCCESS;
}

// Immediate, after the installation, so it runs as the user who installs
// and never as the system account, which would put a program running as
// SYSTEM on that user's desktop. The program starts in the session at the
// console through the logon task, as the user logged on there and with the
// rights a logon gives it. Where the task cannot run and the installation
// runs in that session, the program is started directly (Windows asks for
// the rights its manifest requests); an installation run by the system
// account itself leaves the start to the next logon.
__declspec(dllexport) UINT __stdcall StartProgram(MSIHANDLE install) {
  const MsiSession session{install};
  const DWORD console = WTSGetActiveConsoleSessionId();
  if (console == 0xFFFFFFFF) {
    session.Log(L"nobody is logged on: the logon task starts VESK at the next logon.");
    return ERROR_SUCCESS;
  }
  const std::wstring user = UserOfSession(console);
  const HRESULT task = RunLogonTask(console, user);
  if (SUCCEEDED(task)) {
    session.Log(L"VESK started through the logon task in session " + std::to_wstring(console) + L" for " + user);
    return ERROR_SUCCESS;
  }
  if (RunsAsSystem() || OwnSession() != console) {
    session.Log(L"VESK not started now (the logon task could not run, error " + HexText(task) +
                L"); it starts at the next logon.");
    return ERROR_SUCCESS;
  }
  const std::wstring folder = session.Property(L"INSTALLDIR");
  const std::wstring program = ProgramPath(folder);
  SHELLEXECUTEINFOW run{};
  run.cbSize = sizeof(run);
  run.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  run.lpFile = program.c_str();
  run.lpDirectory = folder.c_str();
  run.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&run)) {
    session.Log(L"VESK started by the installing user (the logon task could not run, error " + HexText(task) + L").");
  } else {
    session.Log(L"VESK could not be started, error " + std::to_wstring(GetLastError()) +
                L"; it starts at the next logon.");
  }
  return ERROR_SUCCESS;
}

// After the installation: says so when the driver libraries are missing
// (a box in an interactive installation, the log of a silent one).
__declspec(dllexport) UINT __stdcall ReportDriverFiles(MSIHANDLE install) {
  const MsiSession session{install};
  const std::wstring folder = session.Property(L"INSTALLDIR");
  const std::wstring source = FolderOf(session.Property(L"OriginalDatabase"));
  // Judged again here, where the installation can still show it: the
  // deferred copy only writes its log.
  const std::wstring refused = session.Property(L"Installed").empty() ? OpenDriverSource(source) : std::wstring();
  if (!refused.empty()) {
    session.Warn(DriverSourceRefusedText(refused, folder));
    return ERROR_SUCCESS;
  }
  const std::vector<std::wstring> missing = MissingHardwareAccess(folder, PawnIoInstalled());
  if (missing.empty()) {
    session.Log(L"the hardware can be reached from " + folder);
  } else {
    session.Warn(DriverLibrariesMissingText(missing, folder));
  }
  return ERROR_SUCCESS;
}

}  // extern "C"
