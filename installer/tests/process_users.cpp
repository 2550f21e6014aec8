// Prints the account of every running process of a name, one line each:
// "PID SID" (or "PID ?" when its token cannot be read), so that a test can
// see who a program runs as.
#include <windows.h>

#include <sddl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

void PrintUser(DWORD pid) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  HANDLE token = nullptr;
  std::vector<BYTE> user(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE);
  DWORD got = 0;
  LPWSTR sid = nullptr;
  if (process != nullptr && OpenProcessToken(process, TOKEN_QUERY, &token) &&
      GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &got) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
    std::wprintf(L"%lu %ls\n", static_cast<unsigned long>(pid), sid);
    LocalFree(sid);
  } else {
    std::wprintf(L"%lu ?\n", static_cast<unsigned long>(pid));
  }
  if (token != nullptr) CloseHandle(token);
  if (process != nullptr) CloseHandle(process);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fwprintf(stderr, L"usage: vesk_process_users NAME.exe\n");
    return 2;
  }
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, argv[1]) == 0) PrintUser(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return 0;
}
