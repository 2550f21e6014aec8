#pragma once
// The process entry routine: one instance only, the language, the board
// check, the autostart values, the driver libraries, start-up's own look for
// the micro-controller, COM, and the main window in the notification area;
// then, once the main window's message loop has ended, the orderly exit.
//
// Everything it touches comes in from its host, so the same routine runs as
// VESK.exe on Windows, as VESKSim.exe on the simulated board, and inside the
// simulator and the tests, where no real Run key or port is ever touched.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/run_values.h"
#include "hardware/driver_access.h"
#include "hardware/pawnio/pawnio_library.h"
#include "identity/smbios_source.h"
#include "platform/os_services.h"
#include "schedule/alarm/wake_alarm.h"
#include "ui/framework/win_types.h"

namespace vesk {

inline constexpr const char* kInstanceMutexName = "VESK";

// Driver start: attempts, and how long each failure's box stays up.
inline constexpr int kDriverStartAttempts = 5;
inline constexpr uint32_t kDriverFailureBoxMs = 5000;

// Start-up's look for the micro-controller: register 0 at its bus address.
inline constexpr uint8_t kProbeAddress = 0xC2;
inline constexpr uint8_t kProbeRegister = 0x00;

struct StartupTexts {
  const char* caption;
  const char* text;
};
// The box after a failed driver start, by language.
StartupTexts DriverFailureTexts(uint16_t langId);
// The notice about a program folder that others than the administrators
// can change, naming the folder, by language.
struct NoticeTexts {
  std::string caption;
  std::string text;
};
NoticeTexts OpenFolderNotice(uint16_t langId, const std::string& folder);
// The main window's title, by language.
const char* MainWindowTitle(uint16_t langId);
// The data of the autostart value for an executable path. A path with a
// blank is quoted, so that Windows starts this program at logon and never
// "C:\Program.exe" or the like for "C:\Program Files\VESK\VESK.exe".
std::string RunValueData(const std::string& modulePath);

// The COM apartment of the user-interface thread.
class ComApartment {
 public:
  virtual ~ComApartment() = default;
  virtual void Initialize() = 0;    // CoInitialize(NULL), result not used
  virtual void Uninitialize() = 0;  // CoUninitialize()
};

// The main window as the entry routine drives it: created with a title,
// style and extended style, centred, moved into the notification area, and
// run modally until it is destroyed. Destroying the object destroys a
// window that is still there. Create is false when no window came of it
// (the window has reported why, such as a broken skin).
class MainWindow {
 public:
  virtual ~MainWindow() = default;
  virtual bool Create(const std::string& title, DWORD style, DWORD exStyle) = 0;
  virtual void CenterWindow() = 0;
  virtual void MinimizeToTray() = 0;
  virtual void ShowModal() = 0;
};

// What the host hands the entry routine; all of it outlives the call.
struct AppHost {
  OsServices& os;
  DriverAccess& driver;           // the two driver libraries
  SmbiosTableSource& firmware;    // the firmware table for the board check
  ComApartment& com;
  HINSTANCE instance = nullptr;   // the module whose resources the windows use
  // Makes the main window object on the way to the hardware chosen at
  // start; called once, after COM is up.
  std::function<std::unique_ptr<MainWindow>(DriverAccess&)> makeMainWindow;
  // PawnIO's library, tried before the two libraries; null when there is
  // none to try.
  PawnIoLibrary* pawnio = nullptr;
  // The libraries, drivers and modules the program loads with its rights,
  // by full path; checked at start with the program and its folder.
  std::vector<std::string> loadedFiles = {};
};

// The program's main window, CDuiFrameWnd, on the installed window backend.
// onWakeCheck hears every read-back of the wake-up.
std::unique_ptr<MainWindow> MakeFrameWindow(OsServices& os, DriverAccess& driver,
                                            std::function<void(WakeCheck)> onWakeCheck = {});

// The entry routine. Returns the process exit code, 0. The ends before the
// window (a refused board, drivers that do not start) end the process
// through host.os.EndProcess(0) and do not return.
int RunVesk(AppHost& host);

}  // namespace vesk
