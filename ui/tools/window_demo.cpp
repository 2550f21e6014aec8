// vesk-window-demo: the program's real windows (Win32 backend) on a
// simulated board and clock, acted on as a user would, so that they can be
// looked at and photographed (scripts/screenshot-windows.sh) without a
// board. The simulated clock follows the clock ticks of the window.
//
//   vesk-window-demo.exe --scene saved|warning|holidays|closure [--lang ID] [--seconds N]
//
// saved:   Monday 10:00 without a timetable; the window is opened from its
//          icon, Monday to Friday get 08:00-17:30, and the timetable is saved.
// warning: Monday 17:24:57 with that timetable; the warning comes at 17:25
//          and is opened from its icon.
// holidays: Monday 10:00 with that timetable and three coming holidays; the
//          window is opened and its Holidays button pressed, and Christmas
//          Eve is chosen in the list.
// closure: Friday 18 December 10:00 with that timetable, closed from the
//          21st to the 31st; the window is opened: the next power-on is
//          two weeks ahead and shows its date.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "schedule/holidays.h"
#include "schedule/schedule_file.h"
#include "sim/board/board_rig.h"
#include "ui/frame_wnd.h"
#include "ui/holiday_wnd.h"
#include "ui/framework/win32/win32_desktop.h"
#include "ui/warning_wnd.h"

using namespace vesk;
using namespace vesk::ui;

namespace {

constexpr UINT_PTR kDemoTimer = 0x7E00;  // the demo's own steps, once a second
constexpr const char* kWeekdays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"};

WeekSchedule WorkingWeek() {
  WeekSchedule week;
  for (int day = 1; day <= 5; ++day) week.Days[day].Phases[0] = {1, 8 * 60, 17 * 60 + 30};
  return week;
}

// What a user does in the editor, through the window's controls.
void EditAndSave(CPaintManagerUI& controls) {
  for (const char* day : kWeekdays) {
    controls.FindControl<COptionUI>(day)->Selected(true);
    controls.FindControl<CCheckBoxUI>("EnablePhase1")->SetCheck(true);
    controls.FindControl<CComboUI>("StartHour1")->SelectItem(8);
    controls.FindControl<CComboUI>("EndHour1")->SelectItem(17);
    controls.FindControl<CComboUI>("EndMinute1")->SelectItem(30);
  }
  controls.FindControl<COptionUI>("Monday")->Selected(true);
  controls.SendNotify(controls.FindControl("btnOk"), DUI_MSGTYPE_CLICK);
}

}  // namespace

int main(int argc, char** argv) {
  std::string scene;
  uint16_t langId = 1033;
  unsigned seconds = 30;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--scene" && i + 1 < argc) {
      scene = argv[++i];
    } else if (arg == "--lang" && i + 1 < argc) {
      langId = static_cast<uint16_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--seconds" && i + 1 < argc) {
      seconds = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      scene.clear();
      break;
    }
  }
  if (scene != "saved" && scene != "warning" && scene != "holidays" && scene != "closure") {
    std::fputs("usage: vesk-window-demo --scene saved|warning|holidays|closure [--lang ID] [--seconds N]\n", stderr);
    return 2;
  }

  const char* start = scene == "warning"   ? "2026-12-07 17:24:57"
                      : scene == "closure" ? "2026-12-18 10:00:00"
                                           : "2026-12-07 10:00:00";
  sim::BoardRig machine("mcu-amd", sim::ParseSimTime(start).value());
  machine.os.SetLangId(langId);
  if (scene != "saved") {
    const auto image = ScheduleToBytes(WorkingWeek());
    machine.os.Files()[ScheduleFilePath(machine.os)].assign(image.begin(), image.end());
  }
  if (scene == "holidays") {
    const std::string text = "2026-12-24 08:00-12:00\n2026-12-25 off\n2026-12-31 09:00-11:30,13:00-15:00\n";
    machine.os.Files()[HolidaysFilePath(machine.os)].assign(text.begin(), text.end());
  }
  if (scene == "closure") {
    std::string text;
    for (int day = 21; day <= 31; ++day) text += "2026-12-" + std::to_string(day) + " off\n";
    machine.os.Files()[HolidaysFilePath(machine.os)].assign(text.begin(), text.end());
  }
  win32::Win32Desktop desktop(GetModuleHandleW(nullptr), machine.os);
  StartDrivers(machine.driver);

  {
    CDuiFrameWnd frame(machine.os, machine.driver);
    const HWND main = frame.Create(nullptr, IsChinese(langId) ? "VESK系统管理软件" : "VESK Technology Manager",
                                   kWindowStyle, kWindowExStyle);
    if (!main) return 1;
    frame.CenterWindow();
    frame.MinimizeToTray();
    SetTimer(main, kDemoTimer, 1000, nullptr);

    unsigned elapsed = 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_TIMER && msg.hwnd == main && msg.wParam == TIMER_CLOCK) {
        machine.clock.Advance(std::chrono::seconds{1});
      }
      if (msg.message == WM_TIMER && msg.hwnd == main && msg.wParam == kDemoTimer) {
        ++elapsed;
        if (scene == "saved" && elapsed == 2) {
          SendMessageW(main, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
          EditAndSave(frame.GetPaintManager());
        }
        if (scene == "closure" && elapsed == 2) SendMessageW(main, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
        if (scene == "holidays" && elapsed == 2) {
          SendMessageW(main, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
          CPaintManagerUI& controls = frame.GetPaintManager();
          controls.SendNotify(controls.FindControl("btnHolidays"), DUI_MSGTYPE_CLICK);
          if (CHolidayWnd* window = frame.HolidayWindow()) {
            window->GetPaintManager().FindControl<CComboUI>("HolidayList")->SelectItem(0);
          }
        }
        if (scene == "warning" && elapsed == 6 && g_WarningWnd != nullptr) {
          SendMessageW(g_WarningWnd->GetHWND(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
        }
        if (elapsed >= seconds) DestroyWindow(main);
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  ResetProcessWideState();
  return 0;
}
