#pragma once
// Keeps the wake-up chip holding the next power-on of the timetable, and
// remembers what was written last so that the periodic refresh can tell
// whether the chip must be written again. A wake-up that changes is read
// back from the chip: a write the chip lost is written once more, and a
// chip that still does not hold it is reported, and tried again at the next
// refresh.
#include <cstdint>
#include <functional>
#include <optional>

#include "hardware/wake_chip.h"
#include "platform/os_services.h"

namespace vesk {

// The wake-up last programmed: the day value written into the chip (RTC:
// weekday 0..6, MCU: day code 1..14), its hour and minute, as the chip's
// clock shows them. Zero at start; only WakeAlarm::Program writes them.
extern uint8_t g_AlarmDay;
extern uint8_t g_AlarmHour;
extern uint8_t g_AlarmMinute;
// Back to zero, as in a freshly started process.
void ResetAlarmGlobals();

// What reading a changed wake-up back found: the chip held it, it held it
// after a second write, or it still did not.
enum class WakeCheck { Ok, Rewritten, Failed };

// The wake-up chip's programming as one process sees it. The main window
// owns the one instance; a new one knows of no earlier wake-up.
class WakeAlarm {
 public:
  using CheckListener = std::function<void(WakeCheck)>;
  // The listener hears every read-back's result (the simulator logs them).
  explicit WakeAlarm(CheckListener onCheck = {}) : onCheck_(std::move(onCheck)) {}

  // Programs the next power-on (a local time: weekday 0..6, hour, minute,
  // and the date where the record carries one) into the chip, on its date
  // where the chip can hold it, in the chip's own time when a change of
  // daylight saving lies before it, and records it. Gives back what the
  // read-back found, or nothing when the chip got the same wake-up
  // registers as at the last good read-back (the micro-controller's clock
  // kept in step) and none was made.
  std::optional<WakeCheck> Program(const LocalTime& powerOn);
  // Whether the periodic refresh must program this next power-on: it
  // differs from the one last programmed, the last read-back failed, or the
  // chip is the micro-controller, whose clock every refresh sets again.
  bool NeedsWrite(const LocalTime& powerOn) const;
  // Switches the chip's wake-up off; the record of what was asked stays.
  void Clear();

 private:
  // The power-on last asked for, in local time.
  struct Request {
    uint16_t year = 0, month = 0, day = 0, weekday = 0, hour = 0, minute = 0;
    explicit Request(const LocalTime& powerOn = {})
        : year(powerOn.wYear), month(powerOn.wMonth), day(powerOn.wDay), weekday(powerOn.wDayOfWeek),
          hour(powerOn.wHour), minute(powerOn.wMinute) {}
    friend bool operator==(const Request&, const Request&) = default;
  };

  WakeCheck Check(const LocalTime& powerOn);

  Request request_;
  // The wake-up registers as the last good read-back found them; none
  // after a clear or a failed read-back.
  std::optional<WakeImage> confirmed_;
  bool lastCheckFailed_ = false;
  CheckListener onCheck_;
};

}  // namespace vesk
