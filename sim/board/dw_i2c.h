#pragma once
// A Synopsys DesignWare DW_apb_i2c controller in physical memory, as the
// platform firmware leaves it: enabled master, 7-bit addresses, restart
// enabled, standard speed (100 kHz). Commands written to IC_DATA_CMD queue
// in the transmit FIFO and leave it one by one at the pace of the bus. The
// first command of a transfer, one with RESTART, or one that turns the
// direction sends the address in IC_TAR first; when nobody acknowledges
// it, the controller aborts: TX_ABRT is raised, the transmit FIFO is
// flushed and stays flushed until IC_CLR_TX_ABRT is read.
#include <cstdint>
#include <deque>

#include "sim/board/two_wire_bus.h"

namespace vesk::sim {

class DwI2cController {
 public:
  // Register offsets and bits, by their names in the DW_apb_i2c databook.
  static constexpr uint32_t kIcCon = 0x00;
  static constexpr uint32_t kIcTar = 0x04;
  static constexpr uint32_t kIcDataCmd = 0x10;
  static constexpr uint32_t kIcRawIntrStat = 0x34;
  static constexpr uint32_t kIcClrTxAbrt = 0x54;
  static constexpr uint32_t kIcEnable = 0x6C;
  static constexpr uint32_t kIcStatus = 0x70;
  static constexpr uint32_t kIcTxflr = 0x74;
  static constexpr uint32_t kIcRxflr = 0x78;
  static constexpr uint32_t kIcTxAbrtSource = 0x80;
  static constexpr uint32_t kIcEnableStatus = 0x9C;
  static constexpr uint32_t kIcCompType = 0xFC;
  static constexpr uint32_t kRegisterSpan = 0x100;

  static constexpr uint32_t kCmdRead = 1u << 8;
  static constexpr uint32_t kCmdStop = 1u << 9;
  static constexpr uint32_t kCmdRestart = 1u << 10;
  static constexpr uint32_t kIntrRxFull = 1u << 2;
  static constexpr uint32_t kIntrTxOver = 1u << 3;
  static constexpr uint32_t kIntrTxEmpty = 1u << 4;
  static constexpr uint32_t kIntrTxAbrt = 1u << 6;
  static constexpr uint32_t kStatusActivity = 1u << 0;
  static constexpr uint32_t kStatusTfnf = 1u << 1;
  static constexpr uint32_t kStatusTfe = 1u << 2;
  static constexpr uint32_t kStatusRfne = 1u << 3;
  static constexpr uint32_t kStatusRff = 1u << 4;
  static constexpr uint32_t kAbrt7bAddrNoack = 1u << 0;
  static constexpr uint32_t kAbrtArbLost = 1u << 12;
  static constexpr uint32_t kConAsFirmwareLeftIt = 0x63;
  static constexpr uint32_t kCompTypeValue = 0x44570140;
  static constexpr std::size_t kFifoDepth = 8;
  // Nine bit times per byte at 100 kHz; an address costs another byte.
  static constexpr Microseconds kByteTime{90};

  DwI2cController(TwoWireBus& bus, uint32_t base) : bus_(bus), base_(base) {}

  uint32_t Base() const { return base_; }
  bool Claims(uint32_t address) const { return address >= base_ && address - base_ < kRegisterSpan; }
  uint32_t Read(uint32_t address, SimTime now);
  void Write(uint32_t address, uint32_t value, SimTime now);
  // Sends the queued commands whose bus time has passed.
  void CatchUp(SimTime now);

  // Faults: the transmit FIFO stops draining; the next `count` commands
  // abort (arbitration lost) instead of reaching the bus; the target holds
  // the clock low for `stretch` before each of the next `count` bytes it
  // sends, so they land in the receive FIFO that much later.
  void SetTxStuck(bool on, SimTime now);
  void InjectAborts(unsigned count) { injectedAborts_ = count; }
  void StretchReads(unsigned count, Microseconds stretch) {
    stretchedReads_ = count;
    readStretch_ = stretch;
  }
  // Board reset or power loss.
  void Reset();

  std::size_t TxLevel() const { return tx_.size(); }

 private:
  Microseconds CommandTime(uint32_t command) const;
  bool NeedsAddress(uint32_t command) const;
  void Execute(uint32_t command, SimTime at);
  void Abort(uint32_t source);

  TwoWireBus& bus_;
  uint32_t base_;
  uint32_t tar_ = 0;
  std::deque<uint32_t> tx_;
  std::deque<uint8_t> rx_;
  SimTime cursor_{};          // when the command at the head of the FIFO started
  bool inTransfer_ = false;    // between an address phase and the STOP
  bool lastWasRead_ = false;
  bool abortHeld_ = false;     // TX_ABRT raised, FIFO held flushed
  uint32_t abortSource_ = 0;
  uint32_t rawExtra_ = 0;      // latched interrupt bits other than TX_ABRT
  bool stuck_ = false;
  unsigned injectedAborts_ = 0;
  unsigned stretchedReads_ = 0;
  Microseconds readStretch_{0};
};

}  // namespace vesk::sim
