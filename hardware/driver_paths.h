#pragma once
// The two ways to the hardware, chosen once at start: PawnIO's signed
// modules when PawnIO is installed and has a module for this board's SMBus,
// otherwise the two driver libraries. Everything above sees one
// DriverAccess: the libraries' register-level operations pass through, and
// while PawnIO is in use it offers the transfer-level face instead.
#include <memory>
#include <string>

#include "hardware/driver_access.h"
#include "hardware/pawnio/pawnio_path.h"

namespace vesk {

enum class DriverPath { None, PawnIo, Libraries };

class DriverPaths final : public DriverAccess {
 public:
  // `pawnio` may be null: only the libraries are there then.
  DriverPaths(DriverAccess& libraries, PawnIoLibrary* pawnio, OsServices& os);

  // PawnIO with the SMBus module of this board; false, and nothing held,
  // when that cannot be had.
  bool OpenPawnIoSmbus();
  // LpcIO beside it, for a board whose watchdog is the Super I/O's.
  bool OpenPawnIoSuperIo();
  // Gives PawnIO up again (the libraries will be tried).
  void ClosePawnIo();
  // From now on the hardware goes the one way; the release at exit follows it.
  void Choose(DriverPath path) { path_ = path; }
  DriverPath Path() const { return path_; }
  std::string PawnIoSmbusModule() const { return pawnio_ ? pawnio_->SmbusModule() : std::string{}; }

  BusTransfers* Transfers() override;
  bool InitializeOls() override { return libraries_.InitializeOls(); }
  // Releases whichever way is in use.
  void DeinitializeOls() override;
  void WriteIoPortByte(uint16_t port, uint8_t value) override { libraries_.WriteIoPortByte(port, value); }
  bool ReadIoPortByteEx(uint16_t port, uint8_t& value) override { return libraries_.ReadIoPortByteEx(port, value); }
  void WriteIoPortDword(uint16_t port, uint32_t value) override { libraries_.WriteIoPortDword(port, value); }
  bool ReadIoPortWordEx(uint16_t port, uint16_t& value) override { return libraries_.ReadIoPortWordEx(port, value); }
  bool ReadIoPortDwordEx(uint16_t port, uint32_t& value) override { return libraries_.ReadIoPortDwordEx(port, value); }
  uint32_t ReadPciConfigDword(uint32_t pciAddress, uint8_t reg) override {
    return libraries_.ReadPciConfigDword(pciAddress, reg);
  }
  uint32_t FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf, uint8_t index) override {
    return libraries_.FindPciDeviceByClass(baseClass, subClass, programIf, index);
  }
  bool InitializeWinIo() override { return libraries_.InitializeWinIo(); }
  void ShutdownWinIo() override;
  bool GetPhysLong(uint32_t physicalAddress, uint32_t& value) override {
    return libraries_.GetPhysLong(physicalAddress, value);
  }
  bool SetPhysLong(uint32_t physicalAddress, uint32_t value) override {
    return libraries_.SetPhysLong(physicalAddress, value);
  }

 private:
  DriverAccess& libraries_;
  std::unique_ptr<PawnIoPath> pawnio_;
  DriverPath path_ = DriverPath::None;
  bool pawnioOpen_ = false;
};

}  // namespace vesk
