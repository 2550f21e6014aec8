// The warning window and the notification area: postponing, cancelling,
// replacing an older warning, the icons and the hot key. The menu's exit is
// proven by the whole-machine runs, its order by the entry routine's tests.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "ui/tests/window_rig.h"

namespace vesk::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Monday, five minutes before the 18:00 shutdown: the warning is there.
struct Warned : WindowRig {
  Warned() : WindowRig("mcu-amd", "2026-12-07 17:54:50") {
    SetFile(Daily(HM(8, 0), HM(18, 0)));
    Start();
    RunUntil("2026-12-07 17:55:01");
  }
};

TEST(WarningWindow, PostponementMovesTheShutdownAndTheWindowGoes) {
  Warned rig;
  const HWND warning = rig.Warning();
  ASSERT_TRUE(rig.desktop.DoubleClickTrayIcon(warning));
  EXPECT_EQ(rig.desktop.TrayIcon(warning), nullptr);
  rig.Postpone(1, 30);
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("19:30  Mon"));
  EXPECT_THAT(rig.Warnings(), IsEmpty());
  EXPECT_EQ(g_WarningWnd, nullptr);
}

TEST(WarningWindow, PostponingAfterTheShutdownCommandAbortsItFirst) {
  Warned rig;
  rig.RunUntil("2026-12-07 18:00:20");
  rig.Postpone(0, 30);
  rig.RunUntil("2026-12-07 18:31:00");
  EXPECT_THAT(rig.Commands(), ElementsAre(Ran("18:00:00", kShutdown), Ran("18:00:20", kAbort),
                                          Ran("18:30:00", kShutdown)));
}

TEST(WarningWindow, ZeroDelayIsRefusedAndCancelClearsTheTimetable) {
  Warned rig;
  const HWND warning = rig.Warning();
  rig.Postpone(0, 0);
  EXPECT_THAT(rig.MessageTexts(), ElementsAre("Notice: Not set delay time !"));
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("18:00  Mon"));

  ASSERT_TRUE(rig.Click("btnCancel", warning));
  EXPECT_THAT(rig.Warnings(), IsEmpty());
  EXPECT_FALSE(rig.HasFile());
  EXPECT_EQ(rig.machine.board.Mcu()->Register(0x00), 0);  // wake-up off
  EXPECT_THAT(rig.Commands(), ElementsAre(Ran("17:55:01", kAbort)));
  rig.RunUntil("2026-12-07 18:30:00");
  EXPECT_EQ(rig.Commands().size(), 1u);
}

// Without its skin the warning cannot be made; its error box runs a loop
// in which the clock ticks on. The fault is told once, the notice still warns.
TEST(WarningWindow, AMissingSkinIsReportedOnceAndTheNoticeStillComes) {
  const auto root = std::filesystem::temp_directory_path() / ("vesk-skin-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "skin");
  std::filesystem::copy_file(VESK_SOURCE_DIR "/skin/MainWndE.xml", root / "skin/MainWndE.xml");
  WindowRig rig{"mcu-amd", "2026-12-07 17:54:58", 1033, root.string()};
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  int depth = 0;
  rig.machine.os.SetMessageBoxHook([&](const sim::MessageBoxRecord&) {
    if (++depth < 4) rig.RunFor(3);
    return --depth, kIdOk;
  });
  rig.Start();
  rig.RunUntil("2026-12-07 17:58:00");
  std::filesystem::remove_all(root);
  EXPECT_EQ(rig.machine.os.MessageBoxes().size(), 1u);
  EXPECT_FALSE(rig.desktop.Dialogs().empty());
}

TEST(WarningWindow, NewerWarningClosesTheOlderAndItsIcon) {
  Warned rig;
  const HWND older = rig.Warning();
  rig.ShowMain();
  ASSERT_TRUE(rig.Click("btnOk"));  // saving lets the warning come again
  rig.RunFor(2);
  const auto warnings = rig.Warnings();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0], older);
  EXPECT_EQ(rig.desktop.TrayIcon(older), nullptr);
  EXPECT_EQ(g_WarningWnd->GetHWND(), warnings[0]);
}

TEST(WarningWindow, ItsMenuClosesOnlyTheWarning) {
  Warned rig;
  ASSERT_TRUE(rig.desktop.RightClickTrayIcon(rig.Warning()));
  ASSERT_TRUE(rig.desktop.ChooseMenuItem(1));
  EXPECT_THAT(rig.Warnings(), IsEmpty());
  EXPECT_NE(rig.desktop.TrayIcon(rig.main), nullptr);
  rig.RunUntil("2026-12-07 18:00:30");  // the shutdown stays as planned
  EXPECT_THAT(rig.Commands(), ElementsAre(Ran("18:00:00", kShutdown)));
}

TEST(WarningWindow, WithoutTheMainWindowNothingIsSent) {
  WindowRig rig;
  auto* warning = new CDuiWarningWnd(rig.machine.os);
  const HWND hwnd = warning->Create(nullptr, "vesk", kWindowStyle, kWindowExStyle);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(rig.Select("DelayMinute", 5, hwnd));
  ASSERT_TRUE(rig.Click("btnDelay", hwnd));
  ASSERT_TRUE(rig.Click("btnCancel", hwnd));
  const char* expected = "Notice: The VESK technology manager has stopped running !";
  EXPECT_THAT(rig.MessageTexts(), ElementsAre(expected, expected));
  EXPECT_TRUE(rig.desktop.IsWindow(hwnd));
}

// ------------------------------------------------------- notification area

TEST(Tray, HideRestoreAndHotKeyNeverMakeTwoIcons) {
  WindowRig rig;
  rig.Start();
  ASSERT_EQ(rig.desktop.TrayIcons().size(), 1u);
  const NotifyIconData& icon = rig.desktop.TrayIcons()[0].data;
  EXPECT_EQ(rig.desktop.IconResourceId(icon.hIcon), 131u);
  EXPECT_EQ(icon.szTip, "VESK Technology Manager.");
  EXPECT_FALSE(rig.Visible(rig.main));

  ASSERT_TRUE(rig.desktop.DoubleClickTrayIcon(rig.main));
  EXPECT_THAT(rig.desktop.TrayIcons(), IsEmpty());
  EXPECT_TRUE(rig.Visible(rig.main));

  ASSERT_TRUE(rig.Click("closebtn1"));
  rig.frame->MinimizeToTray();
  EXPECT_EQ(rig.desktop.TrayIcons().size(), 1u);
  EXPECT_FALSE(rig.Visible(rig.main));

  rig.desktop.SendMessage(rig.main, WM_HOTKEY, rig.frame->HotKeyId() + 1u, 0);  // not ours
  EXPECT_FALSE(rig.Visible(rig.main));
  rig.ShowMain();
  EXPECT_THAT(rig.desktop.TrayIcons(), IsEmpty());
  EXPECT_EQ(rig.desktop.ForegroundWindow(), rig.main);
  rig.desktop.SetForegroundWindow(nullptr);
  rig.ShowMain();  // already shown: brought to the front, no icon added
  EXPECT_THAT(rig.desktop.TrayIcons(), IsEmpty());
  EXPECT_EQ(rig.desktop.ForegroundWindow(), rig.main);
}

TEST(Tray, DestroyingTheMainWindowRemovesTheIconsAndEndsTheLoop) {
  Warned rig;
  rig.desktop.DestroyWindow(rig.main);
  EXPECT_THAT(rig.desktop.TrayIcons(), IsEmpty());
  EXPECT_EQ(rig.desktop.QuitCode(), 0);
  EXPECT_EQ(g_WarningWnd, nullptr);
}

}  // namespace
}  // namespace vesk::ui::testing
