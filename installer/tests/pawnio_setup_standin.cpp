// Stand-in for PawnIO's own setup, for the installer's test under Wine only:
// it notes its arguments in "PawnIO_setup.runs" beside itself (one line a
// run) and "installs" by copying the PawnIOLib.dll lying beside it into
// "%ProgramFiles%\PawnIO". Exit code 0 when that worked.
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// The command line without the program's own name.
std::wstring Arguments() {
  const wchar_t* line = GetCommandLineW();
  bool quoted = false;
  for (; *line != L'\0' && (quoted || *line != L' '); ++line) {
    if (*line == L'"') quoted = !quoted;
  }
  while (*line == L' ') ++line;
  return line;
}

void Note(const std::wstring& file, const std::wstring& text) {
  const HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  const std::string bytes(text.begin(), text.end());  // the arguments are plain ASCII
  DWORD written = 0;
  WriteFile(handle, (bytes + "\n").data(), static_cast<DWORD>(bytes.size() + 1), &written, nullptr);
  CloseHandle(handle);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring folder = OwnFolder();
  Note(folder + L"PawnIO_setup.runs", Arguments());
  wchar_t programFiles[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles))) return 1;
  const std::wstring target = std::wstring(programFiles) + L"\\PawnIO";
  CreateDirectoryW(target.c_str(), nullptr);
  return CopyFileW((folder + L"PawnIOLib.dll").c_str(), (target + L"\\PawnIOLib.dll").c_str(), FALSE) ? 0 : 2;
}
