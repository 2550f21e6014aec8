#include "hardware/win32/win_driver_libraries.h"

#include <windows.h>

#include "hardware/win32/driver_files.h"
#include "hardware/win32/loaded_module.h"
#include "platform/paths.h"
#include "platform/win32/file_paths.h"

namespace vesk {

namespace {

// Import ordinals of the port and PCI library.
constexpr WORD kOrdInitialize = 7;
constexpr WORD kOrdRelease = 8;
constexpr WORD kOrdWritePortByte = 54;
constexpr WORD kOrdWritePortDword = 56;
constexpr WORD kOrdReadPortByte = 61;
constexpr WORD kOrdReadPortWord = 62;
constexpr WORD kOrdReadPortDword = 63;
constexpr WORD kOrdReadPciConfigDword = 83;
constexpr WORD kOrdFindPciDeviceByClass = 88;

using InitializeOlsFn = BOOL(WINAPI*)();
using DeinitializeOlsFn = VOID(WINAPI*)();
using WriteIoPortByteFn = VOID(WINAPI*)(WORD, BYTE);
using ReadIoPortByteExFn = BOOL(WINAPI*)(WORD, PBYTE);
using WriteIoPortDwordFn = VOID(WINAPI*)(WORD, DWORD);
using ReadIoPortWordExFn = BOOL(WINAPI*)(WORD, PWORD);
using ReadIoPortDwordExFn = BOOL(WINAPI*)(WORD, PDWORD);
using ReadPciConfigDwordFn = DWORD(WINAPI*)(DWORD, BYTE);
using FindPciDeviceByClassFn = DWORD(WINAPI*)(BYTE, BYTE, BYTE, BYTE);

using InitializeWinIoFn = bool(WINAPI*)();
using ShutdownWinIoFn = void(WINAPI*)();
using GetPhysLongFn = bool(WINAPI*)(PBYTE, PDWORD);
using SetPhysLongFn = bool(WINAPI*)(PBYTE, DWORD);

}  // namespace

struct WinDriverLibraries::PortLibrary {
  explicit PortLibrary(const std::wstring& path) : module(path) {}
  bool ResolveAll() {
    return module.Loaded() && module.Resolve(kOrdInitialize, initialize) &&
           module.Resolve(kOrdRelease, release) && module.Resolve(kOrdWritePortByte, writeByte) &&
           module.Resolve(kOrdWritePortDword, writeDword) && module.Resolve(kOrdReadPortByte, readByte) &&
           module.Resolve(kOrdReadPortWord, readWord) && module.Resolve(kOrdReadPortDword, readDword) &&
           module.Resolve(kOrdReadPciConfigDword, readPciConfig) &&
           module.Resolve(kOrdFindPciDeviceByClass, findByClass);
  }
  LoadedModule module;
  InitializeOlsFn initialize = nullptr;
  DeinitializeOlsFn release = nullptr;
  WriteIoPortByteFn writeByte = nullptr;
  WriteIoPortDwordFn writeDword = nullptr;
  ReadIoPortByteExFn readByte = nullptr;
  ReadIoPortWordExFn readWord = nullptr;
  ReadIoPortDwordExFn readDword = nullptr;
  ReadPciConfigDwordFn readPciConfig = nullptr;
  FindPciDeviceByClassFn findByClass = nullptr;
};

struct WinDriverLibraries::MemoryLibrary {
  explicit MemoryLibrary(const std::wstring& path) : module(path) {}
  bool ResolveAll() {
    return module.Loaded() && module.Resolve("InitializeWinIo", initialize) &&
           module.Resolve("ShutdownWinIo", shutdown) && module.Resolve("GetPhysLong", getPhysLong) &&
           module.Resolve("SetPhysLong", setPhysLong);
  }
  LoadedModule module;
  InitializeWinIoFn initialize = nullptr;
  ShutdownWinIoFn shutdown = nullptr;
  GetPhysLongFn getPhysLong = nullptr;
  SetPhysLongFn setPhysLong = nullptr;
};

WinDriverLibraries::WinDriverLibraries() : WinDriverLibraries(ContainingFolder(win32::ModulePath())) {}

WinDriverLibraries::WinDriverLibraries(std::wstring folder) : folder_(JoinPath(folder, L"")) {}

WinDriverLibraries::~WinDriverLibraries() {
  if (portInitialized_) DeinitializeOls();
  if (memoryInitialized_) ShutdownWinIo();
}

bool WinDriverLibraries::LoadPortLibrary() {
  if (port_) return true;
  if (!IsFullPath(folder_)) return false;
  auto library = std::make_unique<PortLibrary>(folder_ + kPortLibraryName);
  if (!library->ResolveAll()) return false;
  port_ = std::move(library);
  return true;
}

bool WinDriverLibraries::LoadMemoryLibrary() {
  if (memory_) return true;
  if (!IsFullPath(folder_)) return false;
  auto library = std::make_unique<MemoryLibrary>(folder_ + kMemoryLibraryName);
  if (!library->ResolveAll()) return false;
  memory_ = std::move(library);
  return true;
}

bool WinDriverLibraries::InitializeOls() {
  if (!LoadPortLibrary()) return false;
  portInitialized_ = port_->initialize() != FALSE;
  return portInitialized_;
}

void WinDriverLibraries::DeinitializeOls() {
  if (!port_) return;
  port_->release();
  portInitialized_ = false;
}

void WinDriverLibraries::WriteIoPortByte(uint16_t port, uint8_t value) {
  if (port_) port_->writeByte(port, value);
}

bool WinDriverLibraries::ReadIoPortByteEx(uint16_t port, uint8_t& value) {
  if (!port_) return false;
  BYTE byte = value;
  const bool ok = port_->readByte(port, &byte) != FALSE;
  value = byte;
  return ok;
}

void WinDriverLibraries::WriteIoPortDword(uint16_t port, uint32_t value) {
  if (port_) port_->writeDword(port, value);
}

bool WinDriverLibraries::ReadIoPortWordEx(uint16_t port, uint16_t& value) {
  if (!port_) return false;
  // A double word of room: whichever width the library stores, the low 16
  // bits land in the low half and nothing is written past the variable.
  DWORD room = value;
  const bool ok = port_->readWord(port, reinterpret_cast<PWORD>(&room)) != FALSE;
  value = static_cast<uint16_t>(room & 0xFFFF);
  return ok;
}

bool WinDriverLibraries::ReadIoPortDwordEx(uint16_t port, uint32_t& value) {
  if (!port_) return false;
  DWORD dword = value;
  const bool ok = port_->readDword(port, &dword) != FALSE;
  value = dword;
  return ok;
}

uint32_t WinDriverLibraries::ReadPciConfigDword(uint32_t pciAddress, uint8_t reg) {
  return port_ ? port_->readPciConfig(pciAddress, reg) : 0xFFFFFFFF;
}

uint32_t WinDriverLibraries::FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass,
                                                  uint8_t programIf, uint8_t index) {
  return port_ ? port_->findByClass(baseClass, subClass, programIf, index) : kPciNoDevice;
}

bool WinDriverLibraries::InitializeWinIo() {
  if (!LoadMemoryLibrary()) return false;
  memoryInitialized_ = memory_->initialize();
  return memoryInitialized_;
}

void WinDriverLibraries::ShutdownWinIo() {
  if (!memory_) return;
  memory_->shutdown();
  memoryInitialized_ = false;
}

bool WinDriverLibraries::GetPhysLong(uint32_t physicalAddress, uint32_t& value) {
  if (!memory_) return false;
  DWORD dword = value;
  // The library takes the address at its own width; ours is below 4 GiB.
  const auto address = reinterpret_cast<PBYTE>(static_cast<ULONG_PTR>(physicalAddress));
  const bool ok = memory_->getPhysLong(address, &dword);
  value = dword;
  return ok;
}

bool WinDriverLibraries::SetPhysLong(uint32_t physicalAddress, uint32_t value) {
  if (!memory_) return false;
  const auto address = reinterpret_cast<PBYTE>(static_cast<ULONG_PTR>(physicalAddress));
  return memory_->setPhysLong(address, value);
}

}  // namespace vesk
