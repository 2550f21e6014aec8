#include "platform/paths.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

// Only a path that names its drive or share keeps Windows from looking in
// the working folder or along the library search path.
TEST(Paths, FullOnlyWithADriveLetterAndSeparatorOrAShare) {
  for (const char* full : {"C:\\VESK\\", "d:/VESK", "\\\\server\\share\\VESK"}) EXPECT_TRUE(IsFullPath(full)) << full;
  for (const char* other : {"", "VESK.exe", "bin\\VESK.exe", "C:VESK", "\\VESK", "/VESK", "1:\\VESK", "\\\\\\VESK"}) {
    EXPECT_FALSE(IsFullPath(other)) << other;
  }
  EXPECT_TRUE(IsFullPath(std::wstring_view(L"C:\\定时开关机\\")));
}

TEST(Paths, FolderKeepsItsSeparatorAndAJoinAddsOneOnlyWhereMissing) {
  EXPECT_EQ(ContainingFolder("C:\\VESK\\VESK.exe"), "C:\\VESK\\");
  EXPECT_EQ(ContainingFolder(std::wstring_view(L"C:/VESK/VESK.exe")), L"C:/VESK/");
  EXPECT_EQ(ContainingFolder("VESK.exe"), "");
  EXPECT_EQ(JoinPath("C:\\VESK", "VESK.exe"), "C:\\VESK\\VESK.exe");
  EXPECT_EQ(JoinPath("C:\\VESK/", "VESK.exe"), "C:\\VESK/VESK.exe");
  EXPECT_EQ(JoinPath("C:\\VESK", ""), "C:\\VESK\\");
  EXPECT_EQ(JoinPath("", "VESK.exe"), "VESK.exe");
}

}  // namespace
}  // namespace vesk
