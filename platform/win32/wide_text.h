#pragma once
// Texts are UTF-8 inside the program and UTF-16 at the Win32 boundary; these
// two conversions are the only place where the two meet. Malformed UTF-8
// becomes U+FFFD rather than failing, so a damaged text still shows.
#include <string>
#include <string_view>

namespace vesk::win32 {

std::wstring ToWide(std::string_view utf8);
std::string ToUtf8(std::wstring_view utf16);

}  // namespace vesk::win32
