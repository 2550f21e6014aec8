#include "installer/actions/action_data.h"

namespace vesk::installer {

std::wstring EncodeActionData(const std::vector<std::wstring>& values) {
  std::wstring data;
  for (std::size_t i = 0; i < values.size(); ++i) data += (i == 0 ? L"" : L";") + values[i];
  return data;
}

}  // namespace vesk::installer
