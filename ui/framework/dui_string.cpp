#include "ui/framework/dui_string.h"

#include <cstdarg>
#include <cstdio>

namespace vesk::ui {

int CDuiString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list probe;
  va_copy(probe, args);
  const int length = std::vsnprintf(nullptr, 0, format, probe);
  va_end(probe);
  if (length < 0) {
    va_end(args);
    text_.clear();
    return 0;
  }
  std::string out(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  va_end(args);
  out.resize(static_cast<std::size_t>(length));
  text_ = std::move(out);
  return length;
}

}  // namespace vesk::ui
