// Stand-in for the physical-memory driver library WinIo64.dll, for tests
// and demonstrations on the simulated board only; never shipped as the
// product's driver. Its four functions reach the board that the stand-in
// WinRing0x64.dll holds, so both libraries see one board.
#include <windows.h>

extern "C" {

__declspec(dllimport) BOOL WINAPI VeskStandInInitializeWinIo();
__declspec(dllimport) VOID WINAPI VeskStandInShutdownWinIo();
__declspec(dllimport) BOOL WINAPI VeskStandInGetPhysLong(DWORD address, PDWORD value);
__declspec(dllimport) BOOL WINAPI VeskStandInSetPhysLong(DWORD address, DWORD value);

bool WINAPI InitializeWinIo() { return VeskStandInInitializeWinIo() != FALSE; }

void WINAPI ShutdownWinIo() { VeskStandInShutdownWinIo(); }

// The program addresses physical memory below 4 GiB only.
bool WINAPI GetPhysLong(PBYTE physicalAddress, PDWORD value) {
  const auto address = reinterpret_cast<ULONG_PTR>(physicalAddress);
  if (address > 0xFFFFFFFFu) return false;
  return VeskStandInGetPhysLong(static_cast<DWORD>(address), value) != FALSE;
}

bool WINAPI SetPhysLong(PBYTE physicalAddress, DWORD value) {
  const auto address = reinterpret_cast<ULONG_PTR>(physicalAddress);
  if (address > 0xFFFFFFFFu) return false;
  return VeskStandInSetPhysLong(static_cast<DWORD>(address), value) != FALSE;
}

}  // extern "C"
