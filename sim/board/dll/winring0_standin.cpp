// Stand-in for the port and PCI driver library WinRing0x64.dll, for tests
// and demonstrations on the simulated board only; never shipped as the
// product's driver. It exports the nine entry points the program imports,
// by ordinal only (see WinRing0x64.def), and four named helpers through
// which the stand-in WinIo64.dll reaches the same board.
#include <windows.h>

#include "sim/board/dll/standin_machine.h"

#include <type_traits>

using vesk::sim::SimulatedDriverAccess;
using vesk::sim::standin::Driver;

namespace {

// A read through the simulated driver into the caller's value, which keeps
// what it held where the read gives nothing.
template <typename Address, typename Held, typename Out>
BOOL ReadThrough(bool (SimulatedDriverAccess::*read)(Address, Held&), std::type_identity_t<Address> at,
                 Out* value) {
  SimulatedDriverAccess* driver = Driver();
  if (driver == nullptr || value == nullptr) return FALSE;
  Held held = *value;
  const bool ok = (driver->*read)(at, held);
  *value = held;
  return ok ? TRUE : FALSE;
}

}  // namespace

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
  return ReadThrough(&SimulatedDriverAccess::ReadIoPortByteEx, port, value);
}

BOOL WINAPI StandInReadIoPortWordEx(WORD port, PWORD value) {
  return ReadThrough(&SimulatedDriverAccess::ReadIoPortWordEx, port, value);
}

BOOL WINAPI StandInReadIoPortDwordEx(WORD port, PDWORD value) {
  return ReadThrough(&SimulatedDriverAccess::ReadIoPortDwordEx, port, value);
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
  return ReadThrough(&SimulatedDriverAccess::GetPhysLong, address, value);
}

BOOL WINAPI VeskStandInSetPhysLong(DWORD address, DWORD value) {
  auto* driver = Driver();
  return driver != nullptr && driver->SetPhysLong(address, value) ? TRUE : FALSE;
}

}  // extern "C"
