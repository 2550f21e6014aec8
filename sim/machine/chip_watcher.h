#pragma once
// Reads the program's work on the wake-up chip and the watchdogs off the
// board's register accesses, as a logic analyser on the bus would:
//   - the micro-controller (0xC2): register 0 cleared then 8 cleared opens a
//     programming, which register 0 armed closes ("alarm"); register 0
//     cleared alone is the wake-up switched off ("alarm-clear"); register
//     0x0A written is a watchdog feed ("kick"), followed by register 9 set a
//     "start"; register 9 cleared a "stop";
//   - the real-time clock (0xA2, 0xD0): clock stopped, then an enabled
//     minute alarm opens a programming, which the clock's restart closes;
//     clock stopped, then control 2 cleared is the wake-up switched off;
//   - the Super I/O: the watchdog configuration written with its reset
//     output on is a start (or a feed while it runs), without it a stop.
// A register written that belongs to no sequence is left alone. A refresh
// that programs the wake-up the chip already holds is no new event.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "sim/board/access_log.h"

namespace vesk::sim {

class ChipWatcher {
 public:
  using Emit = std::function<void(SimTime at, std::string text)>;
  explicit ChipWatcher(Emit emit) : emit_(std::move(emit)) {}

  void Observe(const BoardAccess& access);
  // The program is idle: a sequence still open can only be what it was so
  // far (a lone clear, a lone feed).
  void Settle();
  // The board lost power or was reset: its watchdogs are off. The chip
  // keeps its wake-up, but the next programming is reported anew.
  void BoardReset();

 private:
  struct Alarm {
    unsigned weekday = 0, hour = 0, minute = 0, day = 0;
    bool operator==(const Alarm&) const = default;
  };
  void McuWrite(const BoardAccess& access);
  void RtcWrite(const BoardAccess& access);
  void SuperIoWrite(const BoardAccess& access);
  void ReportAlarm(SimTime at, const Alarm& alarm);
  void ReportClear(SimTime at);
  void Watchdog(SimTime at, const char* action, const char* kind);

  Emit emit_;
  std::optional<Alarm> held_;  // the wake-up last reported as programmed

  // Micro-controller.
  std::optional<SimTime> mcuClearAt_;    // register 0 cleared, not yet known why
  std::optional<SimTime> mcuFeedAt_;     // register 0x0A written, start or feed
  bool mcuProgramming_ = false;
  Alarm mcuAlarm_;
  bool mcuWatchdogOn_ = false;

  // Real-time clock.
  enum class RtcStep { Idle, Stopped, Programming };
  RtcStep rtcStep_ = RtcStep::Idle;
  Alarm rtcAlarm_;

  // Super I/O.
  uint8_t superIoIndex_ = 0;
  bool superIoWatchdogOn_ = false;
};

}  // namespace vesk::sim
