// Stand-in for PawnIO's library PawnIOLib.dll, for tests and demonstrations
// on the simulated board only; never shipped. Its four entry points are
// answered by the simulated PawnIO on this library's own simulated board
// (chosen like the other stand-ins' with VESK_SIM_BOARD), with the test
// module images the simulator makes in place of the signed modules.
//
// VESK_SIM_PAWNIO_TRACE names a file that gets one line per module call,
// "function in0 in1 ... status=0x........", so a run can be checked from
// outside.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "sim/board/dll/standin_machine.h"
#include "sim/board/simulated_pawnio.h"

namespace {

// The module polls the host on the real clock; the board follows it.
void RealWait(vesk::sim::Microseconds wait) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const LONGLONG ticks = frequency.QuadPart * wait.count() / 1'000'000;
  do {
    QueryPerformanceCounter(&now);
  } while (now.QuadPart - start.QuadPart < ticks);
  vesk::sim::standin::Driver();  // brings the board's clock up to now
}

vesk::sim::SimulatedPawnIo* PawnIo() {
  static std::unique_ptr<vesk::sim::SimulatedPawnIo> pawnio;
  if (!pawnio) {
    auto* driver = vesk::sim::standin::Driver();
    if (driver == nullptr) return nullptr;
    pawnio = std::make_unique<vesk::sim::SimulatedPawnIo>(driver->GetBoard(), RealWait);
  }
  vesk::sim::standin::Driver();
  return pawnio.get();
}

void Trace(PCSTR name, std::span<const uint64_t> in, HRESULT result) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"VESK_SIM_PAWNIO_TRACE", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  FILE* file = _wfopen(path, L"a");
  if (file == nullptr) return;
  std::fprintf(file, "%s", name);
  for (const uint64_t value : in) std::fprintf(file, " 0x%llX", static_cast<unsigned long long>(value));
  std::fprintf(file, " status=0x%08lX\n", static_cast<unsigned long>(result));
  std::fclose(file);
}

constexpr HRESULT kNoBoard = static_cast<HRESULT>(0x80070015);  // ERROR_NOT_READY

}  // namespace

extern "C" {

HRESULT WINAPI pawnio_open(PHANDLE handle) {
  auto* pawnio = PawnIo();
  if (pawnio == nullptr || handle == nullptr) return kNoBoard;
  vesk::PawnIoHandle opened = nullptr;
  const HRESULT result = pawnio->Open(opened);
  *handle = opened;
  return result;
}

HRESULT WINAPI pawnio_load(HANDLE handle, const UCHAR* blob, SIZE_T size) {
  auto* pawnio = PawnIo();
  if (pawnio == nullptr || (blob == nullptr && size != 0)) return kNoBoard;
  return pawnio->Load(handle, std::span<const uint8_t>(blob, size));
}

HRESULT WINAPI pawnio_execute(HANDLE handle, PCSTR name, const ULONG64* in, SIZE_T inSize, PULONG64 out,
                              SIZE_T outSize, PSIZE_T returnSize) {
  auto* pawnio = PawnIo();
  if (pawnio == nullptr || (in == nullptr && inSize != 0) || (out == nullptr && outSize != 0)) return kNoBoard;
  const std::span<const uint64_t> input(reinterpret_cast<const uint64_t*>(in), inSize);
  std::size_t returned = 0;
  const HRESULT result = pawnio->Execute(handle, name, input, std::span<uint64_t>(reinterpret_cast<uint64_t*>(out), outSize),
                                         returned);
  if (returnSize != nullptr) *returnSize = returned;
  Trace(name != nullptr ? name : "?", input, result);
  return result;
}

HRESULT WINAPI pawnio_close(HANDLE handle) {
  auto* pawnio = PawnIo();
  return pawnio == nullptr ? kNoBoard : pawnio->Close(handle);
}

}  // extern "C"
