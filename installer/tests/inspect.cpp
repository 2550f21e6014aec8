// What the installer test asks Windows (or Wine) directly:
//   vesk_inspect users NAME.exe   "PID SID" for every process of that name
//                                 ("PID ?" where its token cannot be read)
//   vesk_inspect acl PATH         the owner and access list as SDDL
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

namespace {

void PrintUsers(const wchar_t* name) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, name) != 0) continue;
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
}

int PrintAccessList(const wchar_t* path) {
  constexpr SECURITY_INFORMATION kWhat = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  LPWSTR text = nullptr;
  if (GetNamedSecurityInfoW(path, SE_FILE_OBJECT, kWhat, nullptr, nullptr, nullptr, nullptr, &descriptor) !=
          ERROR_SUCCESS ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, kWhat, &text, nullptr)) {
    return 1;
  }
  std::wprintf(L"%ls\n", text);
  LocalFree(text);
  LocalFree(descriptor);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"users") == 0) {
    PrintUsers(argv[2]);
    return 0;
  }
  if (argc == 3 && std::wcscmp(argv[1], L"acl") == 0) return PrintAccessList(argv[2]);
  std::fwprintf(stderr, L"usage: vesk_inspect users NAME.exe | acl PATH\n");
  return 2;
}
