// The program's windows as real Win32 windows (under Wine with Xvfb) on a
// simulated board: the warning window finds the main window by its class
// name and postpones through it, the icons' callbacks and the hot key
// bring the windows up. The clock is
// virtual; the clock tick is sent by hand after the clock was set.
#include <chrono>
#include <memory>

#include <gtest/gtest.h>

#include "schedule/schedule_file.h"
#include "sim/board/board_rig.h"
#include "ui/frame_wnd.h"
#include "ui/framework/win32/win32_desktop.h"
#include "ui/warning_wnd.h"

namespace vesk::ui {
namespace {

// Dispatches what is queued, then waits for more until done() or the time
// runs out (input that the system delivers later).
template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds limit = std::chrono::milliseconds{3000}) {
  const auto end = std::chrono::steady_clock::now() + limit;
  MSG msg;
  while (!done()) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}
void Pump() { PumpUntil([] { return false; }, std::chrono::milliseconds{50}); }

// Monday 17:54:59 with a timetable ending at 18:00; the main window made
// as the entry routine makes it.
class Win32ProgramWindows : public ::testing::Test {
 protected:
  Win32ProgramWindows()
      : machine("mcu-amd", sim::ParseSimTime("2026-12-07 17:54:59").value()),
        desktop(GetModuleHandleW(nullptr), machine.os) {
    WeekSchedule week;
    for (auto& day : week.Days) day.Phases[0] = {1, 8 * 60, 18 * 60};
    const auto image = ScheduleToBytes(week);
    machine.os.Files()[ScheduleFilePath(machine.os)].assign(image.begin(), image.end());
    StartDrivers(machine.driver);
    frame = std::make_unique<CDuiFrameWnd>(machine.os, machine.driver);
    main = frame->Create(nullptr, "VESK Technology Manager", kWindowStyle, kWindowExStyle);
    frame->CenterWindow();
    frame->MinimizeToTray();
    Pump();
  }
  ~Win32ProgramWindows() override {
    if (main && IsWindow(main)) DestroyWindow(main);
    Pump();
    frame.reset();
    ResetProcessWideState();
  }

  // The clock tick of a given second.
  HWND WarningAt(const char* time) {
    machine.clock.Set(sim::ParseSimTime(time).value());
    SendMessageA(main, WM_TIMER, TIMER_CLOCK, 0);
    Pump();
    return FindWindowA(kWarningWindowClass, nullptr);
  }
  std::string Label(const char* name) { return frame->GetPaintManager().FindControl(name)->GetText().str(); }
  HWND Child(HWND window, const char* name) { return desktop.ControlWindow(window, name); }

  sim::BoardRig machine;
  win32::Win32Desktop desktop;
  std::unique_ptr<CDuiFrameWnd> frame;
  HWND main = nullptr;
};

TEST_F(Win32ProgramWindows, WarningFindsTheMainWindowAndPostpones) {
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(FindWindowA("VESKMainFrame", nullptr), main);
  EXPECT_FALSE(IsWindowVisible(main));
  const HWND warning = WarningAt("2026-12-07 17:55:00");
  ASSERT_NE(warning, nullptr);
  EXPECT_FALSE(IsWindowVisible(warning));
  EXPECT_EQ(GetParent(warning) ? GetParent(warning) : GetWindow(warning, GW_OWNER), main);

  // Its icon's double click shows it; the user picks 10 minutes and
  // postpones.
  SendMessageW(warning, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(warning));
  const HWND minutes = Child(warning, "DelayMinute");
  ASSERT_NE(minutes, nullptr);
  SendMessageW(minutes, CB_SETCURSEL, 10, 0);
  SendMessageW(warning, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(minutes), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(minutes));
  SendMessageW(Child(warning, "btnDelay"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(Label("LastShutdownTime"), "{f 1}{c #1974F0}18:10  Mon{/c}{/f}");
  EXPECT_FALSE(IsWindow(warning));
  EXPECT_EQ(g_WarningWnd, nullptr);
}

TEST_F(Win32ProgramWindows, IconCallbackAndHotKeyBringTheMainWindowBack) {
  PostMessageW(main, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != 0; }));
  SendMessageW(Child(main, "closebtn1"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(main));

  INPUT keys[4] = {};
  const WORD sequence[4][2] = {{VK_MENU, 0}, {0x4A, 0}, {0x4A, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP}};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = sequence[i][0];
    keys[i].ki.dwFlags = sequence[i][1];
  }
  ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != 0; }));
}

}  // namespace
}  // namespace vesk::ui
