#include "hardware/bus_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <latch>
#include <thread>
#include <utility>
#include <vector>

#include "hardware/superio_watchdog.h"
#include "hardware/tests/hardware_rig.h"
#include "hardware/watchdog.h"
#include "sim/board/neighbour_tools.h"

namespace vesk {
namespace {

using std::chrono::milliseconds;
using Reports = std::vector<std::pair<SharedBus, OsServices::LockWait>>;

Reports g_reports;
void Collect(SharedBus bus, OsServices::LockWait what) { g_reports.emplace_back(bus, what); }

struct Reporting {
  Reporting() {
    g_reports.clear();
    ResetBusLockReports();
    SetBusLockReporter(&Collect);
  }
  ~Reporting() { SetBusLockReporter(nullptr); }
};

TEST(BusLocks, ABusHeldElsewhereFailsTheAccessUntouchedAndIsReportedOnceARun) {
  const Reporting reporting;
  testing::ProgramOnBoard program("rtc-a2-amd");
  auto& rig = program.rig;
  sim::NamedLocks& locks = rig.os.Locks();

  locks.HoldElsewhere(kSmbusLockName, true);
  locks.HoldElsewhere(kIsaBusLockName, true);
  const sim::SimTime before = rig.clock.Now();
  uint8_t value = 0x5A;
  EXPECT_EQ(g_Bus.WriteByteData(0xA2, 0x09, 0x10), 0);
  EXPECT_EQ(g_Bus.ReadByteData(0xA2, 0x09, value), 0);
  EXPECT_EQ(value, 0x5A);
  EXPECT_EQ(EnableWatchdogReset(rig.driver, rig.os), 0);
  EXPECT_TRUE(rig.board.Log().empty());                      // not one access on either bus
  EXPECT_EQ(rig.clock.Now() - before, milliseconds{3 * kBusLockWaitMs});  // each waited its bound
  EXPECT_EQ(g_reports, (Reports{{SharedBus::Smbus, OsServices::LockWait::kTimedOut},
                                {SharedBus::IsaBus, OsServices::LockWait::kTimedOut}}));

  locks.HoldElsewhere(kSmbusLockName, false);
  EXPECT_EQ(g_Bus.WriteByteData(0xA2, 0x09, 0x10), 1);
  EXPECT_EQ(g_Bus.ReadByteData(0xA2, 0x09, value), 1);
  EXPECT_EQ(value, 0x10);
  EXPECT_EQ(rig.os.AcquireNamedLock(kSmbusLockName, 0), OsServices::LockWait::kTaken);  // the transfers gave it back
  rig.os.ReleaseNamedLock(kSmbusLockName);

  // A new run tells again; the probe's PCI reads give what an absent device gives.
  ResetBusLockReports();
  locks.HoldElsewhere(kPciLockName, true);
  CSMBusControl fresh{rig.driver, rig.os};
  fresh.Init();
  EXPECT_EQ(fresh.HostVendor(), 0xFFFFu);
  EXPECT_EQ(g_reports.back(), std::make_pair(SharedBus::Pci, OsServices::LockWait::kTimedOut));
}

TEST(BusLocks, AWatchdogActionTheLockKeptOutIsMadeAgainAtOnceAFewTimes) {
  const Reporting reporting;
  testing::ProgramOnBoard program("rtc-a2-amd");  // the Super I/O's watchdog
  auto& rig = program.rig;
  rig.os.Locks().HoldElsewhere(kIsaBusLockName, true);
  rig.clock.AddObserver([&](sim::SimTime) { rig.os.Locks().HoldElsewhere(kIsaBusLockName, false); });
  WatchdogKick();  // the first wait runs out, the lock is free for the second
  EXPECT_EQ(rig.board.SuperIo().WdtTimeout(), 60);
  EXPECT_EQ(rig.board.SuperIo().WdtConfig(), 0xC0);

  testing::ProgramOnBoard held("rtc-a2-amd");
  held.rig.os.Locks().HoldElsewhere(kIsaBusLockName, true);
  const sim::SimTime before = held.rig.clock.Now();
  WatchdogKick();  // a bus that stays busy: three attempts, then the next feed's turn
  EXPECT_EQ(held.rig.clock.Now() - before, milliseconds{3 * kBusLockWaitMs});
  EXPECT_TRUE(held.rig.board.Log().empty());
}

// The program's OS with the bus locks taken out: every wait "cannot be had",
// so the program drives the bus without them.
struct OsWithoutBusLocks : sim::SimulatedOs {
  using SimulatedOs::SimulatedOs;
  LockWait AcquireNamedLock(const std::string&, uint32_t) override { return LockWait::kUnavailable; }
};

struct Contention {
  unsigned corrupted = 0;  // reported as done, but wrong
  unsigned failed = 0;     // reported as failed
};

// Runs the program's side and the neighbour's side on two threads, each at
// least `rounds` times and for as long as the other still runs, so that
// their accesses overlap throughout.
template <typename Ours, typename Theirs>
std::pair<Contention, Contention> RunSideBySide(unsigned rounds, Ours ours, Theirs theirs) {
  Contention program, neighbour;
  std::atomic<int> finished{0};
  std::latch start{2};
  auto side = [&](auto& step, Contention& tally) {
    start.arrive_and_wait();
    bool done = false;
    for (unsigned round = 0; !done || finished.load() < 2; ++round) {
      step(round, tally);
      if (!done && round + 1 >= rounds) {
        done = true;
        ++finished;
      }
    }
  };
  std::thread other([&] { side(theirs, neighbour); });
  side(ours, program);
  other.join();
  return {program, neighbour};
}

std::pair<Contention, Contention> SmbusSideBySide(bool programTakesLocks) {
  sim::VirtualClock clock;
  OsWithoutBusLocks lockless{clock};
  sim::SimulatedOs locking{clock};
  sim::SimulatedOs& os = programTakesLocks ? locking : lockless;
  sim::Board board(clock, sim::ParseBoardProfile("mcu-amd").value());
  board.KeepLog(false);
  sim::SpdEeprom spd;
  board.AttachBusDevice(sim::SpdEeprom::kAddress, spd);
  sim::SimulatedDriverAccess driver(board);
  StartDrivers(driver);
  CSMBusControl bus{driver, os};
  bus.Init();
  sim::SmbusNeighbour monitor(board, locking.Locks());

  return RunSideBySide(
      1000,  // two transfers a round
      [&](unsigned round, Contention& tally) {  // the wake-up minute written and read back
        const auto minute = static_cast<uint8_t>(round % 60);
        uint8_t back = 0xFF;
        if (bus.WriteByteData(0xC2, 0x07, minute) == 0 || bus.ReadByteData(0xC2, 0x07, back) == 0) {
          ++tally.failed;
        } else if (back != minute) {
          ++tally.corrupted;
        }
      },
      [&](unsigned round, Contention& tally) {
        const auto reg = static_cast<uint8_t>(round % 16);
        const auto byte = monitor.ReadByteData(sim::SpdEeprom::kAddress, reg);
        if (!byte) {
          ++tally.failed;
        } else if (*byte != sim::SpdEeprom::Content(reg)) {
          ++tally.corrupted;
        }
      });
}

std::pair<Contention, Contention> SuperIoSideBySide(bool programTakesLocks) {
  sim::VirtualClock clock;
  OsWithoutBusLocks lockless{clock};
  sim::SimulatedOs locking{clock};
  sim::SimulatedOs& os = programTakesLocks ? locking : lockless;
  sim::Board board(clock, sim::ParseBoardProfile("rtc-a2-amd").value());
  board.KeepLog(false);
  sim::SimulatedDriverAccess driver(board);
  StartDrivers(driver);
  sim::SuperIoNeighbour sensors(board, locking.Locks());

  return RunSideBySide(
      5000,  // short sequences: more of them to meet the other thread's
      [&](unsigned round, Contention& tally) {  // the reset switched on and off in turn
        const bool enable = round % 2 == 0;
        const int made = enable ? EnableWatchdogReset(driver, os) : DisableWatchdogReset(driver, os);
        if (made == 0) {
          ++tally.failed;
        } else if (board.Inspect([](sim::Board& b) { return b.SuperIo().WdtConfig(); }) != (enable ? 0xC0 : 0x00)) {
          ++tally.corrupted;
        }
      },
      [&](unsigned, Contention& tally) {
        const auto identity = sensors.ReadIdentity();
        if (!identity) {
          ++tally.failed;
        } else if (!*identity) {
          ++tally.corrupted;
        }
      });
}

void Show(const char* what, const std::pair<Contention, Contention>& result) {
  std::cout << what << ": program corrupted=" << result.first.corrupted << " failed=" << result.first.failed
            << ", neighbour corrupted=" << result.second.corrupted << " failed=" << result.second.failed << "\n";
}

TEST(BusLocks, TwoToolsOnOneSmbusHostCorruptEachOtherOnlyWithoutTheLock) {
  const auto locked = SmbusSideBySide(true);
  Show("smbus with lock", locked);
  // A wait that ran out on a loaded machine is a failure either side sees,
  // never a corruption.
  EXPECT_EQ(locked.first.corrupted + locked.second.corrupted, 0u);
  const auto unlocked = SmbusSideBySide(false);
  Show("smbus without the program's lock", unlocked);
  EXPECT_GT(unlocked.first.corrupted + unlocked.second.corrupted, 0u);
}

TEST(BusLocks, TwoToolsOnOneSuperIoCorruptEachOtherOnlyWithoutTheLock) {
  const auto locked = SuperIoSideBySide(true);
  Show("superio with lock", locked);
  EXPECT_EQ(locked.first.corrupted + locked.second.corrupted, 0u);
  const auto unlocked = SuperIoSideBySide(false);
  Show("superio without the program's lock", unlocked);
  EXPECT_GT(unlocked.first.corrupted + unlocked.second.corrupted, 0u);
}

}  // namespace
}  // namespace vesk
