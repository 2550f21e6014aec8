#include "sim/board/ite_superio.h"

namespace vesk::sim {

void IteSuperIo::Write(uint16_t port, uint8_t value, SimTime now) {
  if (!configMode_) {
    // Only the exact key, byte after byte on the index port, opens it.
    if (port != kIndexPort) return;
    if (value == kEntryKey[keyProgress_]) {
      if (++keyProgress_ == kEntryKey.size()) {
        configMode_ = true;
        keyProgress_ = 0;
      }
    } else {
      keyProgress_ = value == kEntryKey[0] ? 1 : 0;
    }
    return;
  }
  if (port == kIndexPort) {
    index_ = value;
  } else {
    WriteRegister(index_, value, now);
  }
}

uint8_t IteSuperIo::Read(uint16_t port) const {
  if (!configMode_) return 0xFF;
  return port == kIndexPort ? index_ : ReadRegister(index_);
}

void IteSuperIo::WriteRegister(uint8_t reg, uint8_t value, SimTime now) {
  if (reg == kRegConfigControl) {
    if ((value & kWaitForKey) != 0) configMode_ = false;
    return;
  }
  if (reg == kRegLogicalDevice) {
    logicalDevice_ = value;
    return;
  }
  if (logicalDevice_ != kWatchdogDevice || reg < kFirstWatchdogReg ||
      reg >= kFirstWatchdogReg + watchdogRegs_.size()) {
    return;  // other devices and registers play no part here
  }
  watchdogRegs_[reg - kFirstWatchdogReg] = value;
  if (reg == kRegWdtTimeoutLsb || reg == kRegWdtTimeoutMsb) {
    counting_ = WdtTimeout() != 0;
    countStart_ = now;
  }
}

uint8_t IteSuperIo::ReadRegister(uint8_t reg) const {
  if (reg == kRegChipIdHigh) return static_cast<uint8_t>(kChipId >> 8);
  if (reg == kRegChipIdLow) return static_cast<uint8_t>(kChipId & 0xFF);
  if (reg == kRegLogicalDevice) return logicalDevice_;
  if (logicalDevice_ == kWatchdogDevice && reg >= kFirstWatchdogReg &&
      reg < kFirstWatchdogReg + watchdogRegs_.size()) {
    return watchdogRegs_[reg - kFirstWatchdogReg];
  }
  return 0x00;
}

uint16_t IteSuperIo::WdtTimeout() const {
  return static_cast<uint16_t>((watchdogRegs_[kRegWdtTimeoutMsb - kFirstWatchdogReg] << 8) |
                               watchdogRegs_[kRegWdtTimeoutLsb - kFirstWatchdogReg]);
}

std::optional<SimTime> IteSuperIo::CountEnds() const {
  if (!counting_) return std::nullopt;
  const Microseconds unit = (WdtConfig() & kWdtSeconds) != 0 ? Microseconds{std::chrono::seconds{1}}
                                                             : Microseconds{std::chrono::minutes{1}};
  return countStart_ + unit * WdtTimeout();
}

void IteSuperIo::Reset() {
  keyProgress_ = 0;
  configMode_ = false;
  index_ = 0;
  logicalDevice_ = 0;
  watchdogRegs_.fill(0);
  counting_ = false;
}

}  // namespace vesk::sim
