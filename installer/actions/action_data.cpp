#include "installer/actions/action_data.h"

namespace vesk::installer {

namespace {

// A length has at most this many digits: no property comes near 10^9 units.
constexpr std::size_t kMaxLengthDigits = 9;

}  // namespace

std::wstring EncodeActionData(const std::vector<std::wstring>& values) {
  std::wstring data;
  for (const std::wstring& value : values) data += std::to_wstring(value.size()) + L":" + value;
  return data;
}

std::optional<std::vector<std::wstring>> DecodeActionData(const std::wstring& data) {
  std::vector<std::wstring> values;
  std::size_t at = 0;
  while (at < data.size()) {
    std::size_t length = 0;
    std::size_t digits = 0;
    for (; at < data.size() && data[at] >= L'0' && data[at] <= L'9'; ++at, ++digits) {
      if (digits == kMaxLengthDigits) return std::nullopt;
      length = length * 10 + static_cast<std::size_t>(data[at] - L'0');
    }
    if (digits == 0 || at >= data.size() || data[at] != L':') return std::nullopt;
    ++at;
    if (data.size() - at < length) return std::nullopt;
    values.push_back(data.substr(at, length));
    at += length;
  }
  return values;
}

}  // namespace vesk::installer
