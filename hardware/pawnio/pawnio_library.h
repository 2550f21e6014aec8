#pragma once
// The four calls of PawnIO's user-mode library PawnIOLib.dll, which talks to
// PawnIO's signed kernel driver. Each handle carries one module (a compiled
// program for one piece of hardware); a module's functions are run by name
// with arrays of 64-bit values in and out. Every call answers an HRESULT:
// negative is a failure, and a module's own NTSTATUS comes back wrapped the
// way HRESULT_FROM_NT wraps it.
//
// Behind this interface sit the Windows binding (the library loaded by full
// path from PawnIO's folder) and the simulated board's stand-in.
#include <cstddef>
#include <cstdint>
#include <span>

namespace vesk {

using PawnIoResult = int32_t;  // an HRESULT
inline constexpr PawnIoResult kPawnIoOk = 0;
constexpr bool PawnIoSucceeded(PawnIoResult result) { return result >= 0; }

// An open device handle of the driver, as the library hands it out.
using PawnIoHandle = void*;

class PawnIoLibrary {
 public:
  virtual ~PawnIoLibrary() = default;

  // Whether the library itself could be loaded (the first call loads it);
  // the calls below fail without it.
  virtual bool Loaded() = 0;
  virtual PawnIoResult Open(PawnIoHandle& handle) = 0;
  virtual PawnIoResult Load(PawnIoHandle handle, std::span<const uint8_t> module) = 0;
  // Runs the module's function `name`; `returned` is how many values it
  // put into `out`.
  virtual PawnIoResult Execute(PawnIoHandle handle, const char* name, std::span<const uint64_t> in,
                               std::span<uint64_t> out, std::size_t& returned) = 0;
  virtual PawnIoResult Close(PawnIoHandle handle) = 0;
};

}  // namespace vesk
