#include "hardware/wake_chip.h"

#include "hardware/hardware_globals.h"

namespace vesk {

namespace {

constexpr uint8_t kProbeRegister = 0x00;
constexpr uint8_t kDaysPerWeek = 7;

bool ChipIsMcu() { return g_ChipAddress == kMcuAddress; }
uint8_t ChipAddress() { return static_cast<uint8_t>(g_ChipAddress); }

void WriteChip(uint8_t reg, uint8_t value) { g_Bus.WriteByteData(ChipAddress(), reg, value); }

uint8_t Low(uint16_t value) { return static_cast<uint8_t>(value); }

uint8_t ProgramMcu(uint8_t weekday, uint8_t hour, uint8_t minute, const LocalTime& now) {
  const uint8_t dayCode = McuDayCode(weekday, hour, minute, now);
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
  return dayCode;
}

uint8_t ProgramRtc(uint8_t weekday, uint8_t hour, uint8_t minute, OsServices& os) {
  WriteChip(rtc::kControl1, rtc::kStop);
  WriteChip(rtc::kMinuteAlarm, ToBcd(minute));
  WriteChip(rtc::kHourAlarm, ToBcd(hour));
  WriteChip(rtc::kDayAlarm, rtc::kAlarmDisabled);
  WriteChip(rtc::kWeekdayAlarm, weekday);
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
  return weekday;
}

}  // namespace

uint8_t McuDayCode(uint8_t weekday, uint8_t hour, uint8_t minute, const LocalTime& now) {
  const unsigned today = now.wDayOfWeek;
  const unsigned thisWeek = weekday + 1u;
  const unsigned nextWeek = weekday + 1u + kDaysPerWeek;
  if (weekday > today) return static_cast<uint8_t>(thisWeek);
  if (weekday < today) return static_cast<uint8_t>(nextWeek);
  const unsigned wakeMinuteOfDay = hour * 60u + minute;
  const unsigned nowMinuteOfDay = now.wHour * 60u + now.wMinute;
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
  if (ChipIsMcu()) return ProgramMcu(weekday, hour, minute, os->GetLocalTime());
  return ProgramRtc(weekday, hour, minute, *os);
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
