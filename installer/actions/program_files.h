#pragma once
// The files of an installed VESK that the package itself does not carry:
// the board maker's driver libraries and PawnIO's module files (copied from
// beside the package, not ours to ship), the timetable and the other files the program writes, and
// the Run values it registers at every start.
#include <string>
#include <vector>

namespace vesk::installer {

struct DriverCopy {
  std::vector<std::wstring> copied;   // file names copied into the program's folder
  std::vector<std::wstring> failed;   // present beside the package but not copied, with the error
};

// Copies the driver libraries and their driver files that lie in
// `sourceFolder` into `programFolder`, replacing older ones.
DriverCopy CopyDriverFiles(const std::wstring& sourceFolder, const std::wstring& programFolder);
// What keeps the program from reaching the board: empty when the two
// driver libraries are in `programFolder`, or PawnIO is installed and an
// SMBus module lies there; otherwise what each of the two ways lacks.
std::vector<std::wstring> MissingHardwareAccess(const std::wstring& programFolder, bool pawnIoInstalled);
// Deletes what CopyDriverFiles may have put there; returns the names deleted.
std::vector<std::wstring> RemoveDriverFiles(const std::wstring& programFolder);
// Deletes the timetable and the program's other data files; returns the names deleted.
std::vector<std::wstring> RemoveProgramData(const std::wstring& programFolder);

// Deletes the value "VESK" from the Run key of the machine and of every
// user whose registry is loaded; returns the keys it was deleted from.
std::vector<std::wstring> RemoveRunValues();

// The folder of a file's path, without the last separator.
std::wstring FolderOf(const std::wstring& path);

}  // namespace vesk::installer
