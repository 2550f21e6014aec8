#pragma once
// The transfer-level face of the hardware: whole SMBus byte-data transfers
// and Super I/O port and register writes, carried out by a driver that owns
// the controller itself (the signed PawnIO modules) rather than by our own
// register steps through the port library. The bus driver and the Super I/O
// watchdog hand each of their transfers to it when the driver offers one, so
// every lock those transfers take covers both ways to the hardware.
#include <cstdint>

namespace vesk {

class BusTransfers {
 public:
  virtual ~BusTransfers() = default;

  // SMBus byte data to the device at a 7-bit address. A transfer the host
  // flagged (no acknowledge, collision, time-out) is false; a failed read
  // leaves the byte alone.
  virtual bool SmbusWriteByteData(uint8_t address7, uint8_t reg, uint8_t value) = 0;
  virtual bool SmbusReadByteData(uint8_t address7, uint8_t reg, uint8_t& value) = 0;

  // The Super I/O at its configuration ports 0x2E/0x2F: a byte to the index
  // port (the entry key), and a register written as index then data.
  virtual bool SuperIoWriteIndexPort(uint8_t value) = 0;
  virtual bool SuperIoWriteRegister(uint8_t reg, uint8_t value) = 0;
};

}  // namespace vesk
