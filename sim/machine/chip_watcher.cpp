#include "sim/machine/chip_watcher.h"

#include "hardware/wake_chip.h"
#include "platform/calendar.h"
#include "sim/board/ite_superio.h"

namespace vesk::sim {

namespace {

unsigned FromBcd(uint32_t value) { return ((value >> 4) & 0x0F) * 10 + (value & 0x0F); }


}  // namespace

void ChipWatcher::Observe(const BoardAccess& access) {
  if (access.kind == AccessKind::BusWrite) {
    if (access.address == kMcuAddress) {
      McuWrite(access);
    } else if (access.address == kRtcAddressA2 || access.address == kRtcAddressD0) {
      RtcWrite(access);
    }
  } else if (access.kind == AccessKind::PortWrite && access.width == 1) {
    SuperIoWrite(access);
  }
}

void ChipWatcher::Settle() {
  if (mcuClearAt_) ReportClear(*mcuClearAt_);
  if (mcuFeedAt_) Watchdog(*mcuFeedAt_, "kick", "mcu");
  mcuClearAt_.reset();
  mcuFeedAt_.reset();
}

void ChipWatcher::BoardReset() {
  Settle();
  mcuWatchdogOn_ = false;
  superIoWatchdogOn_ = false;
  mcuProgramming_ = false;
  rtcStep_ = RtcStep::Idle;
  held_.reset();
}

void ChipWatcher::ReportAlarm(SimTime at, const Alarm& alarm) {
  if (held_ == alarm) return;
  held_ = alarm;
  emit_(at, "alarm weekday=" + std::to_string(alarm.weekday) + " hour=" + std::to_string(alarm.hour) +
                " minute=" + std::to_string(alarm.minute) + " day=" + std::to_string(alarm.day));
}

void ChipWatcher::ReportClear(SimTime at) {
  held_.reset();
  emit_(at, "alarm-clear");
}

void ChipWatcher::Watchdog(SimTime at, const char* action, const char* kind) {
  emit_(at, std::string("watchdog action=") + action + " kind=" + kind);
}

void ChipWatcher::McuWrite(const BoardAccess& access) {
  const auto reg = static_cast<uint8_t>(access.reg);
  const uint32_t value = access.value;
  // Whatever follows a feed or a clear tells what it was.
  if (mcuFeedAt_) {
    const bool start = reg == mcu::kWatchdogEnable && value != 0;
    Watchdog(start ? access.at : *mcuFeedAt_, start ? "start" : "kick", "mcu");
    mcuFeedAt_.reset();
    if (start) {
      mcuWatchdogOn_ = true;
      return;
    }
  }
  if (mcuClearAt_) {
    const SimTime clearedAt = *mcuClearAt_;
    mcuClearAt_.reset();
    if (reg == mcu::kCleared) {
      mcuProgramming_ = true;
      return;
    }
    ReportClear(clearedAt);
  }

  switch (reg) {
    case mcu::kWakeControl:
      if (value == mcu::kWakeOff) {
        mcuProgramming_ = false;
        mcuClearAt_ = access.at;
      } else if (mcuProgramming_) {
        mcuProgramming_ = false;
        // Day codes 1..7 are this week's weekday + 1, 8..14 next week's + 8.
        mcuAlarm_.weekday = (mcuAlarm_.day + kDaysPerWeek - 1) % kDaysPerWeek;
        ReportAlarm(access.at, mcuAlarm_);
      }
      break;
    case mcu::kWakeDayCode: mcuAlarm_.day = value; break;
    case mcu::kWakeHour: mcuAlarm_.hour = value; break;
    case mcu::kWakeMinute: mcuAlarm_.minute = value; break;
    case mcu::kWatchdogTimeout: mcuFeedAt_ = access.at; break;
    case mcu::kWatchdogEnable:
      if (value == 0) {
        Watchdog(access.at, "stop", "mcu");
        mcuWatchdogOn_ = false;
      } else if (!mcuWatchdogOn_) {
        Watchdog(access.at, "start", "mcu");
        mcuWatchdogOn_ = true;
      }
      break;
    default: break;
  }
}

void ChipWatcher::RtcWrite(const BoardAccess& access) {
  const auto reg = static_cast<uint8_t>(access.reg);
  const uint32_t value = access.value;
  switch (reg) {
    case rtc::kControl1:
      if (value == rtc::kStop) {
        rtcStep_ = RtcStep::Stopped;
      } else if (value == rtc::kClockRuns && rtcStep_ == RtcStep::Programming) {
        rtcStep_ = RtcStep::Idle;
        ReportAlarm(access.at, rtcAlarm_);
      }
      break;
    case rtc::kControl2:
      if (value == rtc::kInterruptsOff && rtcStep_ == RtcStep::Stopped) {
        rtcStep_ = RtcStep::Idle;
        ReportClear(access.at);
      }
      break;
    case rtc::kMinuteAlarm:
      if (rtcStep_ == RtcStep::Stopped && (value & rtc::kAlarmDisabled) == 0) {
        rtcStep_ = RtcStep::Programming;
        rtcAlarm_.minute = FromBcd(value);
      }
      break;
    case rtc::kHourAlarm:
      if (rtcStep_ == RtcStep::Programming) rtcAlarm_.hour = FromBcd(value & 0x3F);
      break;
    case rtc::kWeekdayAlarm:
      if (rtcStep_ == RtcStep::Programming) {
        rtcAlarm_.weekday = value & 0x07;
        rtcAlarm_.day = value;
      }
      break;
    default: break;
  }
}

void ChipWatcher::SuperIoWrite(const BoardAccess& access) {
  if (access.address == IteSuperIo::kIndexPort) {
    superIoIndex_ = static_cast<uint8_t>(access.value);
    return;
  }
  if (access.address != IteSuperIo::kDataPort || superIoIndex_ != IteSuperIo::kRegWdtConfig) return;
  if ((access.value & IteSuperIo::kWdtKrst) != 0) {
    Watchdog(access.at, superIoWatchdogOn_ ? "kick" : "start", "superio");
    superIoWatchdogOn_ = true;
  } else {
    Watchdog(access.at, "stop", "superio");
    superIoWatchdogOn_ = false;
  }
}

}  // namespace vesk::sim
