// Prints "PID SID" for every running process of the name given, "PID ?"
// where its token cannot be read: who a program runs as.
#include <windows.h>

#include <sddl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, argv[1]) != 0) continue;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    HANDLE token = nullptr;
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD got = 0;
    LPWSTR sid = nullptr;
    const bool known = process != nullptr && OpenProcessToken(process, TOKEN_QUERY, &token) &&
                       GetTokenInformation(token, TokenUser, user, sizeof user, &got) &&
                       ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
    std::wprintf(L"%lu %ls\n", static_cast<unsigned long>(entry.th32ProcessID), known ? sid : L"?");
    if (sid != nullptr) LocalFree(sid);
    if (token != nullptr) CloseHandle(token);
    if (process != nullptr) CloseHandle(process);
  }
  CloseHandle(snapshot);
  return 0;
}
