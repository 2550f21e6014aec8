#pragma once
// The timetable and the holidays a fleet installs with the program (the
// package's properties TIMETABLE and HOLIDAYS): read from where the
// administrator keeps them, judged as the program judges them, carried to
// the deferred part of the installation as text, and written into the
// program's folder so that a failed installation can put back what was
// there before.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vesk::installer {

struct FleetFile {
  const wchar_t* property;  // the package's property that names the source
  const wchar_t* name;      // the file's name in the program's folder
};
inline constexpr FleetFile kFleetTimetable{L"TIMETABLE", L"TimeSetting.bin"};
inline constexpr FleetFile kFleetHolidays{L"HOLIDAYS", L"Holidays.txt"};
inline constexpr FleetFile kFleetFiles[] = {kFleetTimetable, kFleetHolidays};

// The content of a source, or why it cannot be installed (in the system's
// language, for the log and the message).
struct FleetSource {
  std::vector<uint8_t> bytes;
  std::wstring refusal;  // empty when accepted
};

// Reads `path` (a full local or UNC path) and judges its content: a
// timetable must be the 126-byte image the program saves and pass the
// checks of its save button; holidays must be read by the program without
// a fault.
FleetSource ReadFleetSource(const FleetFile& file, const std::wstring& path);
std::wstring JudgeTimetable(const std::vector<uint8_t>& bytes, LANGID langId);
std::wstring JudgeHolidays(const std::vector<uint8_t>& bytes, LANGID langId);

// The content as the deferred action gets it: "hex:" and two hexadecimal
// digits a byte, which no encoding of the action's data can split, and
// which a log shows as plain text. Empty text stands for "no file given";
// an empty file is "hex:".
std::wstring EncodeFleetContent(const std::vector<uint8_t>& bytes);
std::optional<std::vector<uint8_t>> DecodeFleetContent(const std::wstring& text);

// Installs `bytes` as `name` in `folder`, first keeping what was there (or
// a note that nothing was) for UndoFleetFile. Empty on success, else the
// system's reason.
std::wstring InstallFleetFile(const std::wstring& folder, const wchar_t* name, const std::vector<uint8_t>& bytes);
// Puts back what InstallFleetFile found; nothing when it never started.
// Returns whether anything was put back.
bool UndoFleetFile(const std::wstring& folder, const wchar_t* name);
// Drops what InstallFleetFile kept, once the installation has succeeded.
void ForgetFleetBackup(const std::wstring& folder, const wchar_t* name);

}  // namespace vesk::installer
