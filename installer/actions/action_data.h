#pragma once
// The values a deferred custom action gets in its CustomActionData. Each
// value goes in as its length in UTF-16 units, a colon and the value itself,
// so that no character of a path (';' is legal in one) can split or join
// values: "13:C:\Apps;x\VESK1:1" holds "C:\Apps;x\VESK" and "1".
#include <optional>
#include <string>
#include <vector>

namespace vesk::installer {

std::wstring EncodeActionData(const std::vector<std::wstring>& values);
// Nothing when the data is not such a sequence (cut short, a bad length).
std::optional<std::vector<std::wstring>> DecodeActionData(const std::wstring& data);

}  // namespace vesk::installer
