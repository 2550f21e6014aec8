#include "sim/machine/wall_clock_driver.h"

namespace vesk::sim {

SimTime SimTimeOf(const LocalTime& time) {
  using namespace std::chrono;
  const year_month_day date{year{time.wYear}, month{time.wMonth}, day{time.wDay}};
  return SimTime{sys_days{date} + hours{time.wHour} + minutes{time.wMinute} + seconds{time.wSecond} +
                 milliseconds{time.wMilliseconds}};
}

void WallClockDriver::Catch() {
  const SimTime now = now_();
  if (now > clock_.Now()) clock_.Advance(now - clock_.Now());
}

bool WallClockDriver::InitializeOls() {
  Catch();
  return inner_.InitializeOls();
}
void WallClockDriver::DeinitializeOls() {
  Catch();
  inner_.DeinitializeOls();
}
void WallClockDriver::WriteIoPortByte(uint16_t port, uint8_t value) {
  Catch();
  inner_.WriteIoPortByte(port, value);
}
bool WallClockDriver::ReadIoPortByteEx(uint16_t port, uint8_t& value) {
  Catch();
  return inner_.ReadIoPortByteEx(port, value);
}
void WallClockDriver::WriteIoPortDword(uint16_t port, uint32_t value) {
  Catch();
  inner_.WriteIoPortDword(port, value);
}
bool WallClockDriver::ReadIoPortWordEx(uint16_t port, uint16_t& value) {
  Catch();
  return inner_.ReadIoPortWordEx(port, value);
}
bool WallClockDriver::ReadIoPortDwordEx(uint16_t port, uint32_t& value) {
  Catch();
  return inner_.ReadIoPortDwordEx(port, value);
}
uint32_t WallClockDriver::ReadPciConfigDword(uint32_t pciAddress, uint8_t reg) {
  Catch();
  return inner_.ReadPciConfigDword(pciAddress, reg);
}
uint32_t WallClockDriver::FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf,
                                               uint8_t index) {
  Catch();
  return inner_.FindPciDeviceByClass(baseClass, subClass, programIf, index);
}
bool WallClockDriver::InitializeWinIo() {
  Catch();
  return inner_.InitializeWinIo();
}
void WallClockDriver::ShutdownWinIo() {
  Catch();
  inner_.ShutdownWinIo();
}
bool WallClockDriver::GetPhysLong(uint32_t physicalAddress, uint32_t& value) {
  Catch();
  return inner_.GetPhysLong(physicalAddress, value);
}
bool WallClockDriver::SetPhysLong(uint32_t physicalAddress, uint32_t value) {
  Catch();
  return inner_.SetPhysLong(physicalAddress, value);
}

}  // namespace vesk::sim
