#include "hardware/bus_lock.h"

#include <array>

namespace vesk {

namespace {

constexpr std::size_t kBusCount = 3;
using LockWait = OsServices::LockWait;

struct Reports {
  uint32_t timeouts = 0;
  std::array<bool, kBusCount> timeoutReported{};
  std::array<bool, kBusCount> unavailableReported{};
  BusLockReporter reporter = nullptr;
};

// The hardware is driven from the program's one window thread only.
Reports& State() {
  static Reports reports;
  return reports;
}

void Note(SharedBus bus, LockWait wait) {
  Reports& state = State();
  const auto index = static_cast<std::size_t>(bus);
  if (wait == LockWait::kTimedOut) ++state.timeouts;
  auto& reported = wait == LockWait::kTimedOut ? state.timeoutReported : state.unavailableReported;
  if (reported[index]) return;
  reported[index] = true;
  if (state.reporter != nullptr) state.reporter(bus, wait);
}

}  // namespace

const char* LockNameOf(SharedBus bus) {
  switch (bus) {
    case SharedBus::Smbus:
      return kSmbusLockName;
    case SharedBus::IsaBus:
      return kIsaBusLockName;
    case SharedBus::Pci:
      break;
  }
  return kPciLockName;
}

std::string_view BusWordOf(SharedBus bus) {
  switch (bus) {
    case SharedBus::Smbus:
      return "smbus";
    case SharedBus::IsaBus:
      return "isa";
    case SharedBus::Pci:
      break;
  }
  return "pci";
}

BusLock::BusLock(OsServices& os, SharedBus bus)
    : os_(os), bus_(bus), wait_(os.AcquireNamedLock(LockNameOf(bus), kBusLockWaitMs)) {
  if (wait_ != LockWait::kTaken) Note(bus_, wait_);
}

BusLock::~BusLock() {
  if (wait_ == LockWait::kTaken) os_.ReleaseNamedLock(LockNameOf(bus_));
}

uint32_t BusLockTimeouts() { return State().timeouts; }

void SetBusLockReporter(BusLockReporter reporter) { State().reporter = reporter; }

void ResetBusLockReports() {
  const BusLockReporter reporter = State().reporter;
  State() = Reports{};
  State().reporter = reporter;
}

}  // namespace vesk
