#include "app/startup.h"

#include "hardware/bus_lock.h"
#include "hardware/driver_paths.h"
#include "hardware/smbus_control.h"
#include "history/history.h"
#include "hardware/watchdog.h"
#include "identity/info_check.h"
#include "ui/framework/paint_manager.h"
#include "ui/ui_globals.h"

namespace vesk {

namespace {

// Both Run values, the user's first; a key that cannot be opened or a value
// that cannot be written is no reason to stop, so the results are not used.
void RegisterAutostart(OsServices& os, const std::string& modulePath) {
  const std::string data = RunValueData(modulePath);
  os.WriteRegistryString(RegistryRoot::CurrentUser, kUserRunKey, kRunValueName, data);
  os.WriteRegistryString(RegistryRoot::LocalMachine, kMachineRunKey, kRunValueName, data);
}

// Up to five attempts, each starting both libraries afresh, the port
// library first. A failed attempt shows a box that closes itself; after the
// last one the process ends without a window. Libraries an attempt did
// bring up are left to the end of the process.
void StartDriversOrEnd(OsServices& os, DriverAccess& driver, uint16_t langId) {
  const StartupTexts failure = DriverFailureTexts(langId);
  for (int attempt = 0; attempt < kDriverStartAttempts; ++attempt) {
    if (StartDrivers(driver)) return;
    history::Record("driver-failed", {{"attempt", std::to_string(attempt + 1)}}, history::EventKind::DriverFailed);
    os.ShowTimedMessageBox(failure.text, failure.caption, kMbIconError, os.GetSystemDefaultLangID(),
                           kDriverFailureBoxMs);
  }
  history::Record("exit", {{"how", "drivers-not-started"}});
  os.EndProcess(0);
}

// Whether the micro-controller answers start-up's own controller; it alone
// decides which watchdog start-up stops at the end.
bool ProbeMicroController(CSMBusControl& controller) {
  uint8_t ignored = 0;
  return controller.ReadByteData(kProbeAddress, kProbeRegister, ignored) != 0;
}

// Others than the administrators may change the program's folder, the
// program or what it loads: recorded as an error at once; the caller tells
// the user. The libraries are still loaded then. Whoever can change the
// folder can already replace VESK.exe, which the logon task starts with
// administrator rights, or plant a library Windows loads into it before
// this check runs; refusing the drivers would not keep them out, but would
// leave the board without its wake-up and watchdog. The folder is named so
// that an administrator can put it right.
bool RecordOpenProgramFolder(OsServices& os, const std::vector<std::string>& loadedFiles) {
  std::vector<std::string> paths;
  for (const std::string& path : {os.GetModuleDirectory(), os.GetModulePath()}) {
    if (!path.empty()) paths.push_back(path);
  }
  paths.insert(paths.end(), loadedFiles.begin(), loadedFiles.end());
  const std::vector<OsServices::OpenPath> open = os.ChangeableByOthers(paths);
  if (open.empty()) return false;
  history::Record("folder-open",
                  {{"folder", os.GetModuleDirectory()}, {"path", open.front().path}, {"who", open.front().who},
                   {"paths", std::to_string(open.size())}},
                  history::EventKind::FolderOpen);
  return true;
}

// PawnIO when it has a module for this board's SMBus, and LpcIO as well
// where the watchdog is the Super I/O's (no micro-controller answers);
// otherwise the two libraries with their retries. Returns whether the
// micro-controller answered start-up's controller.
bool StartHardware(OsServices& os, DriverPaths& driver, CSMBusControl& controller, uint16_t langId) {
  if (driver.OpenPawnIoSmbus()) {
    controller.Init();
    const bool chipAnswered = ProbeMicroController(controller);
    if (chipAnswered || driver.OpenPawnIoSuperIo()) {
      driver.Choose(DriverPath::PawnIo);
      history::Record("drivers", {{"path", "pawnio"}, {"module", driver.PawnIoSmbusModule()}},
                      history::EventKind::DriverPath);
      return chipAnswered;
    }
    driver.ClosePawnIo();
  }
  driver.Choose(DriverPath::Libraries);
  StartDriversOrEnd(os, driver, langId);
  history::Record("drivers", {{"path", "libraries"}}, history::EventKind::DriverPath);
  controller.Init();
  return ProbeMicroController(controller);
}

void RunExitSequence(AppHost& host, DriverAccess& driver, CSMBusControl& startupController, bool chipAnswered,
                     std::unique_ptr<MainWindow>& window) {
  history::Record("exit", {{"how", "window-closed"}});
  host.com.Uninitialize();
  StartupWatchdogStop(startupController, chipAnswered);
  history::Record("watchdog", {{"action", "stop"}, {"kind", chipAnswered ? "mcu" : "superio"}});
  // A shutdown still counting down must not follow the program's end.
  host.os.RunHidden(ui::kAbortShutdownCommand);
  driver.DeinitializeOls();
  driver.ShutdownWinIo();
  window.reset();
}

// Another hardware tool held a bus longer than the program waits for it
// (the access failed and is made again at the next tick), or the system
// would not give the bus's lock at all (the bus is then used without it).
// Once a run for each bus, not for every transfer.
void RecordBusLockTrouble(SharedBus bus, OsServices::LockWait what) {
  history::Record("bus-lock", {{"bus", std::string{BusWordOf(bus)}},
                               {"result", what == OsServices::LockWait::kTimedOut ? "busy" : "unavailable"},
                               {"name", LockNameOf(bus)}});
}

}  // namespace

StartupTexts DriverFailureTexts(uint16_t langId) {
  // Neither way to the hardware worked: say what would make one work.
  if (ui::IsChinese(langId)) {
    return {"提示",
            "驱动加载失败！请安装 PawnIO 并把 SmbusI801.bin、SmbusPIIX4.bin 和 LpcIO.bin 放在 VESK.exe 旁边，"
            "或把 WinRing0x64.dll 和 WinIo64.dll 放在 VESK.exe 旁边。"};
  }
  return {"Notice",
          "Notice that VESK driver cannot be loaded ! Install PawnIO and put SmbusI801.bin, SmbusPIIX4.bin and "
          "LpcIO.bin beside VESK.exe, or put WinRing0x64.dll and WinIo64.dll beside VESK.exe."};
}

NoticeTexts OpenFolderNotice(uint16_t langId, const std::string& folder) {
  if (ui::IsChinese(langId)) {
    return {"提示", "非管理员用户可以更改VESK的文件夹 " + folder +
                        " 或其中的驱动程序。VESK以管理员权限运行：请重新安装VESK，或设置为只有管理员可以更改该文件夹。"};
  }
  return {"Notice", "Users who are not administrators can change VESK's folder " + folder +
                        " or the drivers in it. VESK runs with administrator rights: install it again, or let only "
                        "administrators change the folder."};
}

const char* MainWindowTitle(uint16_t langId) {
  return ui::IsChinese(langId) ? "VESK系统管理软件" : "VESK Technology Manager";
}

std::string RunValueData(const std::string& modulePath) {
  if (modulePath.find(' ') == std::string::npos) return modulePath;
  return "\"" + modulePath + "\"";
}

int RunVesk(AppHost& host) {
  OsServices& os = host.os;
  // A second instance leaves before it has touched anything.
  if (os.CreateSingleInstanceMutex(kInstanceMutexName)) return 0;
  history::History history{os};
  const history::ScopedHistory installed{history};
  history::Record("start", {{"path", os.GetModulePath()}}, history::EventKind::Start);
  SetBusLockReporter(&RecordBusLockTrouble);

  LangID = os.GetSystemDefaultLangID();
  InfoCheckValid(os, host.firmware);  // returns only on an accepted board

  RegisterAutostart(os, os.GetModulePath());
  const bool folderOpen = RecordOpenProgramFolder(os, host.loadedFiles);
  DriverPaths driver{host.driver, host.pawnio, os};
  CSMBusControl startupController{driver, os};
  const bool chipAnswered = StartHardware(os, driver, startupController, LangID);

  host.com.Initialize();
  ui::CPaintManagerUI::SetInstance(host.instance);
  std::unique_ptr<MainWindow> window = host.makeMainWindow(driver);
  // Without a window there is nothing for the user in the notification
  // area and no loop to wait in: the program ends in order at once.
  if (window->Create(MainWindowTitle(LangID), ui::kWindowStyle, ui::kWindowExStyle)) {
    window->CenterWindow();
    window->MinimizeToTray();
    // Once the window's timers run: the box's own loop keeps them going,
    // so an unattended board is served while nobody reads it.
    if (folderOpen) {
      const NoticeTexts notice = OpenFolderNotice(LangID, os.GetModuleDirectory());
      os.ShowMessageBox(notice.text, notice.caption, kMbIconError);
    }
    window->ShowModal();
  }

  RunExitSequence(host, driver, startupController, chipAnswered, window);
  return 0;
}

}  // namespace vesk
