// Windows on the headless backend (creating them from the shipped skins is
// proven by every test of the program's windows): skin faults, the
// notifications of user and program actions, the shell, timers on the
// virtual clock, modal loops, and the notice dialog.
#include "ui/framework/headless/headless_desktop.h"

#include <gtest/gtest.h>

#include "sim/os/simulated_os.h"
#include "ui/framework/tests/test_window.h"

namespace vesk::ui {
namespace {

using headless::HeadlessDesktop;
using namespace vesk::ui::test_support;
using namespace std::chrono_literals;
using Events = std::vector<Event>;

class Headless : public ::testing::Test {
 protected:
  Headless() : os(clock), desktop(os, clock, VESK_SOURCE_DIR) {}

  // Makes the main window and forgets what its creation reported.
  HWND Open() {
    const HWND hwnd = main.Create(nullptr, "VESK Technology Manager", 0x10CE0000, 0x100);
    Take();
    return hwnd;
  }
  HWND OpenWarning(TestWindow& warning, HWND owner = nullptr) {
    const HWND hwnd = warning.Create(owner, "vesk", 0x10CE0000, 0x100);
    Take();
    return hwnd;
  }
  Events Take() { return std::exchange(log, {}); }

  sim::VirtualClock clock;
  sim::SimulatedOs os;
  HeadlessDesktop desktop;
  Events log;
  TestWindow main{"VESKMainFrame", "MainWndE.xml", log};
};

TEST_F(Headless, ASkinFaultIsReportedByFileAndNameAndNoWindowIsMade) {
  main.required = {
      {"btnOk", ControlKind::Button}, {"StartHour4", ControlKind::Combo}, {"CurrentTime", ControlKind::CheckBox}};
  EXPECT_EQ(main.Create(nullptr, "VESK", 0x10CE0000, 0x100), nullptr);
  EXPECT_EQ(main.GetHWND(), nullptr);
  EXPECT_EQ(desktop.FindWindow("VESKMainFrame"), nullptr);
  ASSERT_EQ(os.MessageBoxes().size(), 1u);
  const std::string& text = os.MessageBoxes()[0].text;
  EXPECT_NE(text.find(std::string(VESK_SOURCE_DIR) + "/skin/MainWndE.xml"), std::string::npos) << text;
  EXPECT_NE(text.find("control \"StartHour4\" (Combo) is missing; control \"CurrentTime\" is a Label but must be a "
                      "CheckBox"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("btnOk"), std::string::npos) << text;
  EXPECT_EQ(os.MessageBoxes()[0].type, kMbIconError);

  TestWindow missing("VESKMainFrame", "NoSuchSkin.xml", log);
  EXPECT_EQ(missing.Create(nullptr, "VESK", 0x10CE0000, 0x100), nullptr);
  ASSERT_FALSE(desktop.SetupErrors().empty());
  EXPECT_NE(desktop.SetupErrors().back().find("NoSuchSkin.xml\" of window class \"VESKMainFrame\": the file cannot be read"),
            std::string::npos)
      << desktop.SetupErrors().back();
  // InitWindow never ran; the windows went the way of a refused creation.
  EXPECT_EQ(Take(), (Events{{"OnDestroy"}, {"OnFinalMessage"}, {"OnDestroy"}, {"OnFinalMessage"}}));
}

TEST_F(Headless, UserAndProgramActionsReportTheSameNotifications) {
  const HWND hwnd = Open();
  auto& pm = main.GetPaintManager();
  EXPECT_TRUE(desktop.Click(hwnd, "Monday"));
  EXPECT_TRUE(desktop.Click(hwnd, "EnablePhase2"));
  EXPECT_TRUE(desktop.SelectListItem(hwnd, "StartMinute2", 30));
  EXPECT_TRUE(desktop.Click(hwnd, "btnOk"));
  EXPECT_EQ(Take(), UserActionRecord());
  EXPECT_TRUE(pm.FindControl<CCheckBoxUI>("EnablePhase2")->GetCheck());
  EXPECT_TRUE(pm.FindControl("btnOk")->IsFocused());  // the last control the user touched

  ProgramActions(pm);
  EXPECT_EQ(Take(), ProgramActionRecord());

  // The user cannot reach missing controls, labels or hidden windows.
  EXPECT_FALSE(desktop.Click(hwnd, "NoSuchButton"));
  EXPECT_FALSE(desktop.Click(hwnd, "CurrentTime"));
  EXPECT_FALSE(desktop.SelectListItem(hwnd, "btnOk", 0));
  main.ShowWindow(false);
  EXPECT_FALSE(desktop.IsWindowVisible(hwnd));
  EXPECT_FALSE(desktop.Click(hwnd, "btnOk"));
  EXPECT_TRUE(Take().empty());
}

// The skin's closebtn (code 1) is the shared window code's, proven on real
// windows; here the title bar's box, which only the desktop has.
TEST_F(Headless, TheTitleBarsBoxClosesWithCodeZero) {
  const HWND mainHwnd = Open();
  main.quitOnDestroy = true;
  EXPECT_TRUE(desktop.CloseByUser(mainHwnd));
  EXPECT_FALSE(desktop.IsWindow(mainHwnd));
  EXPECT_EQ(Take(), (Events{{"OnDestroy"}, {"WM_CLOSE", 0, 0}, {"OnFinalMessage"}}));
  EXPECT_EQ(desktop.QuitCode(), 0);
  EXPECT_FALSE(desktop.CloseByUser(mainHwnd));
}

TEST_F(Headless, AWindowThatDeletesItselfInsideItsOwnHandlerIsFinishedAfterTheHandler) {
  auto* warning = new TestWindow("DuiWarningFrame", "WarnWndE.xml", log);
  warning->deleteSelf = true;
  // The handler goes on using its members after destroying its window.
  warning->notifyHook = [warning](TNotifyUI& msg) {
    if (msg.pSender->GetName() == "btnCancel") {
      GetShell().SendMessage(warning->GetHWND(), WM_CLOSE, 7, 0);
      warning->required.clear();
    }
  };
  const HWND hwnd = OpenWarning(*warning);
  EXPECT_TRUE(desktop.Click(hwnd, "btnCancel"));
  EXPECT_FALSE(desktop.IsWindow(hwnd));
  const auto events = Take();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().what, "OnFinalMessage");
}

TEST_F(Headless, TrayIconsTakeOnlyTheWideRecordOncePerWindowAndIdAndStopMidDoubleClick) {
  const HWND hwnd = Open();
  auto& shell = GetShell();
  auto data = TrayRecord(hwnd, "VESK");
  data.cbSize = 528;  // the narrow record's size
  EXPECT_FALSE(shell.NotifyIcon(NIM_ADD, data));
  data.cbSize = kNotifyIconDataSize;
  EXPECT_TRUE(shell.NotifyIcon(NIM_ADD, data));
  EXPECT_FALSE(shell.NotifyIcon(NIM_ADD, data));
  // The double click stops when the window removes its icon on the way.
  main.messageHook = [&](UINT msg, WPARAM, LPARAM lParam) {
    if (msg == kTrayCallback && lParam == WM_LBUTTONDBLCLK) shell.NotifyIcon(NIM_DELETE, data);
  };
  EXPECT_TRUE(desktop.DoubleClickTrayIcon(hwnd));
  EXPECT_EQ(Take().back(), (Event{"tray", 0, WM_LBUTTONDBLCLK}));
  EXPECT_FALSE(shell.NotifyIcon(NIM_DELETE, data));  // a missing icon: harmless failure
}

TEST_F(Headless, AHotKeyIsOnePerKeyAndReachesItsWindowOnlyWithItsModifiers) {
  const HWND hwnd = Open();
  auto& shell = GetShell();
  const ATOM atom = shell.AddGlobalAtom("MyHotKey");
  EXPECT_EQ(shell.AddGlobalAtom("myhotkey"), atom);  // one atom per name
  const int id = static_cast<uint16_t>(atom + 0x4000);
  EXPECT_TRUE(shell.RegisterHotKey(hwnd, id, MOD_ALT, 0x4A));
  EXPECT_FALSE(shell.RegisterHotKey(hwnd, id + 1, MOD_ALT, 0x4A));  // Alt+J is taken
  EXPECT_FALSE(desktop.PressHotKey(MOD_ALT | MOD_SHIFT, 0x4A));
  EXPECT_TRUE(desktop.PressHotKey(MOD_ALT, 0x4A));
  EXPECT_EQ(Take(), (Events{{"WM_HOTKEY", static_cast<WPARAM>(id), MAKELPARAM(MOD_ALT, 0x4A)}}));
}

TEST_F(Headless, TimersFireOnTheVirtualClockInDueOrderAndStopWithTheWindow) {
  Open();
  const auto start = clock.Now();
  std::vector<std::pair<UINT_PTR, sim::Microseconds>> fired;
  main.messageHook = [&](UINT msg, WPARAM id, LPARAM) {
    if (msg == WM_TIMER) fired.emplace_back(id, clock.Now() - start);
  };
  main.SetTimer(1, 1000);
  main.SetTimer(2, 40000);
  main.SetTimer(3, 5000);
  desktop.RunFor(40s);
  ASSERT_EQ(fired.size(), 40u + 8u + 1u);
  EXPECT_EQ(fired[0], std::make_pair(UINT_PTR{1}, sim::Microseconds{1s}));
  EXPECT_EQ(fired[5], std::make_pair(UINT_PTR{3}, sim::Microseconds{5s}));  // after timer 1's 5 s tick
  // Timers due at the same moment come in the order they were set.
  EXPECT_EQ(fired[fired.size() - 2], std::make_pair(UINT_PTR{2}, sim::Microseconds{40s}));
  EXPECT_EQ(fired.back(), std::make_pair(UINT_PTR{3}, sim::Microseconds{40s}));
  EXPECT_TRUE(main.KillTimer(2));
  EXPECT_FALSE(main.KillTimer(2));
  fired.clear();
  desktop.RunFor(10s);
  EXPECT_EQ(fired.size(), 10u + 2u);
  desktop.DestroyWindow(main.GetHWND());
  EXPECT_FALSE(desktop.NextTimerDue());
}

TEST_F(Headless, ALateHandlerOrTimeOutsideTheLoopGivesOnePendingTickNotMany) {
  Open();
  const auto start = clock.Now();
  std::vector<sim::Microseconds> ticks;
  main.messageHook = [&](UINT msg, WPARAM, LPARAM) {
    if (msg != WM_TIMER) return;
    ticks.push_back(clock.Now() - start);
    if (ticks.size() == 2) clock.Advance(3500ms);  // a slow bus transfer or a message box
  };
  main.SetTimer(1, 1000);
  desktop.RunFor(8s);
  // 1 s, 2 s (runs until 5.5 s), the one pending tick at once, then 6, 7, 8.
  EXPECT_EQ(ticks, (std::vector<sim::Microseconds>{1s, 2s, 5500ms, 6s, 7s, 8s}));

  clock.Advance(10500ms);  // nobody ran the message loop meanwhile
  desktop.RunFor(0s);
  EXPECT_EQ(ticks.size(), 7u);
  desktop.RunFor(500ms);
  EXPECT_EQ(ticks.size(), 8u);
}

TEST_F(Headless, ShowModalReturnsWhenTheWindowIsDestroyedOrTheQueueIsEmpty) {
  const HWND hwnd = Open();
  main.PostMessage(kPing, 1, 2);
  EXPECT_EQ(main.ShowModal(), 0u);  // no driver: leaves once the queue is empty
  EXPECT_EQ(Take(), (Events{{"ping", 1, 2}}));
  EXPECT_TRUE(desktop.IsWindow(hwnd));

  main.quitOnDestroy = true;
  main.SetTimer(1, 1000);
  int driven = 0;
  desktop.SetModalDriver([&](HeadlessDesktop& d) {
    d.RunFor(1s);
    if (++driven == 3) d.DestroyWindow(hwnd);
    return true;
  });
  EXPECT_EQ(main.ShowModal(), 0u);
  EXPECT_EQ(driven, 3);
  EXPECT_EQ(main.GetHWND(), nullptr);
  EXPECT_EQ(desktop.QuitCode(), 0);
}

TEST_F(Headless, ADialogOfAnUnknownTemplateIsNotMade) {
  class Other : public CDialog {
   public:
    Other() : CDialog(999) {}
  } other;
  EXPECT_FALSE(other.Create());
  EXPECT_TRUE(desktop.Dialogs().empty());
}

}  // namespace
}  // namespace vesk::ui
