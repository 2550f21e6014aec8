#include "hardware/wake_chip.h"

#include <algorithm>
#include <chrono>

#include "hardware/hardware_globals.h"
#include "platform/calendar.h"

namespace vesk {

namespace {

constexpr uint8_t kProbeRegister = 0x00;
// The MCU's wake-up day codes: the current week's Sunday to the next week's
// Saturday.
constexpr int kFirstDayCode = 1;
constexpr int kLastDayCode = 2 * kDaysPerWeek;

bool ChipIsMcu() { return g_ChipAddress == kMcuAddress; }
uint8_t ChipAddress() { return static_cast<uint8_t>(g_ChipAddress); }

void WriteChip(uint8_t reg, uint8_t value) { g_Bus.WriteByteData(ChipAddress(), reg, value); }

uint8_t Low(uint16_t value) { return static_cast<uint8_t>(value); }

WakeImage g_LastWakeImage;

void Expect(WakeImage& image, uint8_t reg, uint8_t value, uint8_t mask = 0xFF) {
  image.registers[image.count++] = WakeRegister{reg, value, mask};
}

// The day-of-month alarm matches the first time its day and time come round
// after now. That is the wake-up's own date up to a month ahead; further
// ahead, the latest date before it that the alarm still reaches first.
unsigned ReachableDayOfMonth(const LocalTime& now, const LocalTime& wakeAt) {
  using namespace std::chrono;
  const sys_days today = DayCount(now);
  const bool laterToday = MinuteOfDay(wakeAt) > MinuteOfDay(now);
  const sys_days firstDay = laterToday ? today : today + days{1};
  const auto dayOf = [](sys_days date) { return static_cast<unsigned>(year_month_day{date}.day()); };
  const auto firstMatch = [&](unsigned dayOfMonth) {
    sys_days date = firstDay;
    while (dayOf(date) != dayOfMonth) date += days{1};
    return date;
  };
  sys_days candidate = today + days{DaysBetween(now, wakeAt)};
  while (candidate > firstDay && firstMatch(dayOf(candidate)) != candidate) candidate -= days{1};
  return dayOf(candidate);
}

uint8_t ProgramMcu(uint8_t dayCode, uint8_t hour, uint8_t minute, const LocalTime& now) {
  WriteChip(mcu::kWakeControl, mcu::kWakeOff);
  WriteChip(mcu::kCleared, 0);
  WriteChip(mcu::kWakeMinute, minute);
  WriteChip(mcu::kWakeHour, hour);
  WriteChip(mcu::kWakeDayCode, dayCode);
  WriteChip(mcu::kSecond, Low(now.wSecond));
  WriteChip(mcu::kMinute, Low(now.wMinute));
  WriteChip(mcu::kHour, Low(now.wHour));
  WriteChip(mcu::kWeekday, static_cast<uint8_t>(now.wDayOfWeek + 1));
  WriteChip(mcu::kWakeControl, mcu::kWakeArmed);
  WakeImage image;
  Expect(image, mcu::kWakeMinute, minute);
  Expect(image, mcu::kWakeHour, hour);
  Expect(image, mcu::kWakeDayCode, dayCode);
  Expect(image, mcu::kWakeControl, mcu::kWakeArmed);
  g_LastWakeImage = image;
  return dayCode;
}

// The two day alarms: the weekday's, or the day of month's for a wake-up
// that the weekday would bring too early; the other one disabled.
struct RtcDayAlarm {
  uint8_t dayOfMonth = rtc::kAlarmDisabled;
  uint8_t weekday = rtc::kAlarmDisabled;
};

uint8_t ProgramRtc(RtcDayAlarm day, uint8_t hour, uint8_t minute, OsServices& os) {
  WriteChip(rtc::kControl1, rtc::kStop);
  WriteChip(rtc::kMinuteAlarm, ToBcd(minute));
  WriteChip(rtc::kHourAlarm, ToBcd(hour));
  WriteChip(rtc::kDayAlarm, day.dayOfMonth);
  WriteChip(rtc::kWeekdayAlarm, day.weekday);
  // The clock is stopped while its time is written, so the time is read
  // only now, as close to the writes as possible.
  const LocalTime now = os.GetLocalTime();
  WriteChip(rtc::kSeconds, ToBcd(now.wSecond));
  WriteChip(rtc::kMinutes, ToBcd(now.wMinute));
  WriteChip(rtc::kHours, ToBcd(now.wHour));
  WriteChip(rtc::kDays, ToBcd(now.wDay));
  WriteChip(rtc::kWeekdays, Low(now.wDayOfWeek));
  WriteChip(rtc::kMonths, ToBcd(now.wMonth));
  WriteChip(rtc::kYears, ToBcd(now.wYear % 100u));
  WriteChip(rtc::kControl2, rtc::kAlarmInterruptOn);
  WriteChip(rtc::kControl1, rtc::kClockRuns);
  WakeImage image;
  Expect(image, rtc::kMinuteAlarm, ToBcd(minute));
  Expect(image, rtc::kHourAlarm, ToBcd(hour));
  Expect(image, rtc::kDayAlarm, day.dayOfMonth);
  Expect(image, rtc::kWeekdayAlarm, day.weekday);
  Expect(image, rtc::kControl2, rtc::kAlarmInterruptOn, rtc::kAlarmInterruptOn);
  g_LastWakeImage = image;
  return day.weekday == rtc::kAlarmDisabled ? day.dayOfMonth : day.weekday;
}

}  // namespace

uint8_t McuDayCode(uint8_t weekday, uint8_t hour, uint8_t minute, const LocalTime& now) {
  const unsigned today = now.wDayOfWeek;
  const unsigned thisWeek = weekday + 1u;
  const unsigned nextWeek = weekday + 1u + kDaysPerWeek;
  if (weekday > today) return static_cast<uint8_t>(thisWeek);
  if (weekday < today) return static_cast<uint8_t>(nextWeek);
  const unsigned wakeMinuteOfDay = hour * kMinutesPerHour + minute;
  const unsigned nowMinuteOfDay = MinuteOfDay(now);
  return static_cast<uint8_t>(wakeMinuteOfDay > nowMinuteOfDay ? thisWeek : nextWeek);
}

uint32_t DetectWakeChip() {
  for (const uint32_t candidate : {kMcuAddress, kRtcAddressA2, kRtcAddressD0}) {
    uint8_t ignored = 0;
    if (g_Bus.ReadByteData(static_cast<uint8_t>(candidate), kProbeRegister, ignored) != 0) {
      return candidate;
    }
  }
  return kNoWakeChip;
}

uint8_t ProgramWakeTime(uint8_t weekday, uint8_t hour, uint8_t minute) {
  // Without a detected chip there is nothing to program; address 0 would be
  // the bus's general call.
  OsServices* os = g_Bus.Os();
  if (g_ChipAddress == kNoWakeChip || os == nullptr) return 0;
  if (ChipIsMcu()) {
    const LocalTime now = os->GetLocalTime();
    return ProgramMcu(McuDayCode(weekday, hour, minute, now), hour, minute, now);
  }
  RtcDayAlarm day;
  day.weekday = weekday;
  return ProgramRtc(day, hour, minute, *os);
}

uint8_t ProgramWakeTime(const LocalTime& wakeAt) {
  OsServices* os = g_Bus.Os();
  if (g_ChipAddress == kNoWakeChip || os == nullptr) return 0;
  const auto weekday = Low(wakeAt.wDayOfWeek);
  const auto hour = Low(wakeAt.wHour);
  const auto minute = Low(wakeAt.wMinute);
  const LocalTime now = os->GetLocalTime();
  const int daysAhead = DaysBetween(now, wakeAt);
  if (ChipIsMcu()) {
    const int dayCode = now.wDayOfWeek + daysAhead + 1;
    if (dayCode < kFirstDayCode) return ProgramMcu(McuDayCode(weekday, hour, minute, now), hour, minute, now);
    // Beyond the second week the board starts on its last day and goes
    // again; any earlier day would only start it sooner for nothing.
    return ProgramMcu(static_cast<uint8_t>(std::min(dayCode, kLastDayCode)), hour, minute, now);
  }
  // The weekday alarm matches the first such weekday and time after now.
  const bool laterToday = hour * kMinutesPerHour + minute > MinuteOfDay(now);
  RtcDayAlarm day;
  if (daysAhead > kDaysPerWeek || (daysAhead == kDaysPerWeek && laterToday)) {
    day.dayOfMonth = ToBcd(ReachableDayOfMonth(now, wakeAt));
  } else {
    day.weekday = weekday;
  }
  return ProgramRtc(day, hour, minute, *os);
}

WakeImage LastWakeImage() { return g_LastWakeImage; }

bool WakeChipAnswers() {
  uint8_t ignored = 0;
  return g_ChipAddress != kNoWakeChip && g_Bus.ReadByteData(ChipAddress(), kProbeRegister, ignored) != 0;
}

bool ReadBackWakeImage(const WakeImage& image) {
  for (std::size_t i = 0; i < image.count; ++i) {
    const WakeRegister& expected = image.registers[i];
    uint8_t value = 0;
    if (g_Bus.ReadByteData(ChipAddress(), expected.reg, value) == 0) return false;
    if ((value & expected.mask) != (expected.value & expected.mask)) return false;
  }
  return true;
}

void ClearWakeTime() {
  if (g_ChipAddress == kNoWakeChip) return;
  if (ChipIsMcu()) {
    WriteChip(mcu::kWakeControl, mcu::kWakeOff);
    return;
  }
  // The clock stays stopped until the next programming sets the time.
  WriteChip(rtc::kControl1, rtc::kStop);
  WriteChip(rtc::kControl2, rtc::kInterruptsOff);
  WriteChip(rtc::kMinuteAlarm, rtc::kAlarmDisabled);
  WriteChip(rtc::kHourAlarm, rtc::kAlarmDisabled);
  WriteChip(rtc::kDayAlarm, rtc::kAlarmDisabled);
  WriteChip(rtc::kWeekdayAlarm, rtc::kAlarmDisabled);
}

bool WakeAlarmFired() {
  if (g_ChipAddress == kNoWakeChip || ChipIsMcu()) return false;
  uint8_t value = 0;
  return g_Bus.ReadByteData(ChipAddress(), rtc::kControl2, value) != 0 && (value & rtc::kAlarmFlag) != 0;
}

void ServiceAlarmFlag() {
  if (g_ChipAddress == kNoWakeChip) return;
  uint8_t value = 0;
  if (ChipIsMcu()) {
    if (g_Bus.ReadByteData(ChipAddress(), mcu::kWakeControl, value) == 0) return;
    if (value == mcu::kWakeOff) WriteChip(mcu::kWakeControl, mcu::kWakeArmed);
    return;
  }
  if (g_Bus.ReadByteData(ChipAddress(), rtc::kControl2, value) == 0) return;
  if ((value & rtc::kAlarmFlag) != 0) WriteChip(rtc::kControl2, rtc::kAlarmInterruptOn);
}

void McuWatchdogStart(CSMBusControl& bus) {
  bus.WriteByteData(kMcuAddress, mcu::kWatchdogTimeout, mcu::kWatchdogSeconds);
  bus.WriteByteData(kMcuAddress, mcu::kWatchdogEnable, 1);
}

void McuWatchdogKick(CSMBusControl& bus) {
  bus.WriteByteData(kMcuAddress, mcu::kWatchdogTimeout, mcu::kWatchdogSeconds);
}

void McuWatchdogStop(CSMBusControl& bus) { bus.WriteByteData(kMcuAddress, mcu::kWatchdogEnable, 0); }

}  // namespace vesk
