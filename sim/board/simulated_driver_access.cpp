#include "sim/board/simulated_driver_access.h"

namespace vesk::sim {

bool SimulatedDriverAccess::Consume(unsigned& failures) {
  if (failures == 0) return false;
  if (failures != kAlways) --failures;
  return true;
}

bool SimulatedDriverAccess::PortUsable() {
  if (!portReady_) ++unreadyAccesses_;
  return portReady_;
}

bool SimulatedDriverAccess::MemoryUsable() {
  if (!memoryReady_) ++unreadyAccesses_;
  return memoryReady_;
}

bool SimulatedDriverAccess::InitializeOls() {
  calls_.push_back(LibraryCall::InitializeOls);
  portReady_ = !Consume(portFailures_);
  return portReady_;
}

void SimulatedDriverAccess::DeinitializeOls() {
  calls_.push_back(LibraryCall::DeinitializeOls);
  portReady_ = false;
}

bool SimulatedDriverAccess::InitializeWinIo() {
  calls_.push_back(LibraryCall::InitializeWinIo);
  memoryReady_ = !Consume(memoryFailures_);
  return memoryReady_;
}

void SimulatedDriverAccess::ShutdownWinIo() {
  calls_.push_back(LibraryCall::ShutdownWinIo);
  memoryReady_ = false;
}

void SimulatedDriverAccess::WriteIoPortByte(uint16_t port, uint8_t value) {
  if (PortUsable()) board_.WritePort(port, value, 1);
}

bool SimulatedDriverAccess::ReadIoPortByteEx(uint16_t port, uint8_t& value) {
  if (!PortUsable()) return false;
  value = static_cast<uint8_t>(board_.ReadPort(port, 1));
  return true;
}

void SimulatedDriverAccess::WriteIoPortDword(uint16_t port, uint32_t value) {
  if (PortUsable()) board_.WritePort(port, value, 4);
}

bool SimulatedDriverAccess::ReadIoPortWordEx(uint16_t port, uint16_t& value) {
  if (!PortUsable()) return false;
  value = static_cast<uint16_t>(board_.ReadPort(port, 2));
  return true;
}

bool SimulatedDriverAccess::ReadIoPortDwordEx(uint16_t port, uint32_t& value) {
  if (!PortUsable()) return false;
  value = board_.ReadPort(port, 4);
  return true;
}

uint32_t SimulatedDriverAccess::ReadPciConfigDword(uint32_t pciAddress, uint8_t reg) {
  return PortUsable() ? board_.ReadPciConfigDword(pciAddress, reg) : 0xFFFFFFFF;
}

uint32_t SimulatedDriverAccess::FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass,
                                                     uint8_t programIf, uint8_t index) {
  return PortUsable() ? board_.FindPciDeviceByClass(baseClass, subClass, programIf, index)
                      : kPciNoDevice;
}

bool SimulatedDriverAccess::GetPhysLong(uint32_t physicalAddress, uint32_t& value) {
  if (!MemoryUsable()) return false;
  return board_.ReadPhysical(physicalAddress, value);
}

bool SimulatedDriverAccess::SetPhysLong(uint32_t physicalAddress, uint32_t value) {
  if (!MemoryUsable()) return false;
  return board_.WritePhysical(physicalAddress, value);
}

}  // namespace vesk::sim
