#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

namespace vesk::win32 {
namespace {

TEST(WideText, TextsBecomeTheirUtf16CodeUnitsAndBack) {
  EXPECT_EQ(ToWide("提醒"), std::wstring(L"\u63D0\u9192"));
  // Beyond the basic plane: surrogate pairs.
  EXPECT_EQ(ToWide("\xF0\x9F\x98\x80"), std::wstring(L"\xD83D\xDE00"));
  EXPECT_EQ(ToUtf8(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  // Empty and malformed texts do not fail.
  EXPECT_EQ(ToWide(""), L"");
  EXPECT_EQ(ToUtf8(L""), "");
  EXPECT_EQ(ToWide("a\xFF" "b"), std::wstring(L"a\uFFFDb"));
  EXPECT_EQ(ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

}  // namespace
}  // namespace vesk::win32
