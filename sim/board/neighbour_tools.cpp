#include "sim/board/neighbour_tools.h"

#include <chrono>

#include "hardware/bus_lock.h"

namespace vesk::sim {

namespace {

constexpr Microseconds kPollStep{10};
constexpr unsigned kPollLimit = 10'000;  // 100 ms of the host's time
constexpr uint8_t kStatusErrors = SmbusHost::kDevErr | SmbusHost::kBusErr | SmbusHost::kFailed;
constexpr uint8_t kStatusClear = 0xFE;
constexpr uint8_t kEnvironmentController = 0x04;
// Such tools wait about as long as the program does.
constexpr std::chrono::milliseconds kLockWait{kBusLockWaitMs};

// The machine-wide lock of one bus for one sequence, when it could be had.
class Held {
 public:
  Held(NamedLocks& locks, const char* name) : locks_(locks), name_(name), taken_(locks.Acquire(name, kLockWait)) {}
  ~Held() {
    if (taken_) locks_.Release(name_);
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  bool Taken() const { return taken_; }

 private:
  NamedLocks& locks_;
  const char* name_;
  bool taken_;
};

// A port access through another program's driver is a call into the
// kernel, a microsecond or two; the program's own accesses go on meanwhile.
void DriverCallTime() {
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds{2};
  while (std::chrono::steady_clock::now() < until) {
  }
}

}  // namespace

// --- SMBus ---

uint8_t SmbusNeighbour::In(uint16_t offset) {
  return static_cast<uint8_t>(board_.ReadPort(static_cast<uint16_t>(board_.Profile().smbusBase + offset), 1));
}

void SmbusNeighbour::Out(uint16_t offset, uint8_t value) {
  DriverCallTime();
  board_.WritePort(static_cast<uint16_t>(board_.Profile().smbusBase + offset), value, 1);
}

bool SmbusNeighbour::WaitIdle() {
  for (unsigned poll = 0; poll < kPollLimit; ++poll) {
    if ((In(SmbusHost::kSmbHstSts) & SmbusHost::kHostBusy) == 0) return true;
    board_.Clock().Advance(kPollStep);
  }
  return false;
}

std::optional<uint8_t> SmbusNeighbour::ReadByteData(uint8_t address8, uint8_t reg) {
  const Held lock(locks_, kSmbusLockName);
  if (!lock.Taken() || !WaitIdle()) return std::nullopt;
  Out(SmbusHost::kSmbHstSts, kStatusClear);
  Out(SmbusHost::kSmbHstAdd, static_cast<uint8_t>(address8 | 0x01));
  Out(SmbusHost::kSmbHstCmd, reg);
  Out(SmbusHost::kSmbHstCnt, SmbusHost::kStart | SmbusHost::kCommandByteData);
  if (!WaitIdle()) return std::nullopt;
  if ((In(SmbusHost::kSmbHstSts) & kStatusErrors) != 0) return std::nullopt;
  return In(SmbusHost::kSmbHstDat0);
}

// --- Super I/O ---

void SuperIoNeighbour::Out(uint16_t port, uint8_t value) {
  DriverCallTime();
  board_.WritePort(port, value, 1);
}

uint8_t SuperIoNeighbour::In(uint16_t port) {
  return static_cast<uint8_t>(board_.ReadPort(port, 1));
}

uint8_t SuperIoNeighbour::ReadRegister(uint8_t reg) {
  Out(IteSuperIo::kIndexPort, reg);
  return In(IteSuperIo::kDataPort);
}

std::optional<bool> SuperIoNeighbour::ReadIdentity() {
  const Held lock(locks_, kIsaBusLockName);
  if (!lock.Taken()) return std::nullopt;
  for (const uint8_t keyByte : IteSuperIo::kEntryKey) Out(IteSuperIo::kIndexPort, keyByte);
  const auto id = static_cast<uint16_t>((ReadRegister(IteSuperIo::kRegChipIdHigh) << 8) |
                                        ReadRegister(IteSuperIo::kRegChipIdLow));
  Out(IteSuperIo::kIndexPort, IteSuperIo::kRegLogicalDevice);
  Out(IteSuperIo::kDataPort, kEnvironmentController);
  const uint8_t device = ReadRegister(IteSuperIo::kRegLogicalDevice);
  Out(IteSuperIo::kIndexPort, IteSuperIo::kRegConfigControl);
  Out(IteSuperIo::kDataPort, IteSuperIo::kWaitForKey);
  return id == IteSuperIo::kChipId && device == kEnvironmentController;
}

}  // namespace vesk::sim
