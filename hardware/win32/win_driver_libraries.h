#pragma once
// The Windows binding of the driver-library interface: WinRing0x64.dll by
// import ordinal only, WinIo64.dll by name. Both are loaded by full path
// from one folder (by default the running executable's), never through the
// DLL search order: the program runs with administrator rights, and a
// library planted in a searched folder would run with them.
#include <memory>
#include <string>

#include "hardware/driver_access.h"

namespace vesk {

class WinDriverLibraries final : public DriverAccess {
 public:
  WinDriverLibraries();
  // `folder` holds both libraries; with or without a trailing separator.
  explicit WinDriverLibraries(std::wstring folder);
  // Releases a library that is still initialised, then unloads both.
  ~WinDriverLibraries() override;
  WinDriverLibraries(const WinDriverLibraries&) = delete;
  WinDriverLibraries& operator=(const WinDriverLibraries&) = delete;

  const std::wstring& Folder() const { return folder_; }

  // A library that cannot be loaded, or that lacks one of the entry points
  // used, makes its initialise report failure; the next attempt loads again.
  bool InitializeOls() override;
  void DeinitializeOls() override;
  void WriteIoPortByte(uint16_t port, uint8_t value) override;
  bool ReadIoPortByteEx(uint16_t port, uint8_t& value) override;
  void WriteIoPortDword(uint16_t port, uint32_t value) override;
  bool ReadIoPortWordEx(uint16_t port, uint16_t& value) override;
  bool ReadIoPortDwordEx(uint16_t port, uint32_t& value) override;
  uint32_t ReadPciConfigDword(uint32_t pciAddress, uint8_t reg) override;
  uint32_t FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf,
                                uint8_t index) override;
  bool InitializeWinIo() override;
  void ShutdownWinIo() override;
  bool GetPhysLong(uint32_t physicalAddress, uint32_t& value) override;
  bool SetPhysLong(uint32_t physicalAddress, uint32_t value) override;

 private:
  struct PortLibrary;
  struct MemoryLibrary;
  bool LoadPortLibrary();
  bool LoadMemoryLibrary();

  std::wstring folder_;
  std::unique_ptr<PortLibrary> port_;
  std::unique_ptr<MemoryLibrary> memory_;
  bool portInitialized_ = false;
  bool memoryInitialized_ = false;
};

}  // namespace vesk
