#include "schedule/alarm/wake_alarm.h"

#include "hardware/hardware_globals.h"
#include "platform/calendar.h"
#include "schedule/alarm/chip_time.h"

namespace vesk {

uint8_t g_AlarmDay = 0;
uint8_t g_AlarmHour = 0;
uint8_t g_AlarmMinute = 0;

void ResetAlarmGlobals() {
  g_AlarmDay = 0;
  g_AlarmHour = 0;
  g_AlarmMinute = 0;
}

namespace {

// Writes the wake-up registers and the hour and minute globals; gives back
// the day value written.
uint8_t WriteChip(const LocalTime& powerOn) {
  const auto weekday = static_cast<uint8_t>(powerOn.wDayOfWeek);
  const auto hour = static_cast<uint8_t>(powerOn.wHour);
  const auto minute = static_cast<uint8_t>(powerOn.wMinute);
  OsServices* os = g_Bus.Os();
  // A time that is no time of day (a stored period end past midnight) goes
  // to the chip as it stands.
  if (os == nullptr || hour >= kHoursPerDay || minute >= kMinutesPerHour) {
    g_AlarmHour = hour;
    g_AlarmMinute = minute;
    return ProgramWakeTime(weekday, hour, minute);
  }
  const LocalTime wakeAt = WakeInChipTime(*os, powerOn);
  g_AlarmHour = static_cast<uint8_t>(wakeAt.wHour);
  g_AlarmMinute = static_cast<uint8_t>(wakeAt.wMinute);
  return ProgramWakeTime(wakeAt);
}

}  // namespace

WakeCheck WakeAlarm::Check(const LocalTime& powerOn) {
  if (ReadBackWakeImage(LastWakeImage())) return WakeCheck::Ok;
  g_AlarmDay = WriteChip(powerOn);
  return ReadBackWakeImage(LastWakeImage()) ? WakeCheck::Rewritten : WakeCheck::Failed;
}

std::optional<WakeCheck> WakeAlarm::Program(const LocalTime& powerOn) {
  request_ = Request{powerOn};
  g_AlarmDay = WriteChip(powerOn);
  if (g_ChipAddress == kNoWakeChip) return std::nullopt;
  // The same registers as at the last good read-back need no other, as long
  // as the chip still answers at all.
  if (confirmed_ && *confirmed_ == LastWakeImage() && WakeChipAnswers()) return std::nullopt;

  const WakeCheck result = Check(powerOn);
  lastCheckFailed_ = result == WakeCheck::Failed;
  confirmed_ = lastCheckFailed_ ? std::nullopt : std::optional<WakeImage>(LastWakeImage());
  if (onCheck_) onCheck_(result);
  return result;
}

bool WakeAlarm::NeedsWrite(const LocalTime& powerOn) const {
  return lastCheckFailed_ || g_ChipAddress == kMcuAddress || !(request_ == Request{powerOn});
}

void WakeAlarm::Clear() {
  ClearWakeTime();
  confirmed_.reset();
}

}  // namespace vesk
