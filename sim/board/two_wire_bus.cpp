#include "sim/board/two_wire_bus.h"

namespace vesk::sim {

bool BusDevice::ReceiveByte(uint8_t byte, SimTime now, uint8_t& reg) {
  if (awaitingPointer_) {
    pointer_ = static_cast<uint8_t>(byte % kRegisterCount);
    awaitingPointer_ = false;
    return false;
  }
  reg = pointer_;
  WriteRegister(pointer_, byte, now);
  Advance();
  return true;
}

uint8_t BusDevice::SendByte(SimTime now, uint8_t& reg) {
  reg = pointer_;
  const uint8_t value = ReadRegister(pointer_, now);
  Advance();
  return value;
}

void TwoWireBus::SetNoAcknowledge(uint8_t address8, bool on) {
  if (on) {
    noAck_.insert(address8 & 0xFE);
  } else {
    noAck_.erase(address8 & 0xFE);
  }
}

bool TwoWireBus::Start(uint8_t addressAndDirection, SimTime now) {
  const auto address = static_cast<uint8_t>(addressAndDirection & 0xFE);
  const bool read = (addressAndDirection & 0x01) != 0;
  const auto it = devices_.find(address);
  if (it == devices_.end() || noAck_.count(address) > 0) {
    current_ = nullptr;
    observer_({now, AccessKind::BusNoAck, address, 0, 0, 0});
    return false;
  }
  current_ = it->second;
  currentAddress_ = address;
  current_->BeginTransfer(read);
  return true;
}

void TwoWireBus::Write(uint8_t byte, SimTime now) {
  if (current_ == nullptr) return;
  uint8_t reg = 0;
  if (current_->ReceiveByte(byte, now, reg)) {
    observer_({now, AccessKind::BusWrite, currentAddress_, reg, byte, 0});
  }
}

uint8_t TwoWireBus::Read(SimTime now) {
  if (current_ == nullptr) return 0xFF;  // nobody drives the bus: it floats high
  uint8_t reg = 0;
  const uint8_t value = current_->SendByte(now, reg);
  observer_({now, AccessKind::BusRead, currentAddress_, reg, value, 0});
  return value;
}

}  // namespace vesk::sim
