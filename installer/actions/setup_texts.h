#pragma once
// What the installation tells its user, in the program's two languages:
// Chinese when the system's default language is 2052, English otherwise.
#include <windows.h>

#include <string>
#include <vector>

namespace vesk::installer {

std::wstring ProgramDidNotEndText(DWORD boundSeconds, const std::wstring& detail);
std::wstring ProgramUnreachableText(const std::wstring& detail);
std::wstring DriverLibrariesMissingText(const std::vector<std::wstring>& missing, const std::wstring& programFolder);
std::wstring LogonTaskFailedText(HRESULT error);
std::wstring ProgramFolderNotSecuredText(const std::wstring& folder, DWORD error);
// `refused` is "PATH: WHO" of the first thing others may change.
std::wstring DriverSourceRefusedText(const std::wstring& refused, const std::wstring& programFolder);

}  // namespace vesk::installer
