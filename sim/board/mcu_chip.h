#pragma once
// The wake-up micro-controller at 0xC2, as the board's firmware behaves:
// a week clock of its own (weekday, hour, minute, second), one wake-up time
// given as a day code (1..7 = weekday + 1 in the current week, 8..14 =
// weekday + 8 in the next), armed by writing 1 to register 0; and a
// watchdog that counts the seconds of register 0x0A while register 0x09 is
// 1, restarting the count at every write of 0x0A.
//
// Firmware choices the program does not see: the wake-up target is fixed
// when register 0 is armed (a target not after the current time never
// fires); firing clears register 0 (the program re-arms it on finding 0);
// out-of-range time values are refused; the watchdog switches itself off
// after it has reset the board, and while the board is off.
#include <array>
#include <cstdint>
#include <optional>

#include "sim/board/two_wire_bus.h"

namespace vesk::sim {

class McuChip : public BusDevice {
 public:
  static constexpr uint8_t kAddress = 0xC2;
  static constexpr uint8_t kRegWakeControl = 0x00;
  static constexpr uint8_t kRegWeekday = 0x01;
  static constexpr uint8_t kRegHour = 0x02;
  static constexpr uint8_t kRegMinute = 0x03;
  static constexpr uint8_t kRegSecond = 0x04;
  static constexpr uint8_t kRegWakeDay = 0x05;
  static constexpr uint8_t kRegWakeHour = 0x06;
  static constexpr uint8_t kRegWakeMinute = 0x07;
  static constexpr uint8_t kRegWatchdogEnable = 0x09;
  static constexpr uint8_t kRegWatchdogTimeout = 0x0A;

  // The week clock starts at the board's time plus `ahead` (the local
  // time, for a board whose clock counts UTC).
  explicit McuChip(SimTime now, Microseconds ahead = Microseconds{0});

  uint8_t ReadRegister(uint8_t reg, SimTime now) override;
  void WriteRegister(uint8_t reg, uint8_t value, SimTime now) override;

  // Board time of the armed wake-up, if any.
  std::optional<SimTime> WakeAt() const { return wakeAt_; }
  void FireWake() {
    regs_[kRegWakeControl] = 0;
    wakeAt_.reset();
  }
  // Board time at which the watchdog resets the board, if it runs.
  std::optional<SimTime> WatchdogDeadline() const;
  void WatchdogOff() { regs_[kRegWatchdogEnable] = 0; }

  uint8_t Register(uint8_t reg) const { return regs_[reg % kRegisterCount]; }

  // Fault: the next `count` writes to a wake-up register (day, hour,
  // minute) that would change its value are lost, as on a glitching bus.
  void LoseWakeWrites(unsigned count) { lostWakeWrites_ += count; }
  void KeepWakeWrites() { lostWakeWrites_ = 0; }

 private:
  using WeekTime = Microseconds;  // since Sunday 00:00 of the chip's week
  WeekTime WeekNow(SimTime now) const;
  void SetWeekTime(WeekTime time, SimTime now);
  void Arm(SimTime now);

  std::array<uint8_t, kRegisterCount> regs_{};
  WeekTime anchorWeek_{};
  SimTime anchorBoard_{};
  std::optional<SimTime> wakeAt_;
  SimTime watchdogReload_{};
  unsigned lostWakeWrites_ = 0;
};

}  // namespace vesk::sim
