#pragma once
// The autostart value: named "VESK", the executable's path, under both Run
// keys in this order. The machine's key is spelled with WOW6432Node so the
// value lands in the 32-bit view of it. The program writes it at every
// start; the installer removes it again.

namespace vesk {

inline constexpr const char* kRunValueName = "VESK";
inline constexpr const char* kUserRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kMachineRunKey = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace vesk
