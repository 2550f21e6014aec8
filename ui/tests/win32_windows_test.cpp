// The program's windows as real Win32 windows (under Wine with Xvfb) on a
// simulated board with a virtual clock; the clock tick is sent by hand.
#include <memory>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "schedule/schedule_file.h"
#include "sim/board/board_rig.h"
#include "ui/chat_action.h"
#include "ui/frame_wnd.h"
#include "ui/framework/tests/test_window.h"
#include "ui/framework/win32/win32_desktop.h"
#include "ui/holiday_wnd.h"
#include "ui/warning_wnd.h"

namespace vesk::ui {
namespace {

using test_support::Pump;
using test_support::PumpUntil;

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
    Pump(50);
  }
  ~Win32ProgramWindows() override {
    if (main && IsWindow(main)) DestroyWindow(main);
    Pump(50);
    frame.reset();
    ResetProcessWideState();
  }

  // The clock tick of a given second.
  HWND WarningAt(const char* time) {
    machine.clock.Set(sim::ParseSimTime(time).value());
    SendMessageA(main, WM_TIMER, TIMER_CLOCK, 0);
    Pump(50);
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

  // Its icon's double click shows it; the user postpones by 10 minutes.
  SendMessageW(warning, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(warning));
  const HWND minutes = Child(warning, "DelayMinute");
  ASSERT_NE(minutes, nullptr);
  SendMessageW(minutes, CB_SETCURSEL, 10, 0);
  SendMessageW(warning, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(minutes), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(minutes));
  SendMessageW(Child(warning, "btnDelay"), BM_CLICK, 0, 0);
  Pump(50);
  EXPECT_EQ(Label("LastShutdownTime"), "{f 1}{c #1974F0}18:10  Mon{/c}{/f}");
  EXPECT_FALSE(IsWindow(warning));
  EXPECT_EQ(g_WarningWnd, nullptr);
}

TEST_F(Win32ProgramWindows, IconCallbackAndHotKeyBringTheMainWindowBack) {
  PostMessageW(main, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != 0; }));
  SendMessageW(Child(main, "closebtn1"), BM_CLICK, 0, 0);
  Pump(50);
  EXPECT_FALSE(IsWindowVisible(main));

  ASSERT_EQ(test_support::PressAltJ(), 4u);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != 0; }));

  // Minimised with the title bar's button, it comes back restored.
  SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(main) != 0; }));
  ASSERT_EQ(test_support::PressAltJ(), 4u);
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(main) == 0; }));
  EXPECT_TRUE(IsWindowVisible(main));
}

// Today made a day off in the holidays window: saved, and the main window
// shows at once that the machine is to go now and come back tomorrow.
TEST_F(Win32ProgramWindows, HolidaysWindowSavesADayOffAndTheMainWindowFollows) {
  SendMessageW(main, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
  Pump(50);
  SendMessageW(Child(main, "btnHolidays"), BM_CLICK, 0, 0);
  Pump(50);
  const HWND holidays = FindWindowA(kHolidayWindowClass, nullptr);
  ASSERT_NE(holidays, nullptr);
  EXPECT_TRUE(IsWindowVisible(holidays));
  // It opens on today, "off all day".
  SendMessageW(Child(holidays, "btnAdd"), BM_CLICK, 0, 0);
  SendMessageW(Child(holidays, "btnSave"), BM_CLICK, 0, 0);
  Pump(50);
  EXPECT_EQ(SendMessageW(Child(holidays, "HolidayList"), CB_GETCOUNT, 0, 0), 1);
  const auto& file = machine.os.Files()[HolidaysFilePath(machine.os)];
  EXPECT_NE(std::string(file.begin(), file.end()).find("\n2026-12-07 off\n"), std::string::npos);
  EXPECT_EQ(Label("LastShutdownTime"), "{f 1}{c #1974F0}17:54  Mon{/c}{/f}");
  EXPECT_EQ(Label("LastPoweronTime"), "{f 1}{c #1974F0}08:00  Tue{/c}{/f}");
}

// Notes the open icon menu's items as "id text", then picks the second.
std::vector<std::wstring> g_MenuItems;
void CALLBACK ReadMenuAndPickSecond(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND menuWindow = FindWindowW(L"#32768", nullptr);
  if (!menuWindow) return;
  KillTimer(nullptr, timer);
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    g_MenuItems.push_back(std::to_wstring(GetMenuItemID(menu, i)) + L" " + text);
  }
  for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
}

TEST_F(Win32ProgramWindows, IconMenuIsExitThenHistoryWhichOpensTheFile) {
  SetTimer(nullptr, 0, 100, &ReadMenuAndPickSecond);
  SendMessageW(main, WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
  EXPECT_TRUE(PumpUntil([&] { return !machine.os.OpenedInViewer().empty(); }));
  EXPECT_EQ(g_MenuItems, (std::vector<std::wstring>{L"1 exit", L"2 History"}));
  EXPECT_EQ(machine.os.OpenedInViewer(), std::vector<std::string>{"C:\\VESK\\VESK.log"});
}

TEST_F(Win32ProgramWindows, TheNoticeComesFromTemplate133RisesAndClosesOnItsButton) {
  auto* notice = new CChatAction("关机提醒 Shutdown soon");
  ASSERT_TRUE(notice->Create());
  const HWND hwnd = notice->GetSafeHwnd();
  notice->ShowWindow(SW_SHOW);
  EXPECT_EQ(notice->GetDlgItemText(IDC_NOTICE_BUTTON), "关机提醒 Shutdown soon!");
  // 102 x 49 dialog units, turned into pixels by the dialog's own font
  // (which differs between Windows, Wine and the fonts they find), plus the
  // thin border around them.
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  RECT expected{0, 0, 102, 49};
  ASSERT_TRUE(MapDialogRect(hwnd, &expected));
  const auto exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&expected, static_cast<DWORD>(style), FALSE, exStyle);
  const RECT own = notice->GetWindowRect();
  EXPECT_EQ(own.right - own.left, expected.right - expected.left);
  EXPECT_EQ(own.bottom - own.top, expected.bottom - expected.top);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);
  const SIZE screen = GetShell().GetDisplaySize();
  EXPECT_TRUE(PumpUntil([&] { return notice->GetWindowRect().top < screen.cy - 100; }, std::chrono::seconds{10}));
  Pump(200);
  EXPECT_EQ(notice->GetWindowRect().top, screen.cy - 105);
  SendMessageW(GetDlgItem(hwnd, IDC_NOTICE_BUTTON), BM_CLICK, 0, 0);
  Pump(50);
  EXPECT_FALSE(CChatAction::IsLive(notice));
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace vesk::ui
