#include "sim/board/pcf8563_chip.h"

namespace vesk::sim {

namespace {

using namespace std::chrono;

constexpr int kCenturyBase = 2000;
constexpr int kSearchDays = 400;  // a day-of-month alarm matches within 2 months

unsigned FromBcd(uint8_t value) { return (value >> 4) * 10u + (value & 0x0Fu); }
uint8_t ToBcd(unsigned value) { return static_cast<uint8_t>((value / 10) * 16 + value % 10); }

SimTime Compose(int year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                unsigned second) {
  // Out-of-range fields roll over, as far as the chip would count them.
  const int monthIndex = static_cast<int>(month) - 1;
  const int carry = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
  const year_month ym{std::chrono::year{year + carry},
                      std::chrono::month{static_cast<unsigned>(monthIndex - carry * 12 + 1)}};
  return SimTime{sys_days{ym / 1} + days{static_cast<int>(day) - 1} + hours{hour} +
                 minutes{minute} + seconds{second}};
}

// An enabled alarm register's value, or nothing when AE is set.
std::optional<unsigned> Enabled(uint8_t reg, uint8_t mask) {
  if ((reg & Pcf8563Chip::kAe) != 0) return std::nullopt;
  return FromBcd(static_cast<uint8_t>(reg & mask));
}

}  // namespace

Pcf8563Chip::Pcf8563Chip(SimTime now, Microseconds ahead) {
  const SimTime shown = now + ahead;
  const auto day = floor<days>(shown);
  const year_month_day ymd{day};
  const hh_mm_ss<Microseconds> tod{shown - day};
  regs_[kMinuteAlarm] = regs_[kHourAlarm] = regs_[kDayAlarm] = regs_[kWeekdayAlarm] = kAe;
  Anchor({static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
          static_cast<unsigned>(ymd.day()), static_cast<unsigned>(tod.hours().count()),
          static_cast<unsigned>(tod.minutes().count()), static_cast<unsigned>(tod.seconds().count()),
          weekday{day}.c_encoding()},
         now);
  // Keep the board's sub-second phase so the chip's minutes turn with the
  // board's clock.
  anchorRtc_ += tod.subseconds();
}

Pcf8563Chip::Fields Pcf8563Chip::Current(SimTime now) const {
  if (!running_) return frozen_;
  const SimTime t = anchorRtc_ + (now - anchorBoard_);
  const auto day = floor<days>(t);
  const year_month_day ymd{day};
  const hh_mm_ss<Microseconds> tod{t - day};
  const auto elapsedDays = (day - floor<days>(anchorRtc_)).count();
  return {static_cast<int>(ymd.year()),
          static_cast<unsigned>(ymd.month()),
          static_cast<unsigned>(ymd.day()),
          static_cast<unsigned>(tod.hours().count()),
          static_cast<unsigned>(tod.minutes().count()),
          static_cast<unsigned>(tod.seconds().count()),
          static_cast<unsigned>(((static_cast<long>(anchorWeekday_) + elapsedDays % 7) + 7) % 7)};
}

void Pcf8563Chip::Anchor(const Fields& f, SimTime now) {
  anchorRtc_ = Compose(f.year, f.month, f.day, f.hour, f.minute, f.second);
  anchorBoard_ = now;
  anchorWeekday_ = f.weekday % 7;
  running_ = true;
}

uint8_t Pcf8563Chip::ReadRegister(uint8_t reg, SimTime now) {
  const Fields f = Current(now);
  switch (reg) {
    case kVlSeconds:
      return ToBcd(f.second);
    case kMinutes:
      return ToBcd(f.minute);
    case kHours:
      return ToBcd(f.hour);
    case kDays:
      return ToBcd(f.day);
    case kWeekdays:
      return static_cast<uint8_t>(f.weekday);
    case kCenturyMonths:
      return ToBcd(f.month);
    case kYears:
      return ToBcd(static_cast<unsigned>(f.year - kCenturyBase) % 100);
    default:
      return regs_[reg % kRegisterCount];
  }
}

void Pcf8563Chip::WriteRegister(uint8_t reg, uint8_t value, SimTime now) {
  if (reg >= kMinuteAlarm && reg <= kWeekdayAlarm && lostWakeWrites_ > 0 && value != regs_[reg]) {
    --lostWakeWrites_;
    return;
  }
  Fields f = Current(now);
  bool timeWritten = true;
  switch (reg) {
    case kVlSeconds:
      f.second = FromBcd(value & 0x7F);
      break;
    case kMinutes:
      f.minute = FromBcd(value & 0x7F);
      break;
    case kHours:
      f.hour = FromBcd(value & 0x3F);
      break;
    case kDays:
      f.day = FromBcd(value & 0x3F);
      break;
    case kWeekdays:
      f.weekday = value & 0x07u;
      break;
    case kCenturyMonths:
      f.month = FromBcd(value & 0x1F);
      break;
    case kYears:
      f.year = kCenturyBase + static_cast<int>(FromBcd(value));
      break;
    default:
      timeWritten = false;
      break;
  }
  if (timeWritten) {
    // While stopped the fields are kept as written, so a date can pass
    // through an impossible state (31 February) on its way.
    if (running_) {
      Anchor(f, now);
    } else {
      frozen_ = f;
    }
  } else if (reg == kControlStatus1) {
    const bool stop = (value & kStop) != 0;
    if (stop && running_) {
      frozen_ = f;
      running_ = false;
    } else if (!stop && !running_) {
      Anchor(frozen_, now);
    }
    regs_[reg] = value;
  } else if (reg == kControlStatus2) {
    const uint8_t flags = kAf | kTf;
    regs_[reg] = static_cast<uint8_t>((value & 0x1F & ~flags) | (regs_[reg] & value & flags));
  } else {
    regs_[reg % kRegisterCount] = value;
  }
  UpdateAlarm(now);
}

void Pcf8563Chip::UpdateAlarm(SimTime now) {
  alarmAt_.reset();
  if (!running_) return;
  const auto minute = Enabled(regs_[kMinuteAlarm], 0x7F);
  const auto hour = Enabled(regs_[kHourAlarm], 0x3F);
  const auto dayOfMonth = Enabled(regs_[kDayAlarm], 0x3F);
  const auto weekdayAlarm = Enabled(regs_[kWeekdayAlarm], 0x07);
  if (!minute && !hour && !dayOfMonth && !weekdayAlarm) return;
  if ((minute && *minute > 59) || (hour && *hour > 23) ||
      (dayOfMonth && (*dayOfMonth < 1 || *dayOfMonth > 31))) {
    return;  // can never match
  }

  // The first minute after the current one whose fields all match.
  const SimTime chipNow = anchorRtc_ + (now - anchorBoard_);
  const SimTime start = floor<minutes>(chipNow) + minutes{1};
  const Fields current = Current(now);
  const auto firstDay = floor<days>(start);
  const unsigned dayShift = floor<days>(start) > floor<days>(chipNow) ? 1 : 0;
  for (int d = 0; d < kSearchDays; ++d) {
    const sys_days date = firstDay + days{d};
    const unsigned weekday = (current.weekday + dayShift + static_cast<unsigned>(d)) % 7;
    if (weekdayAlarm && *weekdayAlarm != weekday) continue;
    if (dayOfMonth && *dayOfMonth != static_cast<unsigned>(year_month_day{date}.day())) continue;
    const Microseconds from = d == 0 ? start - firstDay : Microseconds{0};
    for (unsigned h = 0; h < 24; ++h) {
      if (hour && *hour != h) continue;
      for (unsigned m = 0; m < 60; ++m) {
        if (minute && *minute != m) continue;
        const Microseconds at = hours{h} + minutes{m};
        if (at < from) continue;
        alarmAt_ = now + ((date + at) - chipNow);
        return;
      }
    }
  }
}

bool Pcf8563Chip::FireAlarm(SimTime at) {
  regs_[kControlStatus2] |= kAf;
  // The next match comes at the earliest in the next minute.
  UpdateAlarm(at);
  return (regs_[kControlStatus2] & kAie) != 0;
}

}  // namespace vesk::sim
