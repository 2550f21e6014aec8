#pragma once
// The two driver libraries as the simulated board answers them. Like the
// real libraries, hardware operations do nothing (reads fail and leave the
// variable alone) while the library is not initialised; such calls are
// counted, since the program should never make them. Start-up failures of
// either library can be injected.
#include <climits>
#include <cstdint>
#include <vector>

#include "hardware/driver_access.h"
#include "sim/board/board.h"

namespace vesk::sim {

enum class LibraryCall { InitializeOls, DeinitializeOls, InitializeWinIo, ShutdownWinIo };

class SimulatedDriverAccess final : public DriverAccess {
 public:
  explicit SimulatedDriverAccess(Board& board) : board_(board) {}

  Board& GetBoard() { return board_; }

  bool InitializeOls() override;
  void DeinitializeOls() override;
  void WriteIoPortByte(uint16_t port, uint8_t value) override;
  bool ReadIoPortByteEx(uint16_t port, uint8_t& value) override;
  void WriteIoPortDword(uint16_t port, uint32_t value) override;
  bool ReadIoPortWordEx(uint16_t port, uint16_t& value) override;
  bool ReadIoPortDwordEx(uint16_t port, uint32_t& value) override;
  uint32_t ReadPciConfigDword(uint32_t pciAddress, uint8_t reg) override;
  uint32_t FindPciDeviceByClass(uint8_t baseClass, uint8_t subClass, uint8_t programIf,
                                uint8_t index) override;
  bool InitializeWinIo() override;
  void ShutdownWinIo() override;
  bool GetPhysLong(uint32_t physicalAddress, uint32_t& value) override;
  bool SetPhysLong(uint32_t physicalAddress, uint32_t value) override;

  // The next `attempts` initialisations of that library fail.
  static constexpr unsigned kAlways = UINT_MAX;
  void FailPortLibraryInit(unsigned attempts = kAlways) { portFailures_ = attempts; }
  void FailMemoryLibraryInit(unsigned attempts = kAlways) { memoryFailures_ = attempts; }

  // Initialise and release calls of both libraries, in order.
  const std::vector<LibraryCall>& LibraryCalls() const { return calls_; }
  bool PortLibraryReady() const { return portReady_; }
  bool MemoryLibraryReady() const { return memoryReady_; }
  // Hardware operations made while their library was not initialised.
  unsigned UnreadyAccesses() const { return unreadyAccesses_; }

 private:
  bool PortUsable();
  bool MemoryUsable();
  static bool Consume(unsigned& failures);

  Board& board_;
  std::vector<LibraryCall> calls_;
  bool portReady_ = false;
  bool memoryReady_ = false;
  unsigned portFailures_ = 0;
  unsigned memoryFailures_ = 0;
  unsigned unreadyAccesses_ = 0;
};

}  // namespace vesk::sim
