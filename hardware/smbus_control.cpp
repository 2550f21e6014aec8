#include "hardware/smbus_control.h"

#include "hardware/bus_lock.h"

namespace vesk {

uint32_t CSMBusControl::mI2CBaseAddress = 0;

namespace {

// Host bridge vendors and the SMBus I/O bases that go with them.
constexpr uint32_t kVendorAmd = 0x1022;
constexpr uint32_t kVendorNvidia = 0x10DE;
constexpr uint32_t kVendorIntel = 0x8086;
constexpr uint16_t kAmdSmbusBase = 0x0B20;
constexpr uint16_t kNvidiaSmbusBase = 0x0400;

// PCI classes searched on Intel boards, and the devices that decide the mode.
constexpr uint8_t kClassBridge = 0x06, kSubClassIsaBridge = 0x01;
constexpr uint8_t kClassSerialBus = 0x0C, kSubClassSmbus = 0x05;
constexpr uint8_t kProgramIfNone = 0x00;
constexpr uint8_t kSearchFirst = 0;
constexpr uint16_t kLpcBridgeWithI2c = 0x229C;
constexpr uint16_t kSmbusControllerOfThatBridge = 0x2292;
constexpr uint8_t kPciIdRegister = 0x00;  // vendor ID low, device ID high
constexpr uint32_t kSmbusBaseRegister = 0x20;
constexpr uint32_t kSmbusBaseMask = 0xFFF0;

// PIIX4-compatible SMBus host registers (offsets from the I/O base).
constexpr uint16_t kSmbHstSts = 0x00;  // host status
constexpr uint16_t kSmbHstCnt = 0x02;  // host control
constexpr uint16_t kSmbHstCmd = 0x03;  // host command: the register index
constexpr uint16_t kSmbHstAdd = 0x04;  // transmit slave address, bit 0 = read
constexpr uint16_t kSmbHstDat0 = 0x05; // host data 0
constexpr uint8_t kStsHostBusy = 0x01;
constexpr uint8_t kStsErrors = 0x1C;   // device error, bus collision, failed
constexpr uint8_t kStsClearAll = 0xFE; // every status bit but host busy
constexpr uint8_t kCntStart = 0x40;
constexpr uint8_t kCntByteData = 0x08; // command bits 4..2 = 010b
constexpr uint8_t kAddressRead = 0x01;
// The devices get the same 10 ms after every transfer on either way to the
// host: the micro-controller's firmware is not ours, and its pace is the
// one it has always been given.
constexpr uint32_t kSmbusSettleMs = 10;

// DesignWare DW_apb_i2c registers (offsets from mI2CBaseAddress).
constexpr uint32_t kIcTar = 0x04;
constexpr uint32_t kIcDataCmd = 0x10;
constexpr uint32_t kIcRawIntrStat = 0x34;
constexpr uint32_t kIcClrTxAbrt = 0x54;
constexpr uint32_t kIcStatus = 0x70;
constexpr uint32_t kIcTxflr = 0x74;
constexpr uint32_t kTarAddressMask = 0x7F;
constexpr uint32_t kDataCmdRead = 0x100;
constexpr uint32_t kDataCmdStop = 0x200;
constexpr uint32_t kDataCmdRestart = 0x400;
constexpr uint32_t kRawIntrTxAbrt = 1u << 6;
constexpr uint32_t kStatusTfnf = 1u << 1;  // transmit FIFO not full
constexpr uint32_t kStatusRfne = 1u << 3;  // receive FIFO not empty
constexpr uint32_t kTxflrMask = 0xFFFF;
constexpr uint32_t kI2cStepMicroseconds = 300;
constexpr uint32_t kI2cShortWaitMicroseconds = 10;
constexpr uint32_t kReadSlotWaitLimit = 100'000;  // 1 s of 10 us waits
// The deepest receive FIFO the controller can be built with: a drain that
// reads this many bytes has emptied any of them.
constexpr uint32_t kRxFifoDrainLimit = 256;

}  // namespace

// --- probe and Init ---

int CSMBusControl::Init() {
  if (Transfers() != nullptr) {
    // The module that carries the transfers found its controller itself:
    // an SMBus host, and no ports of ours to probe or ready.
    mMode = kControllerModeSmbus;
    mI2CBaseAddress = kI2cControllerBase;
    return static_cast<int>(mMode);
  }
  mMode = static_cast<uint32_t>(Probe());
  if (mMode == kControllerModeSmbus && SmbusReady()) {
    const BusLock lock(*os_, SharedBus::Smbus);
    if (lock.Usable()) {
      WriteHost(kSmbHstSts, kStsClearAll);
      WaitHostIdle();
    }
  }
  mI2CBaseAddress = kI2cControllerBase;
  return static_cast<int>(mMode);
}

int CSMBusControl::Probe() {
  if (driver_ == nullptr || os_ == nullptr) return kControllerModeSmbus;
  mHostVendor = ReadConfigLowWord(*driver_, *os_, ConfigMechanismAddress(0, 0, 0, kPciIdRegister),
                                  ConfigDataRead::Word);
  switch (mHostVendor) {
    case kVendorAmd:
      mSmbusBase = kAmdSmbusBase;
      return kControllerModeSmbus;
    case kVendorNvidia:
      mSmbusBase = kNvidiaSmbusBase;
      return kControllerModeSmbus;
    case kVendorIntel:
      break;
    default:
      // An unknown chipset: the base stays unset and every transfer fails.
      return kControllerModeSmbus;
  }

  SearchClass(kClassBridge, kSubClassIsaBridge, kProgramIfNone);
  if (StoredDeviceId() == kLpcBridgeWithI2c) {
    SearchClass(kClassSerialBus, kSubClassSmbus, kProgramIfNone);
    // With no SMBus controller the stored device is still the bridge, so
    // that case lands here too.
    if (StoredDeviceId() != kSmbusControllerOfThatBridge) return kControllerModeI2c;
  }
  if (!SearchClass(kClassSerialBus, kSubClassSmbus, kProgramIfNone)) {
    // No SMBus controller: register 0x20 of whatever device was found last
    // is no SMBus base, so the base stays unset and every transfer fails.
    return kControllerModeSmbus;
  }
  mSmbusLocation = SmbusPciLocation{ConfigMechanismAddress(mBus, mDevice, mFunction, 0),
                                    kSmbusBaseRegister, kSmbusBaseMask};
  const uint16_t base = ReadConfigLowWord(
      *driver_, *os_, mSmbusLocation->configAddress + mSmbusLocation->baseRegister, ConfigDataRead::Dword);
  mSmbusBase = static_cast<uint16_t>(base & mSmbusLocation->baseMask);
  return kControllerModeSmbus;
}

bool CSMBusControl::SearchClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf) {
  const BusLock lock(*os_, SharedBus::Pci);
  const uint32_t found = lock.Usable()
                             ? driver_->FindPciDeviceByClass(baseClass, subClass, programIf, kSearchFirst)
                             : kPciNoDevice;
  if (found == kPciNoDevice) return false;  // the previous bus/device/function stay
  mBus = PciBusOf(found);
  mDevice = PciDeviceOf(found);
  mFunction = PciFunctionOf(found);
  return true;
}

uint16_t CSMBusControl::StoredDeviceId() {
  const BusLock lock(*os_, SharedBus::Pci);
  if (!lock.Usable()) return 0xFFFF;  // what an absent device answers
  const uint32_t id =
      driver_->ReadPciConfigDword(LibraryPciAddress(mBus, mDevice, mFunction), kPciIdRegister);
  return static_cast<uint16_t>(id >> 16);
}

// --- the two byte operations ---

BusTransfers* CSMBusControl::Transfers() const { return driver_ != nullptr ? driver_->Transfers() : nullptr; }

int CSMBusControl::WriteByteData(uint8_t address, uint8_t reg, uint8_t value) {
  if (driver_ == nullptr || os_ == nullptr) return 0;
  if (mMode == kControllerModeI2c) {
    const auto address7 = static_cast<uint8_t>(address >> 1);
    if (I2CWriteByte(address7, reg, true, false) == 0) return 0;
    return I2CWriteByte(address7, value, false, true);
  }
  const BusLock lock(*os_, SharedBus::Smbus);
  if (!lock.Usable()) return 0;
  if (BusTransfers* transfers = Transfers()) {
    const bool done = transfers->SmbusWriteByteData(static_cast<uint8_t>(address >> 1), reg, value);
    os_->Sleep(kSmbusSettleMs);
    return done ? 1 : 0;
  }
  return SmbusWrite(address, reg, value);
}

int CSMBusControl::ReadByteData(uint8_t address, uint8_t reg, uint8_t& value) {
  if (driver_ == nullptr || os_ == nullptr) return 0;
  if (mMode == kControllerModeI2c) {
    const auto address7 = static_cast<uint8_t>(address >> 1);
    if (I2CWriteByte(address7, reg, true, false) == 0) return 0;
    return I2CReadByte(value);
  }
  const BusLock lock(*os_, SharedBus::Smbus);
  if (!lock.Usable()) return 0;
  if (BusTransfers* transfers = Transfers()) {
    const bool done = transfers->SmbusReadByteData(static_cast<uint8_t>(address >> 1), reg, value);
    os_->Sleep(kSmbusSettleMs);
    return done ? 1 : 0;
  }
  return SmbusRead(address, reg, value);
}

// --- SMBus mode ---

bool CSMBusControl::SmbusReady() const { return driver_ != nullptr && mSmbusBase != 0; }

uint8_t CSMBusControl::ReadHost(uint16_t offset) {
  uint8_t value = 0xFF;
  driver_->ReadIoPortByteEx(static_cast<uint16_t>(mSmbusBase + offset), value);
  return value;
}

void CSMBusControl::WriteHost(uint16_t offset, uint8_t value) {
  driver_->WriteIoPortByte(static_cast<uint16_t>(mSmbusBase + offset), value);
}

bool CSMBusControl::WaitHostIdle() {
  for (uint32_t poll = 0; poll < kHostBusyPollLimit; ++poll) {
    if ((ReadHost(kSmbHstSts) & kStsHostBusy) == 0) return true;
    os_->DelayMicroseconds(kHostBusyPollMicroseconds);
  }
  return false;
}

int CSMBusControl::SmbusWrite(uint8_t address, uint8_t reg, uint8_t value) {
  if (!SmbusReady()) return 0;
  if (!WaitHostIdle()) return 0;
  WriteHost(kSmbHstSts, kStsClearAll);
  WriteHost(kSmbHstAdd, static_cast<uint8_t>(address & ~kAddressRead));
  if (!WaitHostIdle()) return 0;
  WriteHost(kSmbHstCmd, reg);
  if (!WaitHostIdle()) return 0;
  WriteHost(kSmbHstDat0, value);
  if (!WaitHostIdle()) return 0;
  WriteHost(kSmbHstCnt, kCntStart | kCntByteData);
  if (!WaitHostIdle()) return 0;
  // A device that did not acknowledge (or a lost bus) shows only here: the
  // write did not happen and must not be reported as done.
  const bool failed = (ReadHost(kSmbHstSts) & kStsErrors) != 0;
  os_->Sleep(kSmbusSettleMs);
  return failed ? 0 : 1;
}

int CSMBusControl::SmbusRead(uint8_t address, uint8_t reg, uint8_t& value) {
  if (!SmbusReady()) return 0;
  if (!WaitHostIdle()) return 0;
  WriteHost(kSmbHstSts, kStsClearAll);
  WriteHost(kSmbHstAdd, static_cast<uint8_t>(address | kAddressRead));
  WriteHost(kSmbHstCmd, reg);
  WriteHost(kSmbHstCnt, kCntStart | kCntByteData);
  if (!WaitHostIdle()) return 0;
  os_->Sleep(kSmbusSettleMs);
  // The status first: after a failed transfer the data register still holds
  // an earlier transfer's byte, which must not reach the caller.
  if ((ReadHost(kSmbHstSts) & kStsErrors) != 0) return 0;
  value = ReadHost(kSmbHstDat0);
  return 1;
}

// --- I2C mode ---

uint32_t CSMBusControl::ReadI2c(uint32_t offset) { return MmioRead32(*driver_, mI2CBaseAddress + offset); }

void CSMBusControl::WriteI2c(uint32_t offset, uint32_t value) {
  MmioWrite32(*driver_, mI2CBaseAddress + offset, value);
}

void CSMBusControl::DelayMicroseconds(uint32_t microseconds) { os_->DelayMicroseconds(microseconds); }

bool CSMBusControl::TransmitAborted() {
  if ((ReadI2c(kIcRawIntrStat) & kRawIntrTxAbrt) == 0) return false;
  ReadI2c(kIcClrTxAbrt);  // reading it clears the abort
  return true;
}

int CSMBusControl::I2CSetTarget(uint8_t address7) {
  WriteI2c(kIcTar, address7 & kTarAddressMask);
  return 1;
}

int CSMBusControl::I2CWriteByte(uint8_t address7, uint8_t byte, bool restart, bool stop) {
  int result = 1;
  I2CSetTarget(address7);
  for (uint32_t pass = 0;; ++pass) {
    const uint32_t status = ReadI2c(kIcStatus);
    DelayMicroseconds(kI2cStepMicroseconds);
    if (TransmitAborted()) return 0;
    DelayMicroseconds(kI2cStepMicroseconds);
    if ((status & kStatusTfnf) != 0) break;
    if (pass + 1 >= kTxFifoFullRetryLimit) return 0;  // the FIFO never freed a slot
    DelayMicroseconds(kI2cStepMicroseconds);
  }

  uint32_t command = byte;
  if (restart) command += kDataCmdRestart;
  if (stop) command += kDataCmdStop;
  WriteI2c(kIcDataCmd, command);
  DelayMicroseconds(kI2cStepMicroseconds);

  for (uint32_t poll = 0;;) {
    if (TransmitAborted()) result = 0;  // the poll goes on: an abort empties the FIFO
    DelayMicroseconds(kI2cStepMicroseconds);
    if ((ReadI2c(kIcTxflr) & kTxflrMask) == 0) break;
    DelayMicroseconds(kI2cStepMicroseconds);
    if (++poll >= kI2cPollLimit) {
      // The byte never left the controller: restart the machine, and do
      // not report a transfer that did not happen as done.
      os_->RunHidden(kForcedRestartCommand);
      return 0;
    }
  }
  return result;
}

void CSMBusControl::DrainReceiveFifo() {
  for (uint32_t n = 0; n < kRxFifoDrainLimit && (ReadI2c(kIcStatus) & kStatusRfne) != 0; ++n) {
    ReadI2c(kIcDataCmd);
  }
}

int CSMBusControl::I2CReadByte(uint8_t& value) {
  // A read that gave up earlier may have its byte come after all. The
  // register index just sent has left the transmit FIFO behind that read's
  // command, so the late byte is in the receive FIFO by now: left there, it
  // would be taken for this read's byte, and every later read would return
  // the byte of the one before.
  DrainReceiveFifo();
  bool commandQueued = false;
  bool byteReceived = false;
  uint32_t passes = 0;
  uint32_t slotWaits = 0;
  while (!commandQueued || !byteReceived) {
    if (TransmitAborted()) return 0;
    const uint32_t status = ReadI2c(kIcStatus) & 0xFFFF;
    if ((status & kStatusRfne) != 0) {
      value = static_cast<uint8_t>(ReadI2c(kIcDataCmd) & 0xFF);
      byteReceived = true;
    }
    if (commandQueued) {
      DelayMicroseconds(kI2cStepMicroseconds);
      if (++passes >= kI2cPollLimit) break;
    } else if ((status & kStatusTfnf) != 0) {
      WriteI2c(kIcDataCmd, kDataCmdRead | kDataCmdStop);
      DelayMicroseconds(kI2cStepMicroseconds);
      commandQueued = true;
    } else {
      if (++slotWaits >= kReadSlotWaitLimit) return 0;  // never room for the read command
      DelayMicroseconds(kI2cShortWaitMicroseconds);
    }
  }
  // A read whose byte never came is a failed read, not the stale byte.
  return byteReceived ? 1 : 0;
}

}  // namespace vesk
