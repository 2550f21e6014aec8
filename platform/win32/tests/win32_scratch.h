#pragma once
// A fresh folder under the temporary folder for one test, removed with all
// its files afterwards; its name may carry any characters (Chinese ones to
// prove that paths reach Windows as UTF-16 intact).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace vesk::win32::testing {

inline void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = dir + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& nameUtf8) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    static int counter = 0;
    dir_ = std::wstring(temp) + ToWide(nameUtf8) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++);
    RemoveTree(dir_);
    CreateDirectoryW(dir_.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(dir_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Dir() const { return dir_; }
  std::wstring Path(const std::string& nameUtf8) const { return dir_ + L"\\" + ToWide(nameUtf8); }
  std::string PathUtf8(const std::string& nameUtf8) const { return ToUtf8(Path(nameUtf8)); }

 private:
  std::wstring dir_;
};

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Written and read with plain Win32 calls, independent of the code under test.
inline void PutFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

inline std::vector<uint8_t> GetFile(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<uint8_t> content(1 << 16);
  DWORD got = 0;
  ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &got, nullptr);
  CloseHandle(file);
  content.resize(got);
  return content;
}

inline std::vector<uint8_t> Pattern(std::size_t length, uint8_t seed) {
  std::vector<uint8_t> bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

}  // namespace vesk::win32::testing
