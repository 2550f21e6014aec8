#pragma once
// The simulated board in real time, for VESKSim.exe: before every call of
// the driver libraries the board's clock is brought up to the wall clock, so
// its bus controller finishes transfers and its chips count as a real board
// would while the program waits on the real clock.
#include <functional>

#include "hardware/driver_access.h"
#include "platform/os_services.h"
#include "sim/os/virtual_clock.h"

namespace vesk::sim {

// The SimTime of a local time record (its milliseconds included).
SimTime SimTimeOf(const LocalTime& time);

class WallClockDriver final : public DriverAccess {
 public:
  using Now = std::function<SimTime()>;
  // `inner` is the board's driver access, `clock` the board's clock.
  WallClockDriver(DriverAccess& inner, VirtualClock& clock, Now now)
      : inner_(inner), clock_(clock), now_(std::move(now)) {}

  bool InitializeOls() override;
  void DeinitializeOls() override;
  void WriteIoPortByte(uint16_t port, uint8_t value) override;
  bool ReadIoPortByteEx(uint16_t port, uint8_t& value) override;
  void WriteIoPortDword(uint16_t port, uint32_t value) override;
  bool ReadIoPortWordEx(uint16_t port, uint16_t& value) override;
  bool ReadIoPortDwordEx(uint16_t port, uint32_t& value) override;
  uint32_t ReadPciConfigDword(uint32_t pciAddress, uint8_t reg) override;
  uint32_t FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf, uint8_t index) override;
  bool InitializeWinIo() override;
  void ShutdownWinIo() override;
  bool GetPhysLong(uint32_t physicalAddress, uint32_t& value) override;
  bool SetPhysLong(uint32_t physicalAddress, uint32_t value) override;

 private:
  // Moves the board's clock on to now; it never goes back.
  void Catch();
  DriverAccess& inner_;
  VirtualClock& clock_;
  Now now_;
};

}  // namespace vesk::sim
