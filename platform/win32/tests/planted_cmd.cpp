// Stands in for a "Cmd.exe" that someone dropped beside the program: when it
// runs, it leaves "planted-cmd-ran.txt" in its own folder and does nothing else.
#include <windows.h>

#include <string>

int main() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"planted-cmd-ran.txt";
  const HANDLE marker = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return 0;
}
