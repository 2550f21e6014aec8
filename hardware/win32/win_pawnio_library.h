#pragma once
// The Windows binding of PawnIO's library: PawnIOLib.dll loaded by full path
// from PawnIO's own folder (%ProgramFiles%\PawnIO), never from the program's
// folder or the search path. The program runs elevated, and PawnIO's folder
// is writable by administrators only.
#include <memory>
#include <string>

#include "hardware/pawnio/pawnio_library.h"

namespace vesk {

class WinPawnIoLibrary final : public PawnIoLibrary {
 public:
  // From PawnIO's installed folder. Nothing is loaded before the first
  // call: a second instance of the program leaves without touching it.
  WinPawnIoLibrary();
  // From another folder (the tests' stand-in); it must be absolute.
  explicit WinPawnIoLibrary(std::wstring folder);
  ~WinPawnIoLibrary() override;
  WinPawnIoLibrary(const WinPawnIoLibrary&) = delete;
  WinPawnIoLibrary& operator=(const WinPawnIoLibrary&) = delete;

  // "C:\Program Files\PawnIO\", empty when the system does not say.
  static std::wstring InstalledFolder();

  bool Loaded() override;
  PawnIoResult Open(PawnIoHandle& handle) override;
  PawnIoResult Load(PawnIoHandle handle, std::span<const uint8_t> module) override;
  PawnIoResult Execute(PawnIoHandle handle, const char* name, std::span<const uint64_t> in,
                       std::span<uint64_t> out, std::size_t& returned) override;
  PawnIoResult Close(PawnIoHandle handle) override;

 private:
  struct Entries;
  std::wstring folder_;
  bool tried_ = false;
  std::unique_ptr<Entries> entries_;
};

}  // namespace vesk
