#pragma once
// The buses the program shares with other hardware tools (monitors, fan and
// lighting tools), and the named locks those tools agree on so that two
// programs never interleave their register accesses on one bus:
//   - the SMBus host: one byte transfer, from the first status read to the
//     data byte taken;
//   - the ISA ports of the Super I/O: one configuration sequence, from the
//     entry key to the exit;
//   - PCI configuration space: one address/data pair on 0xCF8/0xCFC, or one
//     configuration call of the driver library.
// A wait is bounded. When it runs out the access is not made and fails as a
// bus error would; the caller's usual retry takes over. The first such
// failure of each bus in a run is reported once.
#include <cstdint>
#include <string_view>

#include "platform/os_services.h"

namespace vesk {

enum class SharedBus { Smbus, IsaBus, Pci };

inline constexpr const char* kSmbusLockName = "Global\\Access_SMBUS.HTP.Method";
inline constexpr const char* kIsaBusLockName = "Global\\Access_ISABUS.HTP.Method";
inline constexpr const char* kPciLockName = "Global\\Access_PCI";
// Far above what another tool needs for one transfer (well under 10 ms),
// short enough that the window never seems hung.
inline constexpr uint32_t kBusLockWaitMs = 300;

const char* LockNameOf(SharedBus bus);
// "smbus", "isa", "pci": the bus as the history names it.
std::string_view BusWordOf(SharedBus bus);

// Holds the bus's lock for its lifetime, when it could be taken. A lock the
// system cannot give at all (see OsServices::AcquireNamedLock) leaves the
// bus usable without it: nobody could be waited for anyway.
class BusLock {
 public:
  BusLock(OsServices& os, SharedBus bus);
  ~BusLock();
  BusLock(const BusLock&) = delete;
  BusLock& operator=(const BusLock&) = delete;

  // False when the wait ran out: the bus must not be touched.
  bool Usable() const { return wait_ != OsServices::LockWait::kTimedOut; }

 private:
  OsServices& os_;
  SharedBus bus_;
  OsServices::LockWait wait_;
};

// Waits that ran out in this run, all buses together; a caller that must
// not miss an access (the watchdog feed) tells a busy bus from a bus error
// by it.
uint32_t BusLockTimeouts();

// Told of the first wait that ran out on each bus in a run, and of the first
// lock the system could not give; the program writes it to its history.
using BusLockReporter = void (*)(SharedBus bus, OsServices::LockWait what);
void SetBusLockReporter(BusLockReporter reporter);
// A new run: counts and reports start afresh (the reporter stays).
void ResetBusLockReports();

}  // namespace vesk
