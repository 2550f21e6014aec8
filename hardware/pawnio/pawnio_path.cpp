#include "hardware/pawnio/pawnio_path.h"

#include <array>
#include <vector>

namespace vesk {

namespace {

// SmbusI801 and SmbusPIIX4: one transfer of the Linux-style smbus_xfer.
//   in  [0] 7-bit address, [1] read (1) or write (0), [2] command (the
//       register), [3] protocol, [4] the byte of a write
//   out [0] the byte read
constexpr const char* kSmbusXfer = "ioctl_smbus_xfer";
constexpr uint64_t kSmbusWrite = 0;
constexpr uint64_t kSmbusRead = 1;
constexpr uint64_t kProtocolByteData = 2;
// SmbusPIIX4 only: the host's port multiplexer. in [0] the port, out [0]
// the port selected before. Our devices hang on port 0.
constexpr const char* kPiix4PortSelect = "ioctl_piix4_port_sel";
constexpr uint64_t kPiix4DevicePort = 0;

// LpcIO: which chip slot the other calls address (0: ports 0x2E/0x2F,
// 1: 0x4E/0x4F), a byte to one of that slot's two ports, and a register
// written as index then data.
constexpr const char* kLpcSelectSlot = "ioctl_select_slot";
constexpr const char* kLpcPortOut = "ioctl_pio_outb";
constexpr const char* kLpcRegisterOut = "ioctl_superio_outb";
constexpr uint64_t kSlotPorts2E = 0;
constexpr uint64_t kSuperIoIndexPort = 0x2E;

}  // namespace

std::optional<PawnIoHandle> PawnIoPath::LoadModule(const char* name) {
  const std::string path = os_.GetModuleDirectory() + name + kModuleFileExtension;
  const auto image = os_.ReadFileBytes(path, kModuleFileLimit + 1);
  if (!image || image->empty() || image->size() > kModuleFileLimit) return std::nullopt;
  PawnIoHandle handle = nullptr;
  if (!PawnIoSucceeded(library_.Open(handle))) return std::nullopt;
  if (!PawnIoSucceeded(library_.Load(handle, *image))) {
    library_.Close(handle);
    return std::nullopt;
  }
  return handle;
}

bool PawnIoPath::OpenSmbus() {
  if (smbus_) return true;
  if (!library_.Loaded()) return false;
  for (const char* name : {kSmbusI801Module, kSmbusPiix4Module}) {
    if ((smbus_ = LoadModule(name))) {
      smbusModule_ = name;
      return true;
    }
  }
  return false;
}

bool PawnIoPath::OpenSuperIo() {
  if (superIo_) return true;
  if (!library_.Loaded()) return false;
  superIo_ = LoadModule(kLpcIoModule);
  if (superIo_ && !Call(*superIo_, kLpcSelectSlot, {kSlotPorts2E})) {
    library_.Close(*superIo_);
    superIo_.reset();
  }
  return superIo_.has_value();
}

void PawnIoPath::Close() {
  for (auto* module : {&smbus_, &superIo_}) {
    if (*module) library_.Close(**module);
    module->reset();
  }
  smbusModule_.clear();
}

bool PawnIoPath::Call(PawnIoHandle handle, const char* function, std::initializer_list<uint64_t> in,
                      uint64_t* out) {
  const std::vector<uint64_t> input(in);
  std::array<uint64_t, 1> output{};
  std::size_t returned = 0;
  const PawnIoResult result = library_.Execute(handle, function, input, output, returned);
  if (!PawnIoSucceeded(result)) return false;
  if (out != nullptr) {
    if (returned < 1) return false;
    *out = output[0];
  }
  return true;
}

bool PawnIoPath::SmbusTransfer(uint8_t address7, bool read, uint8_t reg, uint8_t& data) {
  if (!smbus_) return false;
  // The PIIX4 host serves several ports; another program may have left it
  // on another one, so ours is selected for the transfer and theirs put back.
  const bool piix4 = smbusModule_ == kSmbusPiix4Module;
  uint64_t previousPort = kPiix4DevicePort;
  if (piix4 && !Call(*smbus_, kPiix4PortSelect, {kPiix4DevicePort}, &previousPort)) return false;
  uint64_t byte = 0;
  const bool done = Call(*smbus_, kSmbusXfer,
                         {address7, read ? kSmbusRead : kSmbusWrite, reg, kProtocolByteData, read ? 0u : data},
                         read ? &byte : nullptr);
  if (piix4 && previousPort != kPiix4DevicePort) {
    uint64_t ours = 0;
    Call(*smbus_, kPiix4PortSelect, {previousPort}, &ours);
  }
  if (done && read) data = static_cast<uint8_t>(byte & 0xFF);
  return done;
}

bool PawnIoPath::SmbusWriteByteData(uint8_t address7, uint8_t reg, uint8_t value) {
  return SmbusTransfer(address7, false, reg, value);
}

bool PawnIoPath::SmbusReadByteData(uint8_t address7, uint8_t reg, uint8_t& value) {
  return SmbusTransfer(address7, true, reg, value);
}

bool PawnIoPath::SuperIoWriteIndexPort(uint8_t value) {
  return superIo_ && Call(*superIo_, kLpcPortOut, {kSuperIoIndexPort, value});
}

bool PawnIoPath::SuperIoWriteRegister(uint8_t reg, uint8_t value) {
  return superIo_ && Call(*superIo_, kLpcRegisterOut, {reg, value});
}

}  // namespace vesk
