// Real Win32 windows (run under Wine with Xvfb): the same notifications as
// the headless backend for the same actions, markup painted in its fonts
// and colours, the notification area, the hot key, popup menus, windows
// finding each other by class name, modal loops and the notice dialog.
#include "ui/framework/win32/win32_desktop.h"

#include <chrono>

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

// Dispatches what is queued, then waits for more until done() or the time
// runs out (for input that the system delivers asynchronously).
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

void Pump() {
  PumpUntil([] { return false; }, std::chrono::milliseconds{0});
}

class Win32Windows : public ::testing::Test {
 protected:
  Win32Windows() : os(clock), desktop(GetModuleHandleW(nullptr), os) {}
  ~Win32Windows() override {
    Pump();
  }

  HWND CreateMain(TestWindow& window) {
    return window.Create(nullptr, "VESK Technology Manager", 0x10CE0000, 0x100);
  }
  std::vector<Event> Take() { return std::exchange(log, {}); }
  HWND Child(HWND frame, const char* name) { return desktop.ControlWindow(frame, name); }

  sim::VirtualClock clock;
  sim::SimulatedOs os;
  Win32Desktop desktop;
  std::vector<Event> log;
};

TEST_F(Win32Windows, TheWindowIsARealWindowOfItsClassSizedByTheSkin) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  const HWND hwnd = CreateMain(main);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(Take(), (std::vector<Event>{{"InitWindow"}, {"selectchanged:Friday"}}));
  EXPECT_EQ(FindWindowA("VESKMainFrame", nullptr), hwnd);
  EXPECT_EQ(FindWindowW(L"VESKMainFrame", L"VESK Technology Manager"), hwnd);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, MulDiv(640, desktop.Dpi(), 96));
  EXPECT_EQ(client.bottom, MulDiv(480, desktop.Dpi(), 96));
  // Native lists and boxes, owner-drawn buttons, painted labels.
  EXPECT_NE(Child(hwnd, "StartHour1"), nullptr);
  EXPECT_EQ(SendMessageW(Child(hwnd, "StartHour1"), CB_GETCOUNT, 0, 0), 24);
  EXPECT_EQ(SendMessageW(Child(hwnd, "StartMinute3"), CB_GETCOUNT, 0, 0), 60);
  EXPECT_NE(Child(hwnd, "Friday"), nullptr);
  EXPECT_EQ(Child(hwnd, "CurrentTime"), nullptr);
  main.SetIcon(IDI_VESK);
  const HICON icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
  EXPECT_NE(icon, nullptr);
  EXPECT_EQ(icon, GetShell().LoadIconResource(IDI_VESK));
  EXPECT_NE(GetShell().LoadIconResource(IDI_VESK_WARNING), nullptr);
  DestroyWindow(hwnd);
}

TEST_F(Win32Windows, ASkinWithoutARequiredControlIsReportedAndNoWindowIsMade) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  main.required = {{"StartHour4", ControlKind::Combo}};
  EXPECT_EQ(CreateMain(main), nullptr);
  EXPECT_EQ(FindWindowA("VESKMainFrame", nullptr), nullptr);
  ASSERT_EQ(os.MessageBoxes().size(), 1u);
  const std::string& text = os.MessageBoxes()[0].text;
  EXPECT_NE(text.find("\\skin\\MainWndE.xml"), std::string::npos) << text;
  EXPECT_NE(text.find("control \"StartHour4\" (Combo) is missing"), std::string::npos) << text;
}

TEST_F(Win32Windows, UserAndProgramActionsReportWhatTheHeadlessBackendReports) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  const HWND hwnd = CreateMain(main);
  Pump();
  Take();

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
  // The controls' own commands never reached the window's handler.
  DestroyWindow(hwnd);
}

TEST_F(Win32Windows, TheCloseButtonClosesTheWindow) {
  TestWindow warning("DuiWarningFrame", "WarnWndE.xml", log);
  const HWND hwnd = warning.Create(nullptr, "vesk", 0x10CE0000, 0x100);
  ASSERT_NE(hwnd, nullptr);
  Take();
  SendMessageW(Child(hwnd, "closebtn"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(Take(), (std::vector<Event>{{"click:closebtn"}, {"OnDestroy"}, {"WM_CLOSE", IDOK, 0}, {"OnFinalMessage"}}));
}

TEST_F(Win32Windows, FindWindowAAndSendMessageAReachTheOtherWindowAtOnce) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  CreateMain(main);
  auto* warning = new TestWindow("DuiWarningFrame", "WarnWndE.xml", log);
  warning->deleteSelf = true;
  const HWND warningHwnd = warning->Create(main.GetHWND(), "vesk", 0x10CE0000, 0x100);
  LRESULT answered = -1;
  warning->notifyHook = [&](TNotifyUI& msg) {
    if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender->GetName() != "btnDelay") return;
    const HWND found = FindWindowA("VESKMainFrame", nullptr);
    answered = SendMessageA(found, kPing, 0, 90);
    log.push_back({"sent"});
    warning->Close(1);
  };
  Pump();
  Take();
  SendMessageW(desktop.ControlWindow(warningHwnd, "btnDelay"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(answered, 0);
  EXPECT_EQ(Take(), (std::vector<Event>{{"click:btnDelay"}, {"ping", 0, 90}, {"sent"}, {"OnDestroy"},
                                        {"WM_CLOSE", 1, 0}, {"OnFinalMessage"}}));
  EXPECT_FALSE(IsWindow(warningHwnd));
  EXPECT_TRUE(IsWindow(main.GetHWND()));
  DestroyWindow(main.GetHWND());
}

TEST_F(Win32Windows, ShowModalReturnsTheCloseCodeWhenTheWindowIsDestroyed) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  const HWND hwnd = CreateMain(main);
  main.PostMessage(WM_CLOSE, 3, 0);
  EXPECT_EQ(main.ShowModal(), 3u);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Win32Windows, TimersArriveAsWmTimerUntilTheWindowEndsTheModalLoop) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  main.quitOnDestroy = true;
  CreateMain(main);
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
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  const HWND hwnd = CreateMain(main);
  NotifyIconData data;
  data.cbSize = kNotifyIconDataSize;
  data.hWnd = hwnd;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallback;
  data.hIcon = GetShell().LoadIconResource(IDI_VESK);
  data.szTip = "VESK定时开关机软件";
  EXPECT_TRUE(GetShell().NotifyIcon(NIM_ADD, data));
  EXPECT_TRUE(GetShell().NotifyIcon(NIM_DELETE, data));
  EXPECT_FALSE(GetShell().NotifyIcon(NIM_DELETE, data));  // already gone
  data.cbSize = 528;
  EXPECT_FALSE(GetShell().NotifyIcon(NIM_ADD, data));  // not the wide record
  // The shell's callback reaches the window's handler.
  Take();
  PostMessageW(hwnd, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  Pump();
  EXPECT_EQ(Take(), (std::vector<Event>{{"tray", 0, WM_LBUTTONDBLCLK}}));
  DestroyWindow(hwnd);
}

TEST_F(Win32Windows, TheHotKeyIsDeliveredAsWmHotkey) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  const HWND hwnd = CreateMain(main);
  const ATOM atom = GetShell().AddGlobalAtom("MyHotKey");
  EXPECT_GE(atom, 0xC000);
  const int id = static_cast<uint16_t>(atom + 0x4000);
  ASSERT_TRUE(GetShell().RegisterHotKey(hwnd, id, MOD_ALT, 0x4A));
  Pump();
  Take();
  INPUT keys[4] = {};
  const WORD sequence[4][2] = {{VK_MENU, 0}, {0x4A, 0}, {0x4A, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP}};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = sequence[i][0];
    keys[i].ki.dwFlags = sequence[i][1];
  }
  ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
  EXPECT_TRUE(PumpUntil([&] {
    for (const auto& e : log) {
      if (e.what == "WM_HOTKEY") return true;
    }
    return false;
  }));
  bool delivered = false;
  for (const auto& e : Take()) {
    if (e.what != "WM_HOTKEY") continue;
    delivered = true;
    EXPECT_EQ(e.wParam, static_cast<WPARAM>(id));
    EXPECT_EQ(e.lParam, MAKELPARAM(MOD_ALT, 0x4A));
  }
  EXPECT_TRUE(delivered);
  EXPECT_TRUE(GetShell().UnregisterHotKey(hwnd, id));
  DestroyWindow(hwnd);
}

// Picks the first item of the open popup menu, from inside the menu's loop.
void CALLBACK PickFirstMenuItem(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu) return;
  KillTimer(nullptr, timer);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(Win32Windows, APopupMenusChoiceArrivesAsWmCommand) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  const HWND hwnd = CreateMain(main);
  Pump();
  Take();
  PopupMenu menu;
  menu.AppendItem(1, "exit");
  SetTimer(nullptr, 0, 100, &PickFirstMenuItem);
  GetShell().SetForegroundWindow(hwnd);
  const POINT at = GetShell().GetCursorPos();
  EXPECT_TRUE(GetShell().TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, hwnd));
  EXPECT_TRUE(PumpUntil([&] { return !log.empty(); }));
  EXPECT_EQ(Take(), (std::vector<Event>{{"WM_COMMAND", 1, 0}}));
  DestroyWindow(hwnd);
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

  struct Extent {
    int left = width, right = -1, top = height, bottom = -1;
    void Add(int x, int y) {
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  } red, blue;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80) red.Add(x, y);
      if (GetBValue(c) > 200 && GetRValue(c) < 80 && GetGValue(c) < 80) blue.Add(x, y);
    }
  }
  DeleteDC(dc);
  DeleteObject(bitmap);
  ASSERT_GE(red.right, 0) << "the red run was not painted";
  ASSERT_GE(blue.right, 0) << "the blue run was not painted";
  EXPECT_LT(red.right, blue.left);  // in order, side by side
  EXPECT_GT(blue.bottom - blue.top, 2 * (red.bottom - red.top) - 4);  // font 1 is the large one
  EXPECT_NEAR(red.bottom, blue.bottom, 2);  // one baseline
}

TEST_F(Win32Windows, LabelsShowTheProgramsMarkupOnTheWindow) {
  TestWindow main("VESKMainFrame", "MainWndE.xml", log);
  const HWND hwnd = CreateMain(main);
  auto* label = main.GetPaintManager().FindControl("LastShutdownTime");
  label->SetText("{f 1}{c #FF0000}17:30  Mon{/c}{/f}");
  SetForegroundWindow(hwnd);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  const RECT r{MulDiv(32, desktop.Dpi(), 96), MulDiv(104, desktop.Dpi(), 96), MulDiv(316, desktop.Dpi(), 96),
               MulDiv(136, desktop.Dpi(), 96)};
  HDC dc = GetDC(hwnd);
  int red = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      red += GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
    }
  }
  ReleaseDC(hwnd, dc);
  EXPECT_GT(red, 20);
  DestroyWindow(hwnd);
}

class Notice : public CDialog {
 public:
  explicit Notice(bool* gone) : CDialog(IDD_NOTICE), gone_(gone) {}
  BOOL OnInitDialog() override {
    const SIZE screen = GetShell().GetDisplaySize();
    const RECT own = GetWindowRect();
    MoveWindow(RECT{screen.cx - (own.right - own.left), screen.cy, screen.cx, screen.cy + (own.bottom - own.top)});
    SetDlgItemText(IDC_NOTICE_BUTTON, "关机提醒 Shutdown soon!");
    SetTimer(1, 10);
    return TRUE;
  }
  void OnTimer(UINT_PTR id) override {
    RECT r = GetWindowRect();
    r.top -= 5;
    r.bottom -= 5;
    MoveWindow(r);
    if (r.top < GetShell().GetDisplaySize().cy - 100) KillTimer(id);
  }
  void PostNcDestroy() override {
    *gone_ = true;
    delete this;
  }

 private:
  bool* gone_;
};

TEST_F(Win32Windows, TheNoticeDialogComesFromTemplate133RisesAndClosesOnItsButton) {
  bool gone = false;
  auto* notice = new Notice(&gone);
  ASSERT_TRUE(notice->Create());
  const HWND hwnd = notice->GetSafeHwnd();
  notice->ShowWindow(SW_SHOW);
  EXPECT_EQ(notice->GetDlgItemText(IDC_NOTICE_BUTTON), "关机提醒 Shutdown soon!");
  if (desktop.Dpi() == 96) {
    // 102 x 49 dialog units with the border; the height follows the dialog
    // font's height (Windows' own font gives 82, Wine's 76).
    const RECT own = notice->GetWindowRect();
    EXPECT_EQ(own.right - own.left, 155);
    EXPECT_GE(own.bottom - own.top, 76);
    EXPECT_LE(own.bottom - own.top, 82);
  }
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);
  const SIZE screen = GetShell().GetDisplaySize();
  EXPECT_TRUE(PumpUntil([&] { return notice->GetWindowRect().top < screen.cy - 100; }));
  Pump();
  EXPECT_EQ(notice->GetWindowRect().top, screen.cy - 105);
  SendMessageW(GetDlgItem(hwnd, IDC_NOTICE_BUTTON), BM_CLICK, 0, 0);
  Pump();
  EXPECT_TRUE(gone);
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace vesk::ui
