// Stand-in for the port and PCI driver library WinRing0x64.dll, for tests
// and demonstrations on the simulated board only; never shipped as the
// product's driver. It exports the nine entry points the program imports,
// by ordinal only (see WinRing0x64.def), and four named helpers through
// which the stand-in WinIo64.dll reaches the same board.
#include <windows.h>

#include "sim/board/dll/standin_machine.h"

using vesk::sim::standin::Driver;

extern "C" {

BOOL WINAPI StandInInitializeOls() {
  auto* driver = Driver();
  return driver != nullptr && driver->InitializeOls() ? TRUE : FALSE;
}

VOID WINAPI StandInDeinitializeOls() {
  if (auto* driver = Driver()) driver->DeinitializeOls();
}

VOID WINAPI StandInWriteIoPortByte(WORD port, BYTE value) {
  if (auto* driver = Driver()) driver->WriteIoPortByte(port, value);
}

VOID WINAPI StandInWriteIoPortDword(WORD port, DWORD value) {
  if (auto* driver = Driver()) driver->WriteIoPortDword(port, value);
}

BOOL WINAPI StandInReadIoPortByteEx(WORD port, PBYTE value) {
  auto* driver = Driver();
  if (driver == nullptr || value == nullptr) return FALSE;
  uint8_t byte = *value;
  const bool ok = driver->ReadIoPortByteEx(port, byte);
  *value = byte;
  return ok ? TRUE : FALSE;
}

BOOL WINAPI StandInReadIoPortWordEx(WORD port, PWORD value) {
  auto* driver = Driver();
  if (driver == nullptr || value == nullptr) return FALSE;
  uint16_t word = *value;
  const bool ok = driver->ReadIoPortWordEx(port, word);
  *value = word;
  return ok ? TRUE : FALSE;
}

BOOL WINAPI StandInReadIoPortDwordEx(WORD port, PDWORD value) {
  auto* driver = Driver();
  if (driver == nullptr || value == nullptr) return FALSE;
  uint32_t dword = *value;
  const bool ok = driver->ReadIoPortDwordEx(port, dword);
  *value = dword;
  return ok ? TRUE : FALSE;
}

DWORD WINAPI StandInReadPciConfigDword(DWORD pciAddress, BYTE reg) {
  auto* driver = Driver();
  return driver != nullptr ? driver->ReadPciConfigDword(pciAddress, reg) : 0xFFFFFFFF;
}

DWORD WINAPI StandInFindPciDeviceByClass(BYTE baseClass, BYTE subClass, BYTE programIf, BYTE index) {
  auto* driver = Driver();
  return driver != nullptr ? driver->FindPciDeviceByClass(baseClass, subClass, programIf, index)
                           : 0xFFFFFFFF;
}

// --- for the stand-in WinIo64.dll ---

BOOL WINAPI VeskStandInInitializeWinIo() {
  auto* driver = Driver();
  return driver != nullptr && driver->InitializeWinIo() ? TRUE : FALSE;
}

VOID WINAPI VeskStandInShutdownWinIo() {
  if (auto* driver = Driver()) driver->ShutdownWinIo();
}

BOOL WINAPI VeskStandInGetPhysLong(DWORD address, PDWORD value) {
  auto* driver = Driver();
  if (driver == nullptr || value == nullptr) return FALSE;
  uint32_t dword = *value;
  const bool ok = driver->GetPhysLong(address, dword);
  *value = dword;
  return ok ? TRUE : FALSE;
}

BOOL WINAPI VeskStandInSetPhysLong(DWORD address, DWORD value) {
  auto* driver = Driver();
  return driver != nullptr && driver->SetPhysLong(address, value) ? TRUE : FALSE;
}

}  // extern "C"
