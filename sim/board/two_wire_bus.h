#pragma once
// The board's two-wire bus at the level the devices see it: an address
// phase that a device acknowledges or not, data bytes, and the stop. The
// devices use the SMBus byte-data convention: the first byte after a write
// address sets the register pointer, later bytes are written at the pointer
// and reads return the register at the pointer; the pointer advances after
// each data byte and wraps after register 0x0F.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "sim/board/access_log.h"

namespace vesk::sim {

class BusDevice {
 public:
  virtual ~BusDevice() = default;

  void BeginTransfer(bool read) { awaitingPointer_ = !read; }
  // True when the byte was written into a register (then `reg` names it);
  // false when it set the pointer.
  bool ReceiveByte(uint8_t byte, SimTime now, uint8_t& reg);
  uint8_t SendByte(SimTime now, uint8_t& reg);

  virtual uint8_t ReadRegister(uint8_t reg, SimTime now) = 0;
  virtual void WriteRegister(uint8_t reg, uint8_t value, SimTime now) = 0;

  static constexpr uint8_t kRegisterCount = 16;

 private:
  void Advance() { pointer_ = static_cast<uint8_t>((pointer_ + 1) % kRegisterCount); }
  bool awaitingPointer_ = false;
  uint8_t pointer_ = 0;
};

class TwoWireBus {
 public:
  using Observer = std::function<void(const BoardAccess&)>;
  explicit TwoWireBus(Observer observer) : observer_(std::move(observer)) {}

  void Attach(uint8_t address8, BusDevice& device) { devices_[address8 & 0xFE] = &device; }
  // Fault: the device at this address (present or not) never acknowledges.
  void SetNoAcknowledge(uint8_t address8, bool on);

  // Address phase with bit 0 = read; false when nobody acknowledges.
  bool Start(uint8_t addressAndDirection, SimTime now);
  void Write(uint8_t byte, SimTime now);
  uint8_t Read(SimTime now);
  void Stop() { current_ = nullptr; }

 private:
  Observer observer_;
  std::map<uint8_t, BusDevice*> devices_;
  std::set<uint8_t> noAck_;
  BusDevice* current_ = nullptr;
  uint8_t currentAddress_ = 0;
};

}  // namespace vesk::sim
