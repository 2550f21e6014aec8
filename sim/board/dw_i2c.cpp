#include "sim/board/dw_i2c.h"

namespace vesk::sim {

uint32_t DwI2cController::Read(uint32_t address, SimTime now) {
  CatchUp(now);
  switch (address - base_) {
    case kIcCon:
      return kConAsFirmwareLeftIt;
    case kIcTar:
      return tar_;
    case kIcDataCmd: {
      if (rx_.empty()) return 0;
      const uint8_t byte = rx_.front();
      rx_.pop_front();
      return byte;
    }
    case kIcRawIntrStat: {
      uint32_t raw = rawExtra_;
      if (abortHeld_) raw |= kIntrTxAbrt;
      if (tx_.empty()) raw |= kIntrTxEmpty;
      if (!rx_.empty()) raw |= kIntrRxFull;
      return raw;
    }
    case kIcClrTxAbrt: {
      const uint32_t was = abortHeld_ ? 1 : 0;
      abortHeld_ = false;
      abortSource_ = 0;
      return was;
    }
    case kIcEnable:
    case kIcEnableStatus:
      return 1;
    case kIcStatus: {
      uint32_t status = 0;
      if (!tx_.empty() || inTransfer_) status |= kStatusActivity;
      if (tx_.size() < kFifoDepth) status |= kStatusTfnf;
      if (tx_.empty()) status |= kStatusTfe;
      if (!rx_.empty()) status |= kStatusRfne;
      if (rx_.size() >= kFifoDepth) status |= kStatusRff;
      return status;
    }
    case kIcTxflr:
      return static_cast<uint32_t>(tx_.size());
    case kIcRxflr:
      return static_cast<uint32_t>(rx_.size());
    case kIcTxAbrtSource:
      return abortSource_;
    case kIcCompType:
      return kCompTypeValue;
    default:
      return 0;
  }
}

void DwI2cController::Write(uint32_t address, uint32_t value, SimTime now) {
  CatchUp(now);
  switch (address - base_) {
    case kIcTar:
      tar_ = value & 0xFFF;
      break;
    case kIcDataCmd:
      if (abortHeld_) break;  // flushed until the abort is cleared
      if (tx_.size() >= kFifoDepth) {
        rawExtra_ |= kIntrTxOver;
        break;
      }
      if (tx_.empty() && cursor_ < now) cursor_ = now;
      tx_.push_back(value & 0x7FF);
      break;
    default:
      break;
  }
}

Microseconds DwI2cController::CommandTime(uint32_t command) const {
  Microseconds time = NeedsAddress(command) ? 2 * kByteTime : kByteTime;
  if ((command & kCmdRead) != 0 && stretchedReads_ > 0) time += readStretch_;
  return time;
}

bool DwI2cController::NeedsAddress(uint32_t command) const {
  const bool read = (command & kCmdRead) != 0;
  return !inTransfer_ || (command & kCmdRestart) != 0 || read != lastWasRead_;
}

void DwI2cController::CatchUp(SimTime now) {
  while (!stuck_ && !tx_.empty()) {
    const uint32_t command = tx_.front();
    const SimTime done = cursor_ + CommandTime(command);
    if (done > now) return;
    cursor_ = done;
    tx_.pop_front();
    if ((command & kCmdRead) != 0 && stretchedReads_ > 0) --stretchedReads_;
    Execute(command, done);
  }
}

void DwI2cController::Execute(uint32_t command, SimTime at) {
  if (injectedAborts_ > 0) {
    --injectedAborts_;
    Abort(kAbrtArbLost);
    return;
  }
  const bool read = (command & kCmdRead) != 0;
  if (NeedsAddress(command)) {
    const auto address = static_cast<uint8_t>(((tar_ & 0x7F) << 1) | (read ? 1 : 0));
    if (!bus_.Start(address, at)) {
      Abort(kAbrt7bAddrNoack);
      return;
    }
    inTransfer_ = true;
    lastWasRead_ = read;
  }
  if (read) {
    const uint8_t byte = bus_.Read(at);
    if (rx_.size() < kFifoDepth) rx_.push_back(byte);
  } else {
    bus_.Write(static_cast<uint8_t>(command & 0xFF), at);
  }
  if ((command & kCmdStop) != 0) {
    bus_.Stop();
    inTransfer_ = false;
  }
}

void DwI2cController::Abort(uint32_t source) {
  abortHeld_ = true;
  abortSource_ |= source;
  tx_.clear();
  if (inTransfer_) bus_.Stop();
  inTransfer_ = false;
}

void DwI2cController::SetTxStuck(bool on, SimTime now) {
  if (stuck_ && !on && cursor_ < now) cursor_ = now;  // the drain resumes from now
  stuck_ = on;
}

void DwI2cController::Reset() {
  tx_.clear();
  rx_.clear();
  inTransfer_ = false;
  abortHeld_ = false;
  abortSource_ = 0;
  rawExtra_ = 0;
}

}  // namespace vesk::sim
