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
  // From PawnIO's installed folder.
  WinPawnIoLibrary();
  // From another folder (the tests' stand-in); it must be absolute.
  explicit WinPawnIoLibrary(const std::wstring& folder);
  ~WinPawnIoLibrary() override;
  WinPawnIoLibrary(const WinPawnIoLibrary&) = delete;
  WinPawnIoLibrary& operator=(const WinPawnIoLibrary&) = delete;

  // "C:\Program Files\PawnIO\", empty when the system does not say.
  static std::wstring InstalledFolder();

  bool Loaded() const override;
  PawnIoResult Open(PawnIoHandle& handle) override;
  PawnIoResult Load(PawnIoHandle handle, std::span<const uint8_t> module) override;
  PawnIoResult Execute(PawnIoHandle handle, const char* name, std::span<const uint64_t> in,
                       std::span<uint64_t> out, std::size_t& returned) override;
  PawnIoResult Close(PawnIoHandle handle) override;

 private:
  struct Entries;
  std::unique_ptr<Entries> entries_;
};

}  // namespace vesk
