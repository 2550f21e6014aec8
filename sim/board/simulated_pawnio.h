#pragma once
// PawnIO as the simulated board answers it: the library's four calls, with
// the three modules the program uses. The real signed modules cannot be had
// here, so the stand-in loads test module images of its own (see
// TestModuleImage) and plays each module's functions on the board's own
// registers: the SMBus module drives the board's SMBus host register by
// register, LpcIO writes the Super I/O's ports, so the board model stays the
// judge of every transfer. Arguments are checked as the modules check them
// and wrong ones fail with the module's status; an SMBus module refuses to
// load on a board whose controller it does not serve (SmbusI801 wants the
// Intel SMBus, SmbusPIIX4 the AMD one).
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/pawnio/pawnio_library.h"
#include "sim/board/board.h"

namespace vesk::sim {

// The image of a test module ("SmbusI801", "SmbusPIIX4", "LpcIO") that the
// stand-in recognises; empty for any other name.
std::vector<uint8_t> TestModuleImage(std::string_view name);

// NTSTATUS values the modules answer with, and their HRESULT form.
inline constexpr uint32_t kStatusInvalidParameter = 0xC000000D;
inline constexpr uint32_t kStatusBufferTooSmall = 0xC0000023;
inline constexpr uint32_t kStatusNotSupported = 0xC00000BB;
inline constexpr uint32_t kStatusIoTimeout = 0xC00000B5;
inline constexpr uint32_t kStatusDeviceNotReady = 0xC00000A3;
inline constexpr uint32_t kStatusIoDeviceError = 0xC0000185;
inline constexpr uint32_t kStatusNoSuchDevice = 0xC000000E;
inline constexpr uint32_t kStatusInvalidImageFormat = 0xC000007B;
inline constexpr uint32_t kStatusInvalidDeviceState = 0xC0000184;
inline constexpr uint32_t kStatusNotFound = 0xC0000225;
constexpr PawnIoResult FromNtStatus(uint32_t status) { return static_cast<PawnIoResult>(status | 0x10000000u); }

class SimulatedPawnIo final : public PawnIoLibrary {
 public:
  // `wait` lets time pass while a module polls the host (the calling
  // thread is blocked for it, as in the real driver).
  using Wait = std::function<void(Microseconds)>;
  SimulatedPawnIo(Board& board, Wait wait) : board_(board), wait_(std::move(wait)) {}

  bool Loaded() override { return true; }
  PawnIoResult Open(PawnIoHandle& handle) override;
  PawnIoResult Load(PawnIoHandle handle, std::span<const uint8_t> module) override;
  PawnIoResult Execute(PawnIoHandle handle, const char* name, std::span<const uint64_t> in,
                       std::span<uint64_t> out, std::size_t& returned) override;
  PawnIoResult Close(PawnIoHandle handle) override;

  // The PIIX4 host's port multiplexer, as another program may leave it.
  void SetPiix4Port(uint8_t port) { piix4Port_ = port; }
  uint8_t Piix4Port() const { return piix4Port_; }
  // Handles open now, and calls refused for their arguments so far.
  std::size_t OpenHandles() const { return handles_.size(); }
  unsigned RefusedCalls() const { return refused_; }

 private:
  enum class Module { None, I801, Piix4, LpcIo };
  struct Handle {
    Module module = Module::None;
    int slot = -1;  // LpcIO: the chip slot selected, -1 before
  };
  using Args = std::span<const uint64_t>;
  using Outs = std::span<uint64_t>;

  Handle* Find(PawnIoHandle handle);
  uint32_t Run(Handle& handle, std::string_view name, Args in, Outs out, std::size_t& returned);
  uint32_t SmbusXfer(Module module, Args in, Outs out, std::size_t& returned);
  uint32_t Piix4PortSelect(Args in, Outs out, std::size_t& returned);
  uint32_t SelectSlot(Handle& handle, Args in);
  uint32_t PortOut(const Handle& handle, Args in);
  uint32_t RegisterOut(const Handle& handle, Args in);
  bool WaitHostIdle(uint16_t base);
  uint8_t In(uint16_t port) { return static_cast<uint8_t>(board_.ReadPort(port, 1)); }
  void Out(uint16_t port, uint8_t value) { board_.WritePort(port, value, 1); }

  Board& board_;
  Wait wait_;
  std::map<uintptr_t, Handle> handles_;
  uintptr_t nextHandle_ = 1;
  uint8_t piix4Port_ = 0;
  unsigned refused_ = 0;
};

}  // namespace vesk::sim
