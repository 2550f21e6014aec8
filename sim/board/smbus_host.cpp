#include "sim/board/smbus_host.h"

namespace vesk::sim {

uint8_t SmbusHost::Read(uint16_t port, SimTime now) {
  CatchUp(now);
  switch (port - base_) {
    case kSmbHstSts:
      return static_cast<uint8_t>(status_ | ((busyUntil_ || stuckBusy_) ? kHostBusy : 0));
    case kSmbHstCnt:
      return static_cast<uint8_t>(control_ & ~kStart);
    case kSmbHstCmd:
      return command_;
    case kSmbHstAdd:
      return address_;
    case kSmbHstDat0:
      return data0_;
    case kSmbHstDat1:
      return data1_;
    default:
      return 0x00;
  }
}

void SmbusHost::Write(uint16_t port, uint8_t value, SimTime now) {
  CatchUp(now);
  switch (port - base_) {
    case kSmbHstSts:
      status_ = static_cast<uint8_t>(status_ & ~(value & ~kHostBusy));
      break;
    case kSmbHstCnt:
      control_ = value;
      if ((value & kStart) != 0 && !busyUntil_) {
        const bool read = (address_ & 0x01) != 0;
        busyUntil_ = now + kBitTime * (read ? kReadBits : kWriteBits);
      }
      break;
    case kSmbHstCmd:
      command_ = value;
      break;
    case kSmbHstAdd:
      address_ = value;
      break;
    case kSmbHstDat0:
      data0_ = value;
      break;
    case kSmbHstDat1:
      data1_ = value;
      break;
    default:
      break;
  }
}

void SmbusHost::CatchUp(SimTime now) {
  if (!busyUntil_ || stuckBusy_ || now < *busyUntil_) return;
  const SimTime at = *busyUntil_;
  busyUntil_.reset();
  Finish(at);
}

void SmbusHost::Finish(SimTime at) {
  if ((control_ & kCommandMask) != kCommandByteData) {
    status_ |= kFailed;
    return;
  }
  const auto device = static_cast<uint8_t>(address_ & 0xFE);
  const bool read = (address_ & 0x01) != 0;
  if (!bus_.Start(device, at)) {
    bus_.Stop();
    status_ |= kDevErr;
    return;
  }
  bus_.Write(command_, at);
  if (read) {
    bus_.Start(static_cast<uint8_t>(device | 0x01), at);  // repeated start
    data0_ = bus_.Read(at);
  } else {
    bus_.Write(data0_, at);
  }
  bus_.Stop();
  status_ |= kIntr;
}

void SmbusHost::Reset() {
  status_ = control_ = command_ = address_ = data0_ = data1_ = 0;
  busyUntil_.reset();
}

}  // namespace vesk::sim
