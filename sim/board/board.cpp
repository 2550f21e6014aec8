#include "sim/board/board.h"

#include <utility>

namespace vesk::sim {

namespace {

constexpr uint16_t kConfigAddressPort = 0xCF8;
constexpr uint16_t kConfigDataPort = 0xCFC;
constexpr uint8_t kBarSmbus = 0x20;
constexpr uint32_t kBarIoSpace = 0x01;

uint32_t AllOnes(unsigned width) { return width >= 4 ? 0xFFFFFFFF : (1u << (8 * width)) - 1; }

void Earliest(std::optional<SimTime>& best, const std::optional<SimTime>& candidate) {
  if (candidate && (!best || *candidate < *best)) best = candidate;
}

}  // namespace

Board::Board(VirtualClock& clock, BoardProfile profile, Microseconds chipsAhead)
    : clock_(clock),
      profile_(std::move(profile)),
      bus_([this](const BoardAccess& access) { Record(access); }),
      self_(std::make_shared<Board*>(this)) {
  const SimTime now = clock_.Now();
  if (profile_.hasMcu) {
    mcu_ = std::make_unique<McuChip>(now, chipsAhead);
    bus_.Attach(McuChip::kAddress, *mcu_);
  }
  if (profile_.rtcAddress != 0) {
    rtc_ = std::make_unique<Pcf8563Chip>(now, chipsAhead);
    bus_.Attach(profile_.rtcAddress, *rtc_);
  }
  if (profile_.smbusBase != 0) smbus_ = std::make_unique<SmbusHost>(bus_, profile_.smbusBase);
  if (profile_.hasI2cController) i2c_ = std::make_unique<DwI2cController>(bus_, kI2cBase);
  BuildPci();

  std::weak_ptr<Board*> weak = self_;
  clock_.AddObserver([weak](SimTime t) {
    if (const auto board = weak.lock()) (*board)->ProcessUntil(t);
  });
}

Board::~Board() = default;

void Board::BuildPci() {
  using Id = PciSpace::Identity;
  pci_.AddFunction(0, 0, 0, Id{profile_.hostVendor, profile_.hostDevice, 0x06, 0x00, 0x00});
  switch (profile_.controller) {
    case ControllerKind::Amd:
      pci_.AddFunction(0, 0x14, 0, Id{0x1022, 0x790B, 0x0C, 0x05, 0x00});
      pci_.AddFunction(0, 0x14, 3, Id{0x1022, 0x790E, 0x06, 0x01, 0x00});
      break;
    case ControllerKind::Nvidia:
      pci_.AddFunction(0, 0x01, 0, Id{0x10DE, 0x0360, 0x06, 0x01, 0x00});
      pci_.AddFunction(0, 0x01, 1, Id{0x10DE, 0x0368, 0x0C, 0x05, 0x00});
      break;
    case ControllerKind::Other:
      pci_.AddFunction(0, 0x11, 0, Id{profile_.hostVendor, 0x3287, 0x06, 0x01, 0x00});
      break;
    case ControllerKind::IntelSmbus:
    case ControllerKind::IntelI2c:
      break;
  }
  if (profile_.lpcBridgeDevice) {
    pci_.AddFunction(0, 0x1F, 0, Id{kIntelVendor, *profile_.lpcBridgeDevice, 0x06, 0x01, 0x00});
  }
  if (profile_.smbusControllerDevice) {
    pci_.AddFunction(0, 0x1F, 3, Id{kIntelVendor, *profile_.smbusControllerDevice, 0x0C, 0x05, 0x00});
    pci_.SetConfigDword(0, 0x1F, 3, kBarSmbus, profile_.smbusBase | kBarIoSpace);
  }
}

void Board::Record(const BoardAccess& access) {
  if (keepLog_) log_.push_back(access);
  if (accessListener_) accessListener_(access);
}

// --- ports, PCI, physical memory ---

void Board::WritePort(uint16_t port, uint32_t value, unsigned width) {
  const std::lock_guard<std::recursive_mutex> lock(accessMutex_);
  Update();
  const SimTime now = clock_.Now();
  Record({now, AccessKind::PortWrite, port, 0, value, static_cast<uint8_t>(width)});
  if (port == kConfigAddressPort && width == 4) {
    pci_.WriteAddressPort(value);
  } else if (superIo_.Claims(port) && width == 1) {
    superIo_.Write(port, static_cast<uint8_t>(value), now);
  } else if (smbus_ && smbus_->Claims(port) && width == 1) {
    smbus_->Write(port, static_cast<uint8_t>(value), now);
  }
}

uint32_t Board::ReadPort(uint16_t port, unsigned width) {
  const std::lock_guard<std::recursive_mutex> lock(accessMutex_);
  Update();
  const SimTime now = clock_.Now();
  uint32_t value = AllOnes(width);
  if (port >= kConfigDataPort && port < kConfigDataPort + 4) {
    value = pci_.ReadDataPort(port - kConfigDataPort, width);
  } else if (port == kConfigAddressPort && width == 4) {
    value = pci_.AddressPort();
  } else if (superIo_.Claims(port) && width == 1) {
    value = superIo_.Read(port);
  } else if (smbus_ && smbus_->Claims(port) && width == 1) {
    value = smbus_->Read(port, now);
  }
  Record({now, AccessKind::PortRead, port, 0, value, static_cast<uint8_t>(width)});
  return value;
}

uint32_t Board::ReadPciConfigDword(uint32_t libraryAddress, uint8_t reg) {
  const std::lock_guard<std::recursive_mutex> lock(accessMutex_);
  Update();
  const uint32_t value = pci_.ReadConfigDword(libraryAddress, reg);
  Record({clock_.Now(), AccessKind::PciConfigRead, libraryAddress, reg, value, 4});
  return value;
}

uint32_t Board::FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf,
                                     uint8_t index) {
  const std::lock_guard<std::recursive_mutex> lock(accessMutex_);
  Update();
  const uint32_t found = pci_.FindByClass(baseClass, subClass, programIf, index);
  const uint32_t classCode = (uint32_t{baseClass} << 16) | (uint32_t{subClass} << 8) | programIf;
  Record({clock_.Now(), AccessKind::PciClassSearch, index, classCode, found, 0});
  return found;
}

bool Board::ReadPhysical(uint32_t address, uint32_t& value) {
  const std::lock_guard<std::recursive_mutex> lock(accessMutex_);
  Update();
  const SimTime now = clock_.Now();
  const bool mapped = i2c_ && i2c_->Claims(address);
  value = mapped ? i2c_->Read(address, now) : 0xFFFFFFFF;
  Record({now, AccessKind::MemoryRead, address, 0, value, 4});
  return mapped;
}

bool Board::WritePhysical(uint32_t address, uint32_t value) {
  const std::lock_guard<std::recursive_mutex> lock(accessMutex_);
  Update();
  const SimTime now = clock_.Now();
  Record({now, AccessKind::MemoryWrite, address, 0, value, 4});
  const bool mapped = i2c_ && i2c_->Claims(address);
  if (mapped) i2c_->Write(address, value, now);
  return mapped;
}

// --- faults ---

void Board::SetSmbusStuckBusy(bool on) {
  if (smbus_) smbus_->SetStuckBusy(on);
}

void Board::SetTxFifoStuck(bool on) {
  if (i2c_) i2c_->SetTxStuck(on, clock_.Now());
}

void Board::InjectTransmitAborts(unsigned count) {
  if (i2c_) i2c_->InjectAborts(count);
}

void Board::StretchI2cReads(unsigned count, Microseconds stretch) {
  if (i2c_) i2c_->StretchReads(count, stretch);
}

// --- time and power ---

void Board::ProcessUntil(SimTime now) {
  const std::lock_guard<std::recursive_mutex> lock(accessMutex_);
  if (processing_) return;
  processing_ = true;
  if (smbus_) smbus_->CatchUp(now);
  if (i2c_) i2c_->CatchUp(now);
  for (;;) {
    const bool on = power_ == PowerState::On;
    std::optional<SimTime> mcuWake;
    std::optional<SimTime> rtcAlarm;
    std::optional<SimTime> mcuDog;
    std::optional<SimTime> superIoDog;
    if (mcu_) mcuWake = mcu_->WakeAt();
    if (rtc_) rtcAlarm = rtc_->AlarmAt();
    if (mcu_ && on) mcuDog = mcu_->WatchdogDeadline();
    if (on) superIoDog = superIo_.CountEnds();
    std::optional<SimTime> next;
    Earliest(next, mcuWake);
    Earliest(next, rtcAlarm);
    Earliest(next, mcuDog);
    Earliest(next, superIoDog);
    if (!next || *next > now) break;
    const SimTime at = *next;

    if (mcuWake == next) {
      mcu_->FireWake();
      if (power_ == PowerState::Off) {
        power_ = PowerState::On;
        Emit({at, BoardEventKind::PowerOn, EventCause::Alarm, EventSource::Mcu});
      }
    } else if (rtcAlarm == next) {
      const bool interrupt = rtc_->FireAlarm(at);
      if (interrupt && power_ == PowerState::Off) {
        power_ = PowerState::On;
        Emit({at, BoardEventKind::PowerOn, EventCause::Alarm, EventSource::Rtc});
      }
    } else if (mcuDog == next) {
      mcu_->WatchdogOff();
      ResetBoard(at, EventSource::Mcu);
    } else {
      const bool resets = superIo_.ResetOnTimeout();
      superIo_.Expire();
      if (resets) ResetBoard(at, EventSource::SuperIo);
    }
  }
  processing_ = false;
}

void Board::ResetBoard(SimTime at, EventSource source) {
  superIo_.Reset();
  if (smbus_) smbus_->Reset();
  if (i2c_) i2c_->Reset();
  Emit({at, BoardEventKind::Reset, EventCause::Watchdog, source});
}

void Board::Emit(BoardEvent event) {
  events_.push_back(event);
  if (eventListener_) eventListener_(event);
}

void Board::SwitchOff() {
  Update();
  if (power_ == PowerState::Off) return;
  power_ = PowerState::Off;
  superIo_.Reset();
  if (mcu_) mcu_->WatchdogOff();
  if (smbus_) smbus_->Reset();
  if (i2c_) i2c_->Reset();
  Emit({clock_.Now(), BoardEventKind::PowerOff, EventCause::Shutdown, EventSource::None});
}

void Board::PressPowerButton() {
  Update();
  if (power_ == PowerState::On) return;
  power_ = PowerState::On;
  Emit({clock_.Now(), BoardEventKind::PowerOn, EventCause::PowerButton, EventSource::None});
}

std::optional<SimTime> Board::NextAlarmPowerOn() {
  Update();
  std::optional<SimTime> next;
  if (mcu_) Earliest(next, mcu_->WakeAt());
  if (rtc_ && (rtc_->Register(Pcf8563Chip::kControlStatus2, clock_.Now()) & Pcf8563Chip::kAie) != 0) {
    Earliest(next, rtc_->AlarmAt());
  }
  return next;
}

std::optional<SimTime> Board::NextWatchdogReset() {
  Update();
  if (power_ == PowerState::Off) return std::nullopt;
  std::optional<SimTime> next;
  if (mcu_) Earliest(next, mcu_->WatchdogDeadline());
  if (superIo_.ResetOnTimeout()) Earliest(next, superIo_.CountEnds());
  return next;
}

}  // namespace vesk::sim
