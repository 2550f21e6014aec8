#pragma once
// PawnIO, the signed driver through which VESK reaches the board on a
// current Windows: whether it is installed, and its own setup run silently
// when the package has it beside it.
#include <windows.h>

#include <optional>
#include <string>

namespace vesk::installer {

inline constexpr const wchar_t* kPawnIoSetupName = L"PawnIO_setup.exe";
inline constexpr const wchar_t* kPawnIoSetupArguments = L"-install -silent";

// PawnIO's library in its installed folder exists.
bool PawnIoInstalled();

struct PawnIoSetupRun {
  bool found = false;                 // the setup lay in the folder
  std::optional<DWORD> exitCode;      // how it ended; none when it did not start or run out of time
  DWORD startError = ERROR_SUCCESS;   // why it did not start
};
// Runs the setup lying in `sourceFolder` silently and waits for it (bounded).
PawnIoSetupRun RunPawnIoSetup(const std::wstring& sourceFolder);

}  // namespace vesk::installer
