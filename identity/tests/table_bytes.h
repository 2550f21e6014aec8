#pragma once
// Hand-made firmware tables for the tests, one structure at a time.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vesk::testing {

using Bytes = std::vector<uint8_t>;

// Header, extra formatted bytes, strings and closing NUL. Built byte by
// byte: g++ 12 misreads a range insert here (-Warray-bounds).
inline Bytes Structure(uint8_t type, uint16_t handle, std::initializer_list<std::string> strings,
                       const Bytes& formatted = {}) {
  Bytes out{type, static_cast<uint8_t>(4 + formatted.size())};
  out.push_back(static_cast<uint8_t>(handle & 0xFF));
  out.push_back(static_cast<uint8_t>(handle >> 8));
  for (const uint8_t b : formatted) out.push_back(b);
  for (const auto& s : strings) {
    for (const char c : s) out.push_back(static_cast<uint8_t>(c));
    out.push_back(0);
  }
  if (strings.size() == 0) out.push_back(0);
  out.push_back(0);
  return out;
}

inline Bytes EndOfTable() { return Structure(0x7F, 0xFEFF, {}); }

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts)
    for (const uint8_t b : p) out.push_back(b);
  return out;
}

}  // namespace vesk::testing
