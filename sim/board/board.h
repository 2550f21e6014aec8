#pragma once
// The simulated board at register level: PCI configuration space, the bus
// controller of its profile (PIIX4-style SMBus host or DesignWare I2C),
// the wake-up chips on the two-wire bus, and the ITE Super I/O watchdog.
// The real driver code reaches it through SimulatedDriverAccess (or the
// stand-in driver libraries) exactly as it would reach the hardware.
//
// Time: the board follows a VirtualClock. Every advance of the clock is
// observed: bus transfers end, chip alarms match and watchdogs expire at
// their exact times, and the events they cause (power-on by the alarm,
// reset by a watchdog) carry those times, even when the clock jumps over
// them in one step.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/board/access_log.h"
#include "sim/board/board_profile.h"
#include "sim/board/dw_i2c.h"
#include "sim/board/ite_superio.h"
#include "sim/board/mcu_chip.h"
#include "sim/board/pci_space.h"
#include "sim/board/pcf8563_chip.h"
#include "sim/board/smbus_host.h"
#include "sim/board/two_wire_bus.h"
#include "sim/os/virtual_clock.h"

namespace vesk::sim {

enum class PowerState { On, Off };

enum class BoardEventKind {
  PowerOn,   // cause Alarm (a wake-up chip) or PowerButton
  PowerOff,  // the machine was switched off (cause Shutdown)
  Reset,     // a watchdog expired while the machine ran (cause Watchdog)
};
enum class EventCause { Alarm, PowerButton, Shutdown, Watchdog };
enum class EventSource { None, Mcu, Rtc, SuperIo };

struct BoardEvent {
  SimTime at;
  BoardEventKind kind = BoardEventKind::PowerOn;
  EventCause cause = EventCause::PowerButton;
  EventSource source = EventSource::None;  // which chip or watchdog caused it
};

class Board {
 public:
  // The chips' clocks start `chipsAhead` of the virtual clock (the local
  // time of a zone east of Greenwich, for a clock counting UTC).
  Board(VirtualClock& clock, BoardProfile profile, Microseconds chipsAhead = Microseconds{0});
  ~Board();
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  const BoardProfile& Profile() const { return profile_; }
  VirtualClock& Clock() { return clock_; }

  // --- what the driver libraries reach (width in bytes: 1, 2 or 4) ---
  // Each access is whole, as on the hardware, also when several threads
  // (the program and a neighbour tool) drive the board; what falls between
  // two accesses is up to them.
  void WritePort(uint16_t port, uint32_t value, unsigned width);
  uint32_t ReadPort(uint16_t port, unsigned width);
  uint32_t ReadPciConfigDword(uint32_t libraryAddress, uint8_t reg);
  uint32_t FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf, uint8_t index);
  // False when nothing is mapped at the address (the read then gives all ones).
  bool ReadPhysical(uint32_t address, uint32_t& value);
  bool WritePhysical(uint32_t address, uint32_t value);

  // --- the parts, for inspection and set-up (null when the board has none) ---
  McuChip* Mcu() { return mcu_.get(); }
  Pcf8563Chip* Rtc() { return rtc_.get(); }
  SmbusHost* Smbus() { return smbus_.get(); }
  DwI2cController* I2c() { return i2c_.get(); }
  IteSuperIo& SuperIo() { return superIo_; }
  PciSpace& Pci() { return pci_; }

  // Looks at the board between two accesses of other threads.
  template <typename Look>
  auto Inspect(Look look) {
    const std::lock_guard<std::recursive_mutex> lock(accessMutex_);
    return look(*this);
  }

  // A further device on the two-wire bus (a memory module's EEPROM, say);
  // it must outlive the board.
  void AttachBusDevice(uint8_t address8, BusDevice& device) { bus_.Attach(address8, device); }

  // --- faults ---
  void SetNoAcknowledge(uint8_t address8, bool on) { bus_.SetNoAcknowledge(address8, on); }
  void SetSmbusStuckBusy(bool on);
  void SetTxFifoStuck(bool on);
  void InjectTransmitAborts(unsigned count);
  // The next `count` bytes read over the I2C controller come `stretch` late.
  void StretchI2cReads(unsigned count, Microseconds stretch);

  // --- power, for the machine simulator ---
  PowerState Power() const { return power_; }
  // The machine has switched itself off now (its shutdown completed): the
  // watchdogs lose power, the wake-up chips keep theirs.
  void SwitchOff();
  void PressPowerButton();
  // When a wake-up chip will switch the machine on next (whether it is off
  // now or not), if one is programmed to.
  std::optional<SimTime> NextAlarmPowerOn();
  // When a running watchdog will reset the machine unless it is fed.
  std::optional<SimTime> NextWatchdogReset();
  // Every event, as it happens; the listener must not move the clock.
  using EventListener = std::function<void(const BoardEvent&)>;
  void SetEventListener(EventListener listener) { eventListener_ = std::move(listener); }
  const std::vector<BoardEvent>& Events() const { return events_; }
  // Brings the board up to the clock's time (done on every clock advance
  // and every access; needed only after VirtualClock::Set).
  void Update() { ProcessUntil(clock_.Now()); }

  // --- the access log ---
  const std::vector<BoardAccess>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // Long simulations may keep no log and watch accesses as they happen.
  void KeepLog(bool keep) { keepLog_ = keep; }
  using AccessListener = std::function<void(const BoardAccess&)>;
  void SetAccessListener(AccessListener listener) { accessListener_ = std::move(listener); }

 private:
  void BuildPci();
  void Record(const BoardAccess& access);
  void ProcessUntil(SimTime now);
  void Emit(BoardEvent event);
  void ResetBoard(SimTime at, EventSource source);

  VirtualClock& clock_;
  BoardProfile profile_;
  TwoWireBus bus_;
  PciSpace pci_;
  std::unique_ptr<McuChip> mcu_;
  std::unique_ptr<Pcf8563Chip> rtc_;
  std::unique_ptr<SmbusHost> smbus_;
  std::unique_ptr<DwI2cController> i2c_;
  IteSuperIo superIo_;
  PowerState power_ = PowerState::On;
  std::vector<BoardEvent> events_;
  EventListener eventListener_;
  std::vector<BoardAccess> log_;
  bool keepLog_ = true;
  AccessListener accessListener_;
  bool processing_ = false;
  std::recursive_mutex accessMutex_;
  // Lets the clock's observer outlive the board safely.
  std::shared_ptr<Board*> self_;
};

}  // namespace vesk::sim
