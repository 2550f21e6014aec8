#pragma once
// Where the program's files are: the path of a loaded module, and whether
// a file (not a folder) is there.
#include <windows.h>

#include <string>

namespace vesk::win32 {

// The full path of a loaded module, null for the process's executable,
// however long it is; empty when Windows cannot tell.
std::wstring ModulePath(HMODULE module = nullptr);

// A file, not a folder, is at this path.
bool IsFile(const std::wstring& path);

}  // namespace vesk::win32
