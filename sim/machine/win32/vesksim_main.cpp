// VESKSim.exe: the program with its real windows on a simulated board, for
// trying it under Wine or on Windows without the board. The board and the
// firmware table come from the simulator instead of the driver libraries and
// WMI; the rest is VESK.exe. The environment chooses them:
//   VESKSIM_BOARD   a board profile, default mcu-intel-i2c
//   VESKSIM_TABLE   a named firmware table, default accepted
//   VESKSIM_SMBIOS  a file with a raw firmware table (instead of the name)
// What the program does to the board's wake-up chip and watchdog goes to
// the debugger output, one line each ("VESKSim: watchdog action=stop
// kind=mcu"), so that a run can be followed from outside.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/startup.h"
#include "app/win32/win32_com.h"
#include "platform/win32/win32_os_services.h"
#include "sim/board/board.h"
#include "sim/board/board_profile.h"
#include "sim/board/simulated_driver_access.h"
#include "sim/firmware/firmware_tables.h"
#include "sim/machine/chip_watcher.h"
#include "sim/machine/demo_os.h"
#include "sim/machine/wall_clock_driver.h"
#include "ui/framework/win32/win32_desktop.h"

namespace {

constexpr const char* kDefaultBoard = "mcu-intel-i2c";
constexpr const char* kDefaultTable = "accepted";
// What the program returns when its set-up is wrong (it never gets to run).
constexpr int kBadSetup = 2;

std::string Environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::optional<vesk::sim::FirmwareTable> ChosenTable(std::string& error) {
  const std::string file = Environment("VESKSIM_SMBIOS", "");
  if (!file.empty()) return vesk::sim::LoadFirmwareTableFile(file, error);
  const std::string name = Environment("VESKSIM_TABLE", kDefaultTable);
  auto table = vesk::sim::NamedFirmwareTable(name);
  if (!table) error = "unknown firmware table '" + name + "' in VESKSIM_TABLE";
  return table;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  vesk::win32::Win32OsServices real;
  vesk::sim::DemoOs os{real};

  std::string error;
  const std::string boardName = Environment("VESKSIM_BOARD", kDefaultBoard);
  const auto profile = vesk::sim::ParseBoardProfile(boardName);
  if (!profile) error = "unknown board profile '" + boardName + "' in VESKSIM_BOARD";
  auto table = profile ? ChosenTable(error) : std::nullopt;
  if (!profile || !table) {
    real.ShowMessageBox(error, "VESKSim", vesk::kMbIconError);
    return kBadSetup;
  }

  // The board keeps the wall clock's time: its clock starts at the local
  // time and follows the monotonic clock from there.
  const vesk::sim::SimTime startedAt = vesk::sim::SimTimeOf(real.GetLocalTime());
  const auto steadyStart = std::chrono::steady_clock::now();
  vesk::sim::ChipWatcher watcher{[&](vesk::sim::SimTime, std::string text) {
    real.DebugOutput("VESKSim: " + text + "\n");
  }};
  vesk::sim::VirtualClock clock{startedAt};
  vesk::sim::Board board{clock, *profile};
  board.KeepLog(false);
  board.SetAccessListener([&](const vesk::sim::BoardAccess& access) { watcher.Observe(access); });
  vesk::sim::SimulatedDriverAccess simulated{board};
  vesk::sim::WallClockDriver driver{simulated, clock, [&] {
                                      return startedAt + std::chrono::duration_cast<vesk::sim::Microseconds>(
                                                             std::chrono::steady_clock::now() - steadyStart);
                                    }};
  vesk::sim::FirmwareTableSource firmware{std::move(*table)};
  vesk::win32::Win32ComApartment com;

  std::unique_ptr<vesk::ui::win32::Win32Desktop> desktop;
  vesk::AppHost host{os, driver, firmware, com, instance, [&](vesk::DriverAccess& chosen) {
                       desktop = std::make_unique<vesk::ui::win32::Win32Desktop>(instance, os);
                       return vesk::MakeFrameWindow(os, chosen);
                     }};
  return vesk::RunVesk(host);
}
