// The values deferred actions get: no character of a path splits them.
#include "installer/actions/action_data.h"

#include <gtest/gtest.h>

namespace vesk::installer {
namespace {

TEST(ActionData, ValuesWithSeparatorsDigitsAndColonsComeBackAsTheyWent) {
  const std::vector<std::wstring> values = {L"D:\\Apps;x\\VESK\\", L"", L"1", L"12:3;;\\\\server\\中文 文件夹\\",
                                            std::wstring(1000, L';')};
  EXPECT_EQ(DecodeActionData(EncodeActionData(values)), values);
  EXPECT_EQ(EncodeActionData({L"C:\\Apps;x\\VESK", L"1"}), L"14:C:\\Apps;x\\VESK1:1");
  EXPECT_EQ(DecodeActionData(L""), std::vector<std::wstring>{});
}

TEST(ActionData, DataThatIsNotASequenceOfValuesIsRefusedWhole) {
  // The old form, cut short, a length without its colon or beyond the end.
  for (const std::wstring data : {L"C:\\VESK\\;1", L"5:C:\\V", L"3", L"3x:abc", L":abc", L"2:ab7:abc",
                                  L"9999999999:a"}) {
    EXPECT_FALSE(DecodeActionData(data).has_value()) << std::string(data.begin(), data.end());
  }
}

}  // namespace
}  // namespace vesk::installer
