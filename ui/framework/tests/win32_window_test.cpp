// Real Win32 windows (run under Wine with Xvfb): the same notifications as
// the headless backend for the same actions, markup painted in its fonts
// and colours, the notification area and modal loops.
// The hot key, popup menus, windows finding each other by class name and
// the notice dialog are proven with the program's own windows.
#include "ui/framework/win32/win32_desktop.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "sim/os/simulated_os.h"
#include "ui/framework/dialog.h"
#include "ui/framework/tests/test_window.h"
#include "ui/framework/win32/frame_view.h"

namespace vesk::ui {
namespace {

using namespace vesk::ui::test_support;
using win32::Win32Desktop;

class Win32Windows : public ::testing::Test {
 protected:
  Win32Windows() : os(clock), desktop(GetModuleHandleW(nullptr), os) {}
  ~Win32Windows() override { Pump(); }

  // Makes the main window and forgets what its creation reported.
  HWND Open() {
    const HWND hwnd = main.Create(nullptr, "VESK Technology Manager", 0x10CE0000, 0x100);
    Pump();
    Take();
    return hwnd;
  }
  std::vector<Event> Take() { return std::exchange(log, {}); }
  HWND Child(HWND frame, const char* name) { return desktop.ControlWindow(frame, name); }

  sim::VirtualClock clock;
  sim::SimulatedOs os;
  Win32Desktop desktop;
  std::vector<Event> log;
  TestWindow main{"VESKMainFrame", "MainWndE.xml", log};
};

TEST_F(Win32Windows, TheWindowIsARealWindowOfItsClassSizedByTheSkin) {
  const HWND hwnd = main.Create(nullptr, "VESK Technology Manager", 0x10CE0000, 0x100);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(Take(), (std::vector<Event>{{"InitWindow"}, {"selectchanged:Friday"}}));
  EXPECT_EQ(FindWindowW(L"VESKMainFrame", L"VESK Technology Manager"), hwnd);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  // The resolution is the one the run asked the prefix for, not the host's.
  if (const char* asked = std::getenv("VESK_WINE_DPI")) {
    EXPECT_EQ(desktop.Dpi(), std::atoi(asked));
  }
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, MulDiv(640, desktop.Dpi(), 96));
  EXPECT_EQ(client.bottom, MulDiv(480, desktop.Dpi(), 96));
  // Native lists and boxes, owner-drawn buttons, painted labels.
  EXPECT_EQ(SendMessageW(Child(hwnd, "StartHour1"), CB_GETCOUNT, 0, 0), 24);
  EXPECT_NE(Child(hwnd, "Friday"), nullptr);
  EXPECT_EQ(Child(hwnd, "CurrentTime"), nullptr);
  main.SetIcon(IDI_VESK);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0)),
            GetShell().LoadIconResource(IDI_VESK));
  DestroyWindow(hwnd);
}

TEST_F(Win32Windows, ASkinWithoutARequiredControlIsReportedAndNoWindowIsMade) {
  main.required = {{"StartHour4", ControlKind::Combo}};
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(FindWindowA("VESKMainFrame", nullptr), nullptr);
  ASSERT_EQ(os.MessageBoxes().size(), 1u);
  const std::string& text = os.MessageBoxes()[0].text;
  EXPECT_NE(text.find("\\skin\\MainWndE.xml"), std::string::npos) << text;
  EXPECT_NE(text.find("control \"StartHour4\" (Combo) is missing"), std::string::npos) << text;
}

TEST_F(Win32Windows, UserAndProgramActionsReportWhatTheHeadlessBackendReports) {
  const HWND hwnd = Open();

  // The user: clicks on the native controls, a pick from the list.
  SendMessageW(Child(hwnd, "Monday"), BM_CLICK, 0, 0);
  SendMessageW(Child(hwnd, "EnablePhase2"), BM_CLICK, 0, 0);
  const HWND minutes = Child(hwnd, "StartMinute2");
  SendMessageW(minutes, CB_SETCURSEL, 30, 0);  // what the list does when the user picks...
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(minutes), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(minutes));  // ...and tells its window
  SendMessageW(Child(hwnd, "btnOk"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(Take(), UserActionRecord());
  EXPECT_EQ(SendMessageW(Child(hwnd, "EnablePhase2"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(main.GetPaintManager().FindControl<COptionUI>("Monday")->IsSelected());

  // The program: the screen follows the model.
  ProgramActions(main.GetPaintManager());
  EXPECT_EQ(Take(), ProgramActionRecord());
  EXPECT_EQ(SendMessageW(Child(hwnd, "EnablePhase2"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(minutes, CB_GETCURSEL, 0, 0), 45);
  DestroyWindow(hwnd);
}

TEST_F(Win32Windows, CloseButtonModalCloseCodeAndTimersUntilTheWindowEndsTheModalLoop) {
  TestWindow closed("DuiWarningFrame", "WarnWndE.xml", log);
  const HWND closedHwnd = closed.Create(nullptr, "vesk", 0x10CE0000, 0x100);
  Take();
  SendMessageW(Child(closedHwnd, "closebtn"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(closedHwnd));
  EXPECT_EQ(Take(), (std::vector<Event>{{"click:closebtn"}, {"OnDestroy"}, {"WM_CLOSE", IDOK, 0}, {"OnFinalMessage"}}));

  TestWindow warning("DuiWarningFrame", "WarnWndE.xml", log);
  const HWND hwnd = warning.Create(nullptr, "vesk", 0x10CE0000, 0x100);
  warning.PostMessage(WM_CLOSE, 3, 0);
  EXPECT_EQ(warning.ShowModal(), 3u);
  EXPECT_FALSE(IsWindow(hwnd));

  main.quitOnDestroy = true;
  Open();
  int ticks = 0;
  main.messageHook = [&](UINT msg, WPARAM id, LPARAM) {
    if (msg == WM_TIMER && id == 7 && ++ticks == 3) DestroyWindow(main.GetHWND());
  };
  EXPECT_NE(main.SetTimer(7, 30), 0u);
  EXPECT_EQ(main.ShowModal(), 0u);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(main.GetHWND(), nullptr);
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // OnDestroy's quit request
}

TEST_F(Win32Windows, TrayIconsAreAddedAndDeletedWithTheWideRecord) {
  const HWND hwnd = Open();
  auto data = TrayRecord(hwnd, "VESK定时开关机软件");
  EXPECT_TRUE(GetShell().NotifyIcon(NIM_ADD, data));
  EXPECT_TRUE(GetShell().NotifyIcon(NIM_DELETE, data));
  EXPECT_FALSE(GetShell().NotifyIcon(NIM_DELETE, data));  // already gone
  data.cbSize = 528;
  EXPECT_FALSE(GetShell().NotifyIcon(NIM_ADD, data));  // not the wide record
  // The shell's callback reaches the window's handler.
  PostMessageW(hwnd, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  Pump();
  EXPECT_EQ(Take(), (std::vector<Event>{{"tray", 0, WM_LBUTTONDBLCLK}}));
  DestroyWindow(hwnd);
}

// Where pure red (or blue) pixels are in r of dc, and how many.
struct Extent {
  int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1, count = 0;
};
Extent Find(HDC dc, RECT r, bool blue) {
  Extent e;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      const int wanted = blue ? GetBValue(c) : GetRValue(c), other = blue ? GetRValue(c) : GetBValue(c);
      if (wanted <= 200 || other >= 80 || GetGValue(c) >= 80) continue;
      ++e.count;
      e.left = std::min(e.left, x), e.right = std::max(e.right, x), e.top = std::min(e.top, y);
      e.bottom = std::max(e.bottom, y);
    }
  }
  return e;
}

TEST_F(Win32Windows, MarkupRunsArePaintedInTheirFontsAndColours) {
  std::string error;
  const auto skin = ParseSkin(
      "<Window size=\"10,10\"><Font id=\"0\" name=\"Tahoma\" size=\"12\"/>"
      "<Font id=\"1\" name=\"Tahoma\" size=\"32\" bold=\"true\"/></Window>",
      error);
  ASSERT_TRUE(skin) << error;
  const win32::FontSet fonts(*skin, 96);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  const int width = 300, height = 60;
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  SelectObject(dc, bitmap);
  const RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  win32::DrawRuns(dc, all, ParseMarkup("{c #FF0000}ABC{/c}{f 1}{c #0000FF}DEF{/c}{/f}"), fonts, {0, 0, TextAlign::Left});

  const Extent red = Find(dc, all, false), blue = Find(dc, all, true);
  DeleteDC(dc);
  DeleteObject(bitmap);
  ASSERT_GE(red.right, 0) << "the red run was not painted";
  ASSERT_GE(blue.right, 0) << "the blue run was not painted";
  EXPECT_LT(red.right, blue.left);  // in order, side by side
  EXPECT_GT(blue.bottom - blue.top, 2 * (red.bottom - red.top) - 4);  // font 1 is the large one
  EXPECT_NEAR(red.bottom, blue.bottom, 2);  // one baseline
}

TEST_F(Win32Windows, LabelsShowTheProgramsMarkupOnTheWindow) {
  const HWND hwnd = Open();
  auto* label = main.GetPaintManager().FindControl("LastShutdownTime");
  label->SetText("{f 1}{c #FF0000}17:30  Mon{/c}{/f}");
  SetForegroundWindow(hwnd);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  const RECT r{MulDiv(32, desktop.Dpi(), 96), MulDiv(104, desktop.Dpi(), 96), MulDiv(316, desktop.Dpi(), 96),
               MulDiv(136, desktop.Dpi(), 96)};
  HDC dc = GetDC(hwnd);
  EXPECT_GT(Find(dc, r, false).count, 20);
  ReleaseDC(hwnd, dc);
  DestroyWindow(hwnd);
}

}  // namespace
}  // namespace vesk::ui
