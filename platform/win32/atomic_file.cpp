#include "platform/win32/atomic_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/unique_handle.h"

namespace vesk::win32 {

namespace {

// WriteFile takes at most a DWORD per call.
constexpr std::size_t kMaxWriteChunk = 1u << 30;

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes, const ReplaceCalls& calls) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min(bytes.size(), kMaxWriteChunk));
    DWORD written = 0;
    if (!calls.writeFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

// The whole new content in `temp`, on the disk and closed; false at the
// first step that fails. The handle is closed on every path, so the caller
// can delete the file afterwards.
bool WriteTempFile(const std::wstring& temp, std::span<const uint8_t> bytes, const ReplaceCalls& calls) {
  UniqueHandle file{calls.createFile(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr)};
  if (!file) return false;
  if (!WriteAll(file.Get(), bytes, calls)) return false;
  if (!calls.flushFileBuffers(file.Get())) return false;
  return file.Close();
}

// A leftover of an earlier save that was cut off goes first, even when it
// was made read-only (copied from a CD, or by hand): otherwise every later
// save would fail on it.
void RemoveStaleTemp(const std::wstring& temp) {
  const DWORD attributes = GetFileAttributesW(temp.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(temp.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  DeleteFileW(temp.c_str());
}

// Removes the new file after a failed step, keeping the reason that step
// gave for the caller.
bool FailAndRemove(const std::wstring& temp) {
  const DWORD error = GetLastError();
  DeleteFileW(temp.c_str());
  SetLastError(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
  return false;
}

}  // namespace

std::wstring ReplacementTempPath(const std::wstring& target) { return target + L".new"; }

bool ReplaceFileAtomically(const std::wstring& target, std::span<const uint8_t> bytes, const ReplaceCalls& calls) {
  const std::wstring temp = ReplacementTempPath(target);
  RemoveStaleTemp(temp);
  if (!WriteTempFile(temp, bytes, calls)) return FailAndRemove(temp);
  if (!calls.moveFileEx(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return FailAndRemove(temp);
  }
  return true;
}

}  // namespace vesk::win32
