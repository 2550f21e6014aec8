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
using Wait = OsServices::LockWait;
using Reports = std::vector<std::pair<SharedBus, Wait>>;

Reports g_reports;

TEST(BusLocks, ABusHeldElsewhereFailsTheAccessUntouchedAndIsReportedOnceARun) {
  g_reports.clear();
  ResetBusLockReports();
  SetBusLockReporter([](SharedBus bus, Wait what) { g_reports.emplace_back(bus, what); });
  testing::ProgramOnBoard program("rtc-a2-amd");
  auto& rig = program.rig;
  rig.os.Locks().HoldElsewhere(kSmbusLockName, true);
  rig.os.Locks().HoldElsewhere(kIsaBusLockName, true);
  const sim::SimTime before = rig.clock.Now();
  uint8_t value = 0x5A;
  EXPECT_EQ(g_Bus.WriteByteData(0xA2, 0x09, 0x10), 0);
  EXPECT_EQ(g_Bus.ReadByteData(0xA2, 0x09, value), 0);
  EXPECT_EQ(value, 0x5A);
  EXPECT_EQ(EnableWatchdogReset(rig.driver, rig.os), 0);
  EXPECT_TRUE(rig.board.Log().empty());  // not one access on either bus
  EXPECT_EQ(rig.clock.Now() - before, milliseconds{3 * kBusLockWaitMs});
  EXPECT_EQ(g_reports, (Reports{{SharedBus::Smbus, Wait::kTimedOut}, {SharedBus::IsaBus, Wait::kTimedOut}}));

  rig.os.Locks().HoldElsewhere(kSmbusLockName, false);
  EXPECT_EQ(g_Bus.WriteByteData(0xA2, 0x09, 0x10), 1);
  EXPECT_EQ(g_Bus.ReadByteData(0xA2, 0x09, value), 1);
  EXPECT_EQ(value, 0x10);
  bool freeForOthers = false;  // the transfers gave the lock back
  std::thread([&] {
    freeForOthers = rig.os.Locks().Acquire(kSmbusLockName, milliseconds{0});
    if (freeForOthers) rig.os.Locks().Release(kSmbusLockName);
  }).join();
  EXPECT_TRUE(freeForOthers);

  // A new run tells again; the probe's PCI reads answer as for an absent device.
  ResetBusLockReports();
  rig.os.Locks().HoldElsewhere(kPciLockName, true);
  CSMBusControl fresh{rig.driver, rig.os};
  fresh.Init();
  EXPECT_EQ(fresh.HostVendor(), 0xFFFFu);
  EXPECT_EQ(g_reports.back(), std::make_pair(SharedBus::Pci, Wait::kTimedOut));
  SetBusLockReporter(nullptr);
}

TEST(BusLocks, AWatchdogActionTheLockKeptOutIsMadeAgainAtOnceAFewTimes) {
  testing::ProgramOnBoard freed("rtc-a2-amd");  // the Super I/O's watchdog
  sim::NamedLocks& locks = freed.rig.os.Locks();
  locks.HoldElsewhere(kIsaBusLockName, true);
  freed.rig.clock.AddObserver([&](sim::SimTime) { locks.HoldElsewhere(kIsaBusLockName, false); });
  WatchdogKick();  // the first wait runs out, the lock is free for the second
  EXPECT_EQ(freed.rig.board.SuperIo().WdtTimeout(), 60);
  EXPECT_EQ(freed.rig.board.SuperIo().WdtConfig(), 0xC0);

  testing::ProgramOnBoard held("rtc-a2-amd");
  held.rig.os.Locks().HoldElsewhere(kIsaBusLockName, true);
  const sim::SimTime before = held.rig.clock.Now();
  WatchdogKick();  // a bus that stays busy: three attempts, then it is the next feed's turn
  EXPECT_EQ(held.rig.clock.Now() - before, milliseconds{3 * kBusLockWaitMs});
  EXPECT_TRUE(held.rig.board.Log().empty());
}

// The program's OS with the bus locks taken out: the program drives the bus
// without them.
struct OsWithoutBusLocks : sim::SimulatedOs {
  using SimulatedOs::SimulatedOs;
  LockWait AcquireNamedLock(const std::string&, uint32_t) override { return LockWait::kUnavailable; }
};

// The program's steps and a neighbour tool's on two threads, each side at
// least `rounds` times and on until the other is done too, so that they
// overlap throughout; a step says whether it was reported as done but came
// out wrong. Gives the count of such steps, the program's and the tool's.
template <typename Ours, typename Theirs>
std::pair<unsigned, unsigned> SideBySide(unsigned rounds, Ours ours, Theirs theirs) {
  std::atomic<int> finished{0};
  std::latch start{2};
  auto side = [&](auto& corrupts) {
    unsigned corrupted = 0;
    start.arrive_and_wait();
    for (unsigned round = 0; round < rounds || finished.load() < 2; ++round) {
      if (corrupts(round)) ++corrupted;
      if (round + 1 == rounds) ++finished;
    }
    return corrupted;
  };
  unsigned theirCount = 0;
  std::thread other([&] { theirCount = side(theirs); });
  const unsigned ourCount = side(ours);
  other.join();
  return {ourCount, theirCount};
}

TEST(BusLocks, TwoToolsOnOneSmbusHostOrSuperIoCorruptEachOtherOnlyWithoutTheLock) {
  for (const bool programLocks : {true, false}) {
    sim::BoardRig smbus("mcu-amd"), superIo("rtc-a2-amd");
    OsWithoutBusLocks smbusLockless{smbus.clock}, superIoLockless{superIo.clock};
    sim::SpdEeprom spd;
    smbus.board.AttachBusDevice(sim::SpdEeprom::kAddress, spd);
    for (sim::BoardRig* rig : {&smbus, &superIo}) {
      rig->board.KeepLog(false);
      StartDrivers(rig->driver);
    }
    CSMBusControl bus{smbus.driver, programLocks ? smbus.os : smbusLockless};
    bus.Init();
    sim::SmbusNeighbour monitor(smbus.board, smbus.os.Locks());
    const auto onSmbus = SideBySide(
        1000,
        [&](unsigned round) {  // a wake-up minute written and read back: two transfers
          const auto minute = static_cast<uint8_t>(round % 60);
          uint8_t back = 0xFF;
          return bus.WriteByteData(0xC2, 0x07, minute) != 0 && bus.ReadByteData(0xC2, 0x07, back) != 0 &&
                 back != minute;
        },
        [&](unsigned round) {
          const auto reg = static_cast<uint8_t>(round % 16);
          const auto byte = monitor.ReadByteData(sim::SpdEeprom::kAddress, reg);
          return byte.has_value() && *byte != sim::SpdEeprom::Content(reg);
        });

    OsServices& os = programLocks ? static_cast<OsServices&>(superIo.os) : superIoLockless;
    sim::SuperIoNeighbour sensors(superIo.board, superIo.os.Locks());
    const auto onSuperIo = SideBySide(
        5000,  // short sequences: more of them to meet the other thread's
        [&](unsigned round) {  // the reset switched on and off in turn
          const bool on = round % 2 == 0;
          const int done = on ? EnableWatchdogReset(superIo.driver, os) : DisableWatchdogReset(superIo.driver, os);
          const uint8_t config = superIo.board.Inspect([](sim::Board& b) { return b.SuperIo().WdtConfig(); });
          return done != 0 && config != (on ? 0xC0 : 0x00);
        },
        [&](unsigned) { return sensors.ReadIdentity() == false; });

    std::cout << (programLocks ? "with" : "without") << " the program's locks, corrupted (program, tool): smbus "
              << onSmbus.first << ", " << onSmbus.second << "; superio " << onSuperIo.first << ", "
              << onSuperIo.second << "\n";
    if (programLocks) {
      EXPECT_EQ(onSmbus.first + onSmbus.second + onSuperIo.first + onSuperIo.second, 0u);
    } else {
      EXPECT_GT(onSmbus.first + onSmbus.second, 0u);
      EXPECT_GT(onSuperIo.first + onSuperIo.second, 0u);
    }
  }
}

}  // namespace
}  // namespace vesk
