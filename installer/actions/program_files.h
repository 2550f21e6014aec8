#pragma once
// The files of an installed VESK that the package itself does not carry:
// the board maker's driver libraries and PawnIO's module files (copied from
// beside the package, not ours to ship), the timetable and the other files the program writes, and
// the Run values it registers at every start.
#include <windows.h>

#include <string>
#include <vector>

namespace vesk::installer {

struct DriverCopy {
  std::vector<std::wstring> copied;   // file names copied into the program's folder
  std::vector<std::wstring> failed;   // present beside the package but not copied, with the error
  std::wstring refused;               // why nothing was copied from the source folder, or empty
};

// Copies the driver libraries and their driver files that lie in
// `sourceFolder` into `programFolder`, replacing older ones; nothing at all
// when others than the administrators could change the source (the copy
// runs as the system account, and what it copies is loaded with
// administrator rights).
DriverCopy CopyDriverFiles(const std::wstring& sourceFolder, const std::wstring& programFolder);
// Why driver files in `sourceFolder` are not to be copied ("PATH: WHO"), or
// empty when there are none or only administrators can change them.
std::wstring OpenDriverSource(const std::wstring& sourceFolder);
// Creates the program's folder where it is missing and gives it the
// protected access list of an installed program; the system's error code.
DWORD SecureProgramFolder(const std::wstring& folder);
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
