#include "installer/actions/program_files.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include "app/run_values.h"
#include "hardware/win32/driver_files.h"
#include "history/history.h"
#include "platform/paths.h"
#include "platform/win32/file_paths.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/write_access.h"
#include "schedule/holidays.h"
#include "schedule/schedule_file.h"

namespace vesk::installer {

namespace {

// The libraries the program cannot start without (they load the kernel
// drivers lying beside them), and PawnIO's signed SMBus modules, one of
// which serves the board's chipset.
constexpr const wchar_t* kDriverLibraries[] = {kPortLibraryName, kMemoryLibraryName};
constexpr const wchar_t* kSmbusModules[] = {kSmbusI801ModuleFile, kSmbusPiix4ModuleFile};

std::vector<std::wstring> RemoveEach(const std::wstring& folder, const std::vector<std::wstring>& names) {
  std::vector<std::wstring> removed;
  for (const std::wstring& name : names) {
    if (DeleteFileW(JoinPath(folder, name).c_str())) removed.push_back(name);
  }
  return removed;
}

bool DeleteRunValue(HKEY root, const std::wstring& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
  const bool deleted = RegDeleteValueW(key, win32::ToWide(kRunValueName).c_str()) == ERROR_SUCCESS;
  RegCloseKey(key);
  return deleted;
}

}  // namespace

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring OpenDriverSource(const std::wstring& sourceFolder) {
  std::vector<std::wstring> paths;
  for (const wchar_t* name : kDriverFilesBesideProgram) {
    if (win32::IsFile(JoinPath(sourceFolder, name))) paths.push_back(JoinPath(sourceFolder, name));
  }
  if (paths.empty()) return {};
  paths.insert(paths.begin(), sourceFolder);
  for (const std::wstring& path : paths) {
    const win32::WriteAccess access = win32::CheckWriteAccess(path);
    if (access.verdict == win32::WriteAccess::Verdict::kOthers) return path + L": " + access.who;
  }
  return {};
}

DWORD SecureProgramFolder(const std::wstring& folder) {
  const int created = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (created != ERROR_SUCCESS && created != ERROR_ALREADY_EXISTS) return static_cast<DWORD>(created);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(win32::kProgramFolderSecurity, SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return GetLastError();
  }
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  PSID owner = nullptr;
  GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
  GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
  // Also taken from whoever made the folder before: an owner may rewrite
  // the list. What the folder holds inherits the new entries.
  const DWORD result = SetNamedSecurityInfoW(
      const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, owner, nullptr,
      dacl, nullptr);
  LocalFree(descriptor);
  return result;
}

DriverCopy CopyDriverFiles(const std::wstring& sourceFolder, const std::wstring& programFolder) {
  DriverCopy result;
  result.refused = OpenDriverSource(sourceFolder);
  if (!result.refused.empty()) return result;
  for (const wchar_t* name : kDriverFilesBesideProgram) {
    const std::wstring source = JoinPath(sourceFolder, name);
    if (!win32::IsFile(source)) continue;
    if (CopyFileW(source.c_str(), JoinPath(programFolder, name).c_str(), FALSE)) {
      result.copied.push_back(name);
    } else {
      result.failed.push_back(std::wstring(name) + L" (error " + std::to_wstring(GetLastError()) + L")");
    }
  }
  return result;
}

std::vector<std::wstring> MissingHardwareAccess(const std::wstring& programFolder, bool pawnIoInstalled) {
  std::vector<std::wstring> missing;
  for (const wchar_t* name : kDriverLibraries) {
    if (!win32::IsFile(JoinPath(programFolder, name))) missing.push_back(name);
  }
  if (missing.empty()) return missing;
  bool smbusModule = false;
  for (const wchar_t* name : kSmbusModules) smbusModule = smbusModule || win32::IsFile(JoinPath(programFolder, name));
  if (pawnIoInstalled && smbusModule) return {};
  if (!pawnIoInstalled) missing.push_back(L"PawnIO");
  if (!smbusModule) missing.push_back(std::wstring(kSmbusModules[0]) + L" / " + kSmbusModules[1]);
  return missing;
}

std::vector<std::wstring> RemoveDriverFiles(const std::wstring& programFolder) {
  return RemoveEach(programFolder, {kDriverFilesBesideProgram.begin(), kDriverFilesBesideProgram.end()});
}

std::vector<std::wstring> RemoveProgramData(const std::wstring& programFolder) {
  const std::wstring timetable = win32::ToWide(kScheduleFileName);
  const std::wstring holidays = win32::ToWide(kHolidaysFileName);
  // The timetable and the holidays, each with what a save interrupted by a
  // power cut may leave, and the history with its older file.
  return RemoveEach(programFolder, {timetable, timetable + L".new", holidays, holidays + L".new",
                                    win32::ToWide(history::kFileName), win32::ToWide(history::kOlderFileName)});
}

std::vector<std::wstring> RemoveRunValues() {
  std::vector<std::wstring> removed;
  const std::wstring userKey = win32::ToWide(kUserRunKey);
  const std::wstring machineKey = win32::ToWide(kMachineRunKey);
  if (DeleteRunValue(HKEY_LOCAL_MACHINE, machineKey)) removed.push_back(L"HKLM\\" + machineKey);
  if (DeleteRunValue(HKEY_CURRENT_USER, userKey)) removed.push_back(L"HKCU\\" + userKey);
  // The users who ran the program; only their loaded registries are reachable.
  wchar_t sid[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(std::size(sid));
    if (RegEnumKeyExW(HKEY_USERS, i, sid, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::wstring subKey = std::wstring(sid) + L"\\" + userKey;
    if (DeleteRunValue(HKEY_USERS, subKey)) removed.push_back(L"HKU\\" + subKey);
  }
  return removed;
}

}  // namespace vesk::installer
