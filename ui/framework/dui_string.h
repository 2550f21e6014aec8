#pragma once
// CDuiString: the framework's text type. It holds UTF-8 and converts to
// UTF-16 only where the Win32 backend hands text to the system.
#include <cstddef>
#include <string>
#include <string_view>

namespace vesk::ui {

class CDuiString {
 public:
  CDuiString() = default;
  CDuiString(const char* text) : text_(text ? text : "") {}  // NOLINT: implicit by design
  CDuiString(std::string text) : text_(std::move(text)) {}  // NOLINT
  CDuiString(std::string_view text) : text_(text) {}        // NOLINT

  const char* GetData() const { return text_.c_str(); }
  operator const char*() const { return text_.c_str(); }  // NOLINT: as the windows expect
  const std::string& str() const { return text_; }

  int GetLength() const { return static_cast<int>(text_.size()); }
  bool IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }

  // printf-style formatting into this string; returns the resulting length.
  int Format(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

  CDuiString& operator+=(const CDuiString& other) {
    text_ += other.text_;
    return *this;
  }
  friend CDuiString operator+(CDuiString a, const CDuiString& b) { return a += b; }

  bool operator==(const CDuiString& other) const { return text_ == other.text_; }
  bool operator==(const char* other) const { return text_ == (other ? other : ""); }
  int Compare(const char* other) const { return text_.compare(other ? other : ""); }

 private:
  std::string text_;
};

}  // namespace vesk::ui
