#pragma once
// The hardware reached through PawnIO's signed modules: the SMBus of the
// board's chipset through SmbusI801 (Intel) or SmbusPIIX4 (AMD), the Super
// I/O through LpcIO. The module files lie beside the program; each is loaded
// on its own handle, and a module refuses to load on a chipset it does not
// serve, which is how the board's SMBus controller is found out.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "hardware/bus_transfers.h"
#include "hardware/pawnio/pawnio_library.h"
#include "platform/os_services.h"

namespace vesk {

// The module files, in the order they are tried for the SMBus.
inline constexpr const char* kSmbusI801Module = "SmbusI801";
inline constexpr const char* kSmbusPiix4Module = "SmbusPIIX4";
inline constexpr const char* kLpcIoModule = "LpcIO";
inline constexpr const char* kModuleFileExtension = ".bin";
// Real modules are a few ten kilobytes; a file past this is not one, and is
// not read whole into memory.
inline constexpr std::size_t kModuleFileLimit = 1024 * 1024;

class PawnIoPath final : public BusTransfers {
 public:
  PawnIoPath(PawnIoLibrary& library, OsServices& os) : library_(library), os_(os) {}
  ~PawnIoPath() override { Close(); }
  PawnIoPath(const PawnIoPath&) = delete;
  PawnIoPath& operator=(const PawnIoPath&) = delete;

  // Loads the SMBus module that serves this board, SmbusI801 first. False
  // when the library is missing, the device does not open or neither
  // module serves the board.
  bool OpenSmbus();
  // Loads LpcIO and selects the Super I/O at 0x2E/0x2F.
  bool OpenSuperIo();
  // Closes every handle; the path can be opened again.
  void Close();

  // The SMBus module in use ("SmbusI801", "SmbusPIIX4"), empty before.
  const std::string& SmbusModule() const { return smbusModule_; }

  bool SmbusWriteByteData(uint8_t address7, uint8_t reg, uint8_t value) override;
  bool SmbusReadByteData(uint8_t address7, uint8_t reg, uint8_t& value) override;
  bool SuperIoWriteIndexPort(uint8_t value) override;
  bool SuperIoWriteRegister(uint8_t reg, uint8_t value) override;

 private:
  std::optional<PawnIoHandle> LoadModule(const char* name);
  bool Call(PawnIoHandle handle, const char* function, std::initializer_list<uint64_t> in,
            uint64_t* out = nullptr);
  bool SmbusTransfer(uint8_t address7, bool read, uint8_t reg, uint8_t& data);

  PawnIoLibrary& library_;
  OsServices& os_;
  std::optional<PawnIoHandle> smbus_;
  std::optional<PawnIoHandle> superIo_;
  std::string smbusModule_;
};

}  // namespace vesk
