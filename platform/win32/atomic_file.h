#pragma once
// Replacing a small file so that a reader only ever finds the old or the new
// content whole: the new bytes go to a file beside the target, written
// through to the disk, and that file then takes the target's name in one
// step. Any failure removes the new file and leaves the old one untouched.
// A read-only target is respected: replacing it fails.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

namespace vesk::win32 {

// The system calls a replacement is made of, one per step: the system's own
// unless a caller (a test making one step fail as the system can) puts in
// others.
struct ReplaceCalls {
  HANDLE(WINAPI* createFile)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) = &CreateFileW;
  BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = &WriteFile;
  BOOL(WINAPI* flushFileBuffers)(HANDLE) = &FlushFileBuffers;
  BOOL(WINAPI* moveFileEx)(LPCWSTR, LPCWSTR, DWORD) = &MoveFileExW;
};

// The file the new content is written to before it replaces `target`.
std::wstring ReplacementTempPath(const std::wstring& target);

// False on failure, with the failed step's reason in GetLastError().
bool ReplaceFileAtomically(const std::wstring& target, std::span<const uint8_t> bytes,
                           const ReplaceCalls& calls = {});

}  // namespace vesk::win32
