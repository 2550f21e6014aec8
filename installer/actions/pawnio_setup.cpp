#include "installer/actions/pawnio_setup.h"

#include <shlobj.h>

#include "platform/win32/file_paths.h"

namespace vesk::installer {

namespace {

// A silent driver installation takes seconds; a setup still running after
// this is left to finish on its own and the installation goes on.
constexpr DWORD kSetupBoundMs = 5 * 60 * 1000;
constexpr const wchar_t* kPawnIoLibrary = L"\\PawnIO\\PawnIOLib.dll";

}  // namespace

bool PawnIoInstalled() {
  wchar_t programFiles[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles))) return false;
  return win32::IsFile(std::wstring(programFiles) + kPawnIoLibrary);
}

PawnIoSetupRun RunPawnIoSetup(const std::wstring& sourceFolder) {
  PawnIoSetupRun run;
  const std::wstring setup = sourceFolder + L"\\" + kPawnIoSetupName;
  run.found = win32::IsFile(setup);
  if (!run.found) return run;
  std::wstring commandLine = L"\"" + setup + L"\" " + kPawnIoSetupArguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(setup.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      sourceFolder.c_str(), &startup, &process)) {
    run.startError = GetLastError();
    return run;
  }
  DWORD code = 0;
  if (WaitForSingleObject(process.hProcess, kSetupBoundMs) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code)) {
    run.exitCode = code;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

}  // namespace vesk::installer
