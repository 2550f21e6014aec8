#pragma once
// The scheduled task "VESK" that starts the program with the highest
// privileges whenever a user logs on. A Run value cannot do that: Windows
// does not start a program that asks for administrator rights from one.
#include <windows.h>

#include <string>

namespace vesk::installer {

inline constexpr const wchar_t* kLogonTaskName = L"VESK";

// The task's definition for the program at `programPath`.
std::wstring LogonTaskDefinition(const std::wstring& programPath);

// Creates or replaces the task.
HRESULT RegisterLogonTask(const std::wstring& programPath);
// S_OK also when there was no task.
HRESULT DeleteLogonTask();
// Starts the task now in `session` for `user` (DOMAIN\name), as at a logon.
HRESULT RunLogonTask(DWORD session, const std::wstring& user);

}  // namespace vesk::installer
