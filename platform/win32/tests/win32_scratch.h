#pragma once
// A fresh folder under the temporary folder for one test, removed with all
// its files afterwards; its name may carry Chinese characters to prove that
// paths reach Windows as UTF-16 intact.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace vesk::win32::testing {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& nameUtf8) {
    static int counter = 0;
    dir_ = (std::filesystem::temp_directory_path() / (ToWide(nameUtf8) + L"-" +
            std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++))).wstring();
    std::filesystem::create_directories(dir_);
  }
  ~ScratchFolder() { std::error_code ignored; std::filesystem::remove_all(dir_, ignored); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

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
