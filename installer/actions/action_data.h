#pragma once
// The values a deferred custom action gets in its CustomActionData, in the
// form MsiSession::ActionData reads: joined by ';'.
#include <string>
#include <vector>

namespace vesk::installer {

std::wstring EncodeActionData(const std::vector<std::wstring>& values);

}  // namespace vesk::installer
