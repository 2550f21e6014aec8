#include "platform/win32/file_paths.h"

namespace vesk::win32 {
namespace {

// Long paths are at most this many UTF-16 units.
constexpr std::size_t kMaxPathUnits = 32'768;

}  // namespace

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  while (path.size() <= kMaxPathUnits) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: try a larger buffer
  }
  return {};
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace vesk::win32
