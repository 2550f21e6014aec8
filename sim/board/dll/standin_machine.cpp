#include "sim/board/dll/standin_machine.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>

namespace vesk::sim::standin {

namespace {

constexpr const char* kDefaultProfile = "mcu-intel-i2c";

std::string Environment(const wchar_t* name) {
  wchar_t buffer[128];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 128);
  if (length == 0 || length >= 128) return {};
  std::string text;
  for (DWORD i = 0; i < length; ++i) {
    if (buffer[i] > 0x7F) return {};  // profile names are plain ASCII
    text += static_cast<char>(buffer[i]);
  }
  return text;
}

SimTime RealLocalTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  using namespace std::chrono;
  const year_month_day ymd{year{st.wYear}, month{st.wMonth}, day{st.wDay}};
  return SimTime{sys_days{ymd} + hours{st.wHour} + minutes{st.wMinute} + seconds{st.wSecond} +
                 milliseconds{st.wMilliseconds}};
}

int64_t CounterNow() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

class Machine {
 public:
  explicit Machine(const BoardProfile& profile)
      : clock_(RealLocalTime()), board_(clock_, profile), driver_(board_), start_(CounterNow()) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    frequency_ = frequency.QuadPart;
    const std::string fail = Environment(L"VESK_SIM_DRIVER_FAIL");
    if (fail == "ring0" || fail == "both") driver_.FailPortLibraryInit();
    if (fail == "winio" || fail == "both") driver_.FailMemoryLibraryInit();
  }

  // Moves the board's clock up to the real time that has passed.
  SimulatedDriverAccess& Synced() {
    const int64_t ticks = CounterNow() - start_;
    const Microseconds elapsed{ticks / frequency_ * 1'000'000 + (ticks % frequency_) * 1'000'000 / frequency_};
    if (elapsed > advanced_) {
      clock_.Advance(elapsed - advanced_);
      advanced_ = elapsed;
    }
    return driver_;
  }

 private:
  VirtualClock clock_;
  Board board_;
  SimulatedDriverAccess driver_;
  int64_t start_;
  int64_t frequency_ = 1;
  Microseconds advanced_{0};
};

std::unique_ptr<Machine> g_machine;
bool g_made = false;

}  // namespace

SimulatedDriverAccess* Driver() {
  if (!g_made) {
    g_made = true;
    std::string name = Environment(L"VESK_SIM_BOARD");
    if (name.empty()) name = kDefaultProfile;
    if (const auto profile = ParseBoardProfile(name)) g_machine = std::make_unique<Machine>(*profile);
  }
  return g_machine ? &g_machine->Synced() : nullptr;
}

}  // namespace vesk::sim::standin
