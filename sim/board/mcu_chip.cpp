#include "sim/board/mcu_chip.h"

namespace vesk::sim {

namespace {

using std::chrono::days;
using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;
constexpr Microseconds kWeek = days{7};

struct WeekFields {
  unsigned weekday, hour, minute, second;
  Microseconds fraction;
};

WeekFields Split(Microseconds t) {
  WeekFields f{};
  f.weekday = static_cast<unsigned>(t / days{1});
  t -= days{f.weekday};
  f.hour = static_cast<unsigned>(t / hours{1});
  t -= hours{f.hour};
  f.minute = static_cast<unsigned>(t / minutes{1});
  t -= minutes{f.minute};
  f.second = static_cast<unsigned>(t / seconds{1});
  f.fraction = t - seconds{f.second};
  return f;
}

Microseconds Join(const WeekFields& f) {
  return days{f.weekday} + hours{f.hour} + minutes{f.minute} + seconds{f.second} + f.fraction;
}

}  // namespace

McuChip::McuChip(SimTime now, Microseconds ahead) {
  const SimTime shown = now + ahead;
  const auto day = std::chrono::floor<days>(shown);
  const std::chrono::weekday weekday{day};
  SetWeekTime(days{weekday.c_encoding()} + (shown - day), now);
}

McuChip::WeekTime McuChip::WeekNow(SimTime now) const {
  auto t = (anchorWeek_ + (now - anchorBoard_)) % kWeek;
  if (t < Microseconds{0}) t += kWeek;
  return t;
}

void McuChip::SetWeekTime(WeekTime time, SimTime now) {
  anchorWeek_ = time % kWeek;
  anchorBoard_ = now;
}

uint8_t McuChip::ReadRegister(uint8_t reg, SimTime now) {
  const WeekFields f = Split(WeekNow(now));
  switch (reg) {
    case kRegWeekday:
      return static_cast<uint8_t>(f.weekday + 1);
    case kRegHour:
      return static_cast<uint8_t>(f.hour);
    case kRegMinute:
      return static_cast<uint8_t>(f.minute);
    case kRegSecond:
      return static_cast<uint8_t>(f.second);
    default:
      return regs_[reg % kRegisterCount];
  }
}

void McuChip::WriteRegister(uint8_t reg, uint8_t value, SimTime now) {
  WeekFields f = Split(WeekNow(now));
  switch (reg) {
    case kRegWeekday:
      if (value < 1 || value > 7) return;
      f.weekday = value - 1u;
      SetWeekTime(Join(f), now);
      return;
    case kRegHour:
      if (value > 23) return;
      f.hour = value;
      SetWeekTime(Join(f), now);
      return;
    case kRegMinute:
      if (value > 59) return;
      f.minute = value;
      SetWeekTime(Join(f), now);
      return;
    case kRegSecond:
      if (value > 59) return;
      f.second = value;
      f.fraction = Microseconds{0};
      SetWeekTime(Join(f), now);
      return;
    case kRegWakeDay:
    case kRegWakeHour:
    case kRegWakeMinute:
      if (lostWakeWrites_ > 0 && value != regs_[reg]) {
        --lostWakeWrites_;
        return;
      }
      break;
    default:
      break;
  }
  const uint8_t before = regs_[reg % kRegisterCount];
  regs_[reg % kRegisterCount] = value;
  if (reg == kRegWakeControl) {
    if (value == 1) {
      Arm(now);
    } else {
      wakeAt_.reset();
    }
  } else if (reg == kRegWatchdogTimeout || (reg == kRegWatchdogEnable && before == 0 && value != 0)) {
    watchdogReload_ = now;
  }
}

void McuChip::Arm(SimTime now) {
  wakeAt_.reset();
  const unsigned code = regs_[kRegWakeDay];
  const unsigned hour = regs_[kRegWakeHour];
  const unsigned minute = regs_[kRegWakeMinute];
  if (code < 1 || code > 14 || hour > 23 || minute > 59) return;
  const unsigned day = code <= 7 ? code - 1 : code - 8 + 7;
  const Microseconds target = days{day} + hours{hour} + minutes{minute};
  const Microseconds current = WeekNow(now);
  if (target <= current) return;
  wakeAt_ = now + (target - current);
}

std::optional<SimTime> McuChip::WatchdogDeadline() const {
  if (regs_[kRegWatchdogEnable] == 0 || regs_[kRegWatchdogTimeout] == 0) return std::nullopt;
  return watchdogReload_ + seconds{regs_[kRegWatchdogTimeout]};
}

}  // namespace vesk::sim
