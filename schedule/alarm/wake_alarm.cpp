#include "schedule/alarm/wake_alarm.h"

#include "hardware/hardware_globals.h"
#include "hardware/wake_chip.h"
#include "platform/calendar.h"
#include "schedule/alarm/chip_time.h"

namespace vesk {

uint8_t g_AlarmDay = 0;
uint8_t g_AlarmHour = 0;
uint8_t g_AlarmMinute = 0;

namespace {

// The power-on last asked for, in local time.
struct Request {
  uint16_t year = 0, month = 0, day = 0, weekday = 0, hour = 0, minute = 0;
  explicit Request(const LocalTime& powerOn = {})
      : year(powerOn.wYear), month(powerOn.wMonth), day(powerOn.wDay), weekday(powerOn.wDayOfWeek),
        hour(powerOn.wHour), minute(powerOn.wMinute) {}
  friend bool operator==(const Request&, const Request&) = default;
};
Request g_Request;
// The wake-up registers as the last good read-back found them; none after a
// clear or a failed read-back.
std::optional<WakeImage> g_Confirmed;
bool g_LastCheckFailed = false;
std::function<void(WakeCheck)> g_Listener;

uint8_t Program(const LocalTime& powerOn) {
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

WakeCheck Check(const LocalTime& powerOn) {
  if (ReadBackWakeImage(LastWakeImage())) return WakeCheck::Ok;
  g_AlarmDay = Program(powerOn);
  return ReadBackWakeImage(LastWakeImage()) ? WakeCheck::Rewritten : WakeCheck::Failed;
}

}  // namespace

std::optional<WakeCheck> ProgramWakeAlarm(const LocalTime& powerOn) {
  g_Request = Request{powerOn};
  g_AlarmDay = Program(powerOn);
  if (g_ChipAddress == kNoWakeChip) return std::nullopt;
  // The same registers as at the last good read-back need no other, as long
  // as the chip still answers at all.
  if (g_Confirmed && *g_Confirmed == LastWakeImage() && WakeChipAnswers()) return std::nullopt;

  const WakeCheck result = Check(powerOn);
  g_LastCheckFailed = result == WakeCheck::Failed;
  g_Confirmed = g_LastCheckFailed ? std::nullopt : std::optional<WakeImage>(LastWakeImage());
  if (g_Listener) g_Listener(result);
  return result;
}

bool WakeAlarmNeedsWrite(const LocalTime& powerOn) {
  return g_LastCheckFailed || g_ChipAddress == kMcuAddress || !(g_Request == Request{powerOn});
}

void ClearWakeAlarm() {
  ClearWakeTime();
  g_Confirmed.reset();
}

void ResetWakeAlarmRecord() {
  g_AlarmDay = 0;
  g_AlarmHour = 0;
  g_AlarmMinute = 0;
  g_Request = Request{};
  g_Confirmed.reset();
  g_LastCheckFailed = false;
}

void SetWakeCheckListener(std::function<void(WakeCheck)> listener) { g_Listener = std::move(listener); }

}  // namespace vesk
