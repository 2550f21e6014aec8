#include "sim/board/simulated_pawnio.h"

#include <array>

#include "hardware/pawnio/pawnio_path.h"
#include "sim/board/smbus_host.h"

namespace vesk::sim {

namespace {

constexpr std::string_view kImageSignature = "VESK simulated PawnIO module ";
constexpr PawnIoResult kInvalidHandle = static_cast<PawnIoResult>(0x80070006);  // E_HANDLE
constexpr uint32_t kStatusSuccess = 0;

// The byte-data transfer of smbus_xfer and its argument values.
constexpr std::size_t kXferInputs = 5;
constexpr uint64_t kMaxAddress7 = 0x7F;
constexpr uint64_t kMaxByte = 0xFF;
constexpr uint64_t kReadWriteLimit = 1;  // 0 write, 1 read
constexpr uint64_t kProtocolByteData = 2;
constexpr uint64_t kPiix4Ports = 4;
// The modules poll the host's busy bit in small steps and give up after a
// bound, as the Linux drivers they follow do.
constexpr Microseconds kPollStep{10};
constexpr uint8_t kClearStatus = 0xFE;  // every status bit but busy
constexpr uint8_t kStatusErrors = SmbusHost::kDevErr | SmbusHost::kBusErr | SmbusHost::kFailed;

constexpr uint16_t HostPort(uint16_t base, uint16_t offset) { return static_cast<uint16_t>(base + offset); }
constexpr unsigned kPollLimit = 10'000;  // 100 ms

// LpcIO's two chip slots: register port and data port.
constexpr std::array<uint16_t, 2> kSlotRegisterPort{0x2E, 0x4E};
constexpr std::array<uint16_t, 2> kSlotDataPort{0x2F, 0x4F};

}  // namespace

std::vector<uint8_t> TestModuleImage(std::string_view name) {
  if (name != kSmbusI801Module && name != kSmbusPiix4Module && name != kLpcIoModule) return {};
  std::string text = std::string(kImageSignature) + std::string(name) + "\n";
  return {text.begin(), text.end()};
}

SimulatedPawnIo::Handle* SimulatedPawnIo::Find(PawnIoHandle handle) {
  const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
  return found == handles_.end() ? nullptr : &found->second;
}

PawnIoResult SimulatedPawnIo::Open(PawnIoHandle& handle) {
  const uintptr_t id = nextHandle_++;
  handles_[id] = Handle{};
  handle = reinterpret_cast<PawnIoHandle>(id);
  return kPawnIoOk;
}

PawnIoResult SimulatedPawnIo::Close(PawnIoHandle handle) {
  return handles_.erase(reinterpret_cast<uintptr_t>(handle)) != 0 ? kPawnIoOk : kInvalidHandle;
}

PawnIoResult SimulatedPawnIo::Load(PawnIoHandle handle, std::span<const uint8_t> module) {
  Handle* open = Find(handle);
  if (open == nullptr) return kInvalidHandle;
  if (open->module != Module::None) return FromNtStatus(kStatusInvalidDeviceState);  // one module a handle
  const std::string image(module.begin(), module.end());
  const ControllerKind controller = board_.Profile().controller;
  const auto is = [&](std::string_view name) {
    const auto expected = TestModuleImage(name);
    return image == std::string(expected.begin(), expected.end());
  };
  // A module's start-up looks for its controller and refuses a board
  // without it.
  if (is(kSmbusI801Module)) {
    if (controller != ControllerKind::IntelSmbus) return FromNtStatus(kStatusNoSuchDevice);
    open->module = Module::I801;
  } else if (is(kSmbusPiix4Module)) {
    if (controller != ControllerKind::Amd) return FromNtStatus(kStatusNoSuchDevice);
    open->module = Module::Piix4;
  } else if (is(kLpcIoModule)) {
    open->module = Module::LpcIo;
  } else {
    return FromNtStatus(kStatusInvalidImageFormat);
  }
  return kPawnIoOk;
}

PawnIoResult SimulatedPawnIo::Execute(PawnIoHandle handle, const char* name, std::span<const uint64_t> in,
                                      std::span<uint64_t> out, std::size_t& returned) {
  returned = 0;
  Handle* open = Find(handle);
  if (open == nullptr || name == nullptr) return kInvalidHandle;
  if (open->module == Module::None) return FromNtStatus(kStatusInvalidDeviceState);
  const uint32_t status = Run(*open, name, in, out, returned);
  if (status == kStatusBufferTooSmall || status == kStatusInvalidParameter || status == kStatusNotSupported) {
    ++refused_;
  }
  return status == kStatusSuccess ? kPawnIoOk : FromNtStatus(status);
}

uint32_t SimulatedPawnIo::Run(Handle& handle, std::string_view name, Args in, Outs out, std::size_t& returned) {
  switch (handle.module) {
    case Module::I801:
    case Module::Piix4:
      if (name == "ioctl_smbus_xfer") return SmbusXfer(handle.module, in, out, returned);
      if (name == "ioctl_piix4_port_sel" && handle.module == Module::Piix4) return Piix4PortSelect(in, out, returned);
      break;
    case Module::LpcIo:
      if (name == "ioctl_select_slot") return SelectSlot(handle, in);
      if (name == "ioctl_pio_outb") return PortOut(handle, in);
      if (name == "ioctl_superio_outb") return RegisterOut(handle, in);
      break;
    case Module::None:
      break;
  }
  return kStatusNotFound;
}

bool SimulatedPawnIo::WaitHostIdle(uint16_t base) {
  for (unsigned poll = 0; poll < kPollLimit; ++poll) {
    if ((In(HostPort(base, SmbusHost::kSmbHstSts)) & SmbusHost::kHostBusy) == 0) return true;
    wait_(kPollStep);
  }
  return false;
}

uint32_t SimulatedPawnIo::SmbusXfer(Module module, Args in, Outs out, std::size_t& returned) {
  if (in.size() < kXferInputs || out.size() < 1) return kStatusBufferTooSmall;
  const uint64_t address = in[0], readWrite = in[1], command = in[2], protocol = in[3], data = in[4];
  if (address > kMaxAddress7 || readWrite > kReadWriteLimit || command > kMaxByte || data > kMaxByte) {
    return kStatusInvalidParameter;
  }
  if (protocol != kProtocolByteData) return kStatusNotSupported;
  const uint16_t base = board_.Profile().smbusBase;
  if (base == 0) return kStatusNoSuchDevice;
  const bool read = readWrite == 1;

  // The devices of this board hang on the PIIX4's port 0; on another port
  // nobody answers.
  if (module == Module::Piix4 && piix4Port_ != 0) return kStatusIoDeviceError;

  if (!WaitHostIdle(base)) return kStatusIoTimeout;
  Out(HostPort(base, SmbusHost::kSmbHstSts), kClearStatus);
  Out(HostPort(base, SmbusHost::kSmbHstAdd), static_cast<uint8_t>((address << 1) | readWrite));
  Out(HostPort(base, SmbusHost::kSmbHstCmd), static_cast<uint8_t>(command));
  if (!read) Out(HostPort(base, SmbusHost::kSmbHstDat0), static_cast<uint8_t>(data));
  Out(HostPort(base, SmbusHost::kSmbHstCnt), SmbusHost::kStart | SmbusHost::kCommandByteData);
  if (!WaitHostIdle(base)) return kStatusIoTimeout;
  // The status is judged before the data byte is taken.
  if ((In(HostPort(base, SmbusHost::kSmbHstSts)) & kStatusErrors) != 0) return kStatusIoDeviceError;
  if (read) {
    out[0] = In(HostPort(base, SmbusHost::kSmbHstDat0));
    returned = 1;
  }
  return kStatusSuccess;
}

uint32_t SimulatedPawnIo::Piix4PortSelect(Args in, Outs out, std::size_t& returned) {
  if (in.size() < 1 || out.size() < 1) return kStatusBufferTooSmall;
  if (in[0] >= kPiix4Ports) return kStatusInvalidParameter;
  out[0] = piix4Port_;
  returned = 1;
  piix4Port_ = static_cast<uint8_t>(in[0]);
  return kStatusSuccess;
}

uint32_t SimulatedPawnIo::SelectSlot(Handle& handle, Args in) {
  if (in.size() < 1) return kStatusBufferTooSmall;
  if (in[0] >= kSlotRegisterPort.size()) return kStatusInvalidParameter;
  handle.slot = static_cast<int>(in[0]);
  return kStatusSuccess;
}

uint32_t SimulatedPawnIo::PortOut(const Handle& handle, Args in) {
  if (in.size() < 2) return kStatusBufferTooSmall;
  if (handle.slot < 0) return kStatusDeviceNotReady;
  const auto slot = static_cast<std::size_t>(handle.slot);
  // Only the selected chip's two ports: the module is no general port tool.
  if ((in[0] != kSlotRegisterPort[slot] && in[0] != kSlotDataPort[slot]) || in[1] > kMaxByte) {
    return kStatusInvalidParameter;
  }
  Out(static_cast<uint16_t>(in[0]), static_cast<uint8_t>(in[1]));
  return kStatusSuccess;
}

uint32_t SimulatedPawnIo::RegisterOut(const Handle& handle, Args in) {
  if (in.size() < 2) return kStatusBufferTooSmall;
  if (handle.slot < 0) return kStatusDeviceNotReady;
  if (in[0] > kMaxByte || in[1] > kMaxByte) return kStatusInvalidParameter;
  const auto slot = static_cast<std::size_t>(handle.slot);
  Out(kSlotRegisterPort[slot], static_cast<uint8_t>(in[0]));
  Out(kSlotDataPort[slot], static_cast<uint8_t>(in[1]));
  return kStatusSuccess;
}

}  // namespace vesk::sim
