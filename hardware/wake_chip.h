#pragma once
// The wake-up chip on the two-wire bus that switches the board on at the
// programmed time: a micro-controller (MCU) at 0xC2, or a real-time clock
// with the NXP PCF8563 register layout at 0xA2 or 0xD0. Every operation
// works on g_Bus and g_ChipAddress; the MCU layout is used when the chip is
// at 0xC2, the RTC layout otherwise.
#include <array>
#include <cstddef>
#include <cstdint>

#include "hardware/smbus_control.h"
#include "platform/os_services.h"

namespace vesk {

inline constexpr uint32_t kNoWakeChip = 0;
inline constexpr uint32_t kMcuAddress = 0xC2;
inline constexpr uint32_t kRtcAddressA2 = 0xA2;
inline constexpr uint32_t kRtcAddressD0 = 0xD0;

// Micro-controller registers.
namespace mcu {
inline constexpr uint8_t kWakeControl = 0x00;  // 0 = wake-up off, 1 = armed
inline constexpr uint8_t kWeekday = 0x01;      // current weekday + 1
inline constexpr uint8_t kHour = 0x02;
inline constexpr uint8_t kMinute = 0x03;
inline constexpr uint8_t kSecond = 0x04;
inline constexpr uint8_t kWakeDayCode = 0x05;  // 1..7 this week, 8..14 next week
inline constexpr uint8_t kWakeHour = 0x06;
inline constexpr uint8_t kWakeMinute = 0x07;
inline constexpr uint8_t kCleared = 0x08;      // written 0 when programming
inline constexpr uint8_t kWatchdogEnable = 0x09;
inline constexpr uint8_t kWatchdogTimeout = 0x0A;
inline constexpr uint8_t kWakeOff = 0;
inline constexpr uint8_t kWakeArmed = 1;
inline constexpr uint8_t kWatchdogSeconds = 60;
}  // namespace mcu

// PCF8563 real-time clock registers.
namespace rtc {
inline constexpr uint8_t kControl1 = 0x00;       // Control_status_1
inline constexpr uint8_t kControl2 = 0x01;       // Control_status_2
inline constexpr uint8_t kSeconds = 0x02;        // VL_seconds
inline constexpr uint8_t kMinutes = 0x03;
inline constexpr uint8_t kHours = 0x04;
inline constexpr uint8_t kDays = 0x05;
inline constexpr uint8_t kWeekdays = 0x06;
inline constexpr uint8_t kMonths = 0x07;         // Century_months
inline constexpr uint8_t kYears = 0x08;
inline constexpr uint8_t kMinuteAlarm = 0x09;
inline constexpr uint8_t kHourAlarm = 0x0A;
inline constexpr uint8_t kDayAlarm = 0x0B;
inline constexpr uint8_t kWeekdayAlarm = 0x0C;
inline constexpr uint8_t kStop = 0x20;           // Control_status_1: clock stopped
inline constexpr uint8_t kClockRuns = 0x00;
inline constexpr uint8_t kAlarmFlag = 0x08;      // Control_status_2: AF
inline constexpr uint8_t kAlarmInterruptOn = 0x02;  // AIE set, AF cleared, timer off
inline constexpr uint8_t kInterruptsOff = 0x00;
inline constexpr uint8_t kAlarmDisabled = 0x80;  // AE bit of an alarm register
}  // namespace rtc

// Packed decimal: tens in the high nibble (59 -> 0x59), for 0..99.
constexpr uint8_t ToBcd(unsigned value) {
  return static_cast<uint8_t>((value / 10) * 16 + value % 10);
}

// The MCU's wake-up day code for a power-on at (weekday, hour, minute) seen
// from the local time `now`: weekday + 1 when it falls later in the current
// week, weekday + 8 when it falls in the next one. A power-on at the very
// current minute is a week away, so it gets weekday + 8.
uint8_t McuDayCode(uint8_t weekday, uint8_t hour, uint8_t minute, const LocalTime& now);

// Reads register 0 at 0xC2, then 0xA2, then 0xD0; the first that answers
// is the chip. kNoWakeChip when none does.
uint32_t DetectWakeChip();
// Writes the wake-up time and the current local time into the chip; gives
// back the day value written (RTC: the weekday, MCU: the day code).
uint8_t ProgramWakeTime(uint8_t weekday, uint8_t hour, uint8_t minute);
// The same for a wake-up given as the date and time the chip's own clock
// will show then (seconds ignored), which may lie up to two weeks ahead:
// the MCU's day code counts the days from the current local date; the RTC
// takes it on the weekday alarm, or on the day-of-month alarm when the
// weekday would match too early (more than a week ahead). A wake-up beyond
// the MCU's second week gets the nearest day code it can hold.
uint8_t ProgramWakeTime(const LocalTime& wakeAt);

// The wake-up registers as the last programming meant to leave them: the
// wake-up time and the bit that arms it.
struct WakeRegister {
  uint8_t reg = 0;
  uint8_t value = 0;
  uint8_t mask = 0xFF;  // the bits that must read back as written
  friend bool operator==(const WakeRegister&, const WakeRegister&) = default;
};
struct WakeImage {
  std::array<WakeRegister, 5> registers{};
  std::size_t count = 0;
  friend bool operator==(const WakeImage&, const WakeImage&) = default;
};
WakeImage LastWakeImage();
// Reads the image's registers back from the chip, stopping at the first
// that differs; true when all hold their values. A failed read is a
// difference.
bool ReadBackWakeImage(const WakeImage& image);

// One read of the chip's first register: whether it still answers (the
// SMBus host does not report a write nobody acknowledged).
bool WakeChipAnswers();

// Switches the wake-up off.
void ClearWakeTime();
// True when the real-time clock's alarm flag is set: its wake-up fired and
// nobody has serviced it since, so it is what switched the board on. The
// micro-controller keeps no such trace; false for it and on a failed read.
bool WakeAlarmFired();
// Re-arms the chip after its wake-up fired; does nothing when the read fails.
void ServiceAlarmFlag();

// The MCU's own watchdog, always at 0xC2 whatever chip was found.
void McuWatchdogStart(CSMBusControl& bus);
void McuWatchdogKick(CSMBusControl& bus);
void McuWatchdogStop(CSMBusControl& bus);

}  // namespace vesk
