#pragma once
// A real-time clock with the NXP PCF8563 register layout. Its calendar runs
// on its own from the board clock while the STOP bit is clear and stands
// while it is set; the weekday is a counter of its own that advances at
// midnight. The alarm compares the enabled minute, hour, day and weekday
// alarm registers with the time whenever a new minute begins; on the first
// match it sets the alarm flag AF, and with AIE set its interrupt output
// powers the board on. AF can only be cleared (a write ANDs it).
#include <array>
#include <cstdint>
#include <optional>

#include "sim/board/two_wire_bus.h"

namespace vesk::sim {

class Pcf8563Chip : public BusDevice {
 public:
  // Registers by their datasheet names.
  static constexpr uint8_t kControlStatus1 = 0x00;
  static constexpr uint8_t kControlStatus2 = 0x01;
  static constexpr uint8_t kVlSeconds = 0x02;
  static constexpr uint8_t kMinutes = 0x03;
  static constexpr uint8_t kHours = 0x04;
  static constexpr uint8_t kDays = 0x05;
  static constexpr uint8_t kWeekdays = 0x06;
  static constexpr uint8_t kCenturyMonths = 0x07;
  static constexpr uint8_t kYears = 0x08;
  static constexpr uint8_t kMinuteAlarm = 0x09;
  static constexpr uint8_t kHourAlarm = 0x0A;
  static constexpr uint8_t kDayAlarm = 0x0B;
  static constexpr uint8_t kWeekdayAlarm = 0x0C;
  static constexpr uint8_t kStop = 0x20;
  static constexpr uint8_t kAf = 0x08;
  static constexpr uint8_t kTf = 0x04;
  static constexpr uint8_t kAie = 0x02;
  static constexpr uint8_t kAe = 0x80;

  // The calendar starts at the board's time plus `ahead` (the local time,
  // for a board whose clock counts UTC), running, alarm off.
  explicit Pcf8563Chip(SimTime now, Microseconds ahead = Microseconds{0});

  uint8_t ReadRegister(uint8_t reg, SimTime now) override;
  void WriteRegister(uint8_t reg, uint8_t value, SimTime now) override;

  // Board time of the next alarm match, if the clock runs and an alarm is set.
  std::optional<SimTime> AlarmAt() const { return alarmAt_; }
  // The match happened: AF set; true when the interrupt output fires (AIE).
  bool FireAlarm(SimTime at);

  bool Running() const { return running_; }
  uint8_t Register(uint8_t reg, SimTime now) { return ReadRegister(reg, now); }

  // Fault: the next `count` writes to an alarm register (minute, hour, day,
  // weekday) that would change its value are lost, as on a glitching bus.
  void LoseWakeWrites(unsigned count) { lostWakeWrites_ += count; }

 private:
  struct Fields {
    int year;
    unsigned month, day, hour, minute, second, weekday;
  };
  Fields Current(SimTime now) const;
  void Anchor(const Fields& fields, SimTime now);
  void UpdateAlarm(SimTime now);

  std::array<uint8_t, kRegisterCount> regs_{};  // control, alarm and timer registers
  bool running_ = true;
  Fields frozen_{};
  SimTime anchorRtc_{};   // calendar time of the chip at anchorBoard_
  SimTime anchorBoard_{};
  unsigned anchorWeekday_ = 0;
  std::optional<SimTime> alarmAt_;
  unsigned lostWakeWrites_ = 0;
};

}  // namespace vesk::sim
