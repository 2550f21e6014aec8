// Checks that the Windows test programs really run on a Win32 system (Wine
// here) with what the other Windows tests rely on.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(WineEnvironment, SystemDirectoryHoldsCmdExe) {
  wchar_t dir[MAX_PATH];
  const UINT length = GetSystemDirectoryW(dir, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::wstring cmd = std::wstring(dir, length) + L"\\cmd.exe";
  EXPECT_NE(GetFileAttributesW(cmd.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WineEnvironment, LocalTimeIsPlausible) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  EXPECT_GE(st.wYear, 2024);
  EXPECT_LE(st.wDayOfWeek, 6);
}

}  // namespace
