#pragma once
// The board maker's driver files that lie beside VESK.exe: the two
// libraries the program loads and the kernel drivers they install. The
// installer copies and removes exactly these, and the program checks at
// every start that only administrators can change them; a file added here
// is taken care of in both.
#include <array>
#include <string>
#include <vector>

namespace vesk {

inline constexpr const wchar_t* kPortLibraryName = L"WinRing0x64.dll";  // I/O ports, PCI configuration space
inline constexpr const wchar_t* kPortDriverName = L"WinRing0x64.sys";
inline constexpr const wchar_t* kMemoryLibraryName = L"WinIo64.dll";    // physical memory
inline constexpr const wchar_t* kMemoryDriverName = L"WinIo64.sys";

// PawnIO's signed modules, which the program hands to PawnIO's driver.
inline constexpr const wchar_t* kSmbusI801ModuleFile = L"SmbusI801.bin";
inline constexpr const wchar_t* kSmbusPiix4ModuleFile = L"SmbusPIIX4.bin";
inline constexpr const wchar_t* kLpcIoModuleFile = L"LpcIO.bin";
// PawnIO's own library, in PawnIO's folder.
inline constexpr const wchar_t* kPawnIoLibraryName = L"PawnIOLib.dll";

inline constexpr std::array kDriverFilesBesideProgram = {kPortLibraryName, kPortDriverName,   kMemoryLibraryName,
                                                         kMemoryDriverName, kSmbusI801ModuleFile, kSmbusPiix4ModuleFile,
                                                         kLpcIoModuleFile};

// Every file the program loads with its rights, by full path, for a program
// in `programFolder` and PawnIO in `pawnIoFolder` (each with its trailing
// separator; PawnIO's left out when its folder is unknown).
inline std::vector<std::wstring> LoadedDriverFiles(const std::wstring& programFolder,
                                                   const std::wstring& pawnIoFolder) {
  std::vector<std::wstring> paths;
  for (const wchar_t* name : kDriverFilesBesideProgram) paths.push_back(programFolder + name);
  if (!pawnIoFolder.empty()) paths.push_back(pawnIoFolder + kPawnIoLibraryName);
  return paths;
}

}  // namespace vesk
