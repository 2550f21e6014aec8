#pragma once
// A simulated machine (by default Monday 2026-12-07 08:00:00, English)
// running the program's main window on the headless desktop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/driver_access.h"
#include "history/history.h"
#include "schedule/schedule_file.h"
#include "sim/board/board_rig.h"
#include "ui/frame_wnd.h"
#include "ui/framework/headless/headless_desktop.h"
#include "ui/warning_wnd.h"

namespace vesk::ui::testing {

inline sim::SimTime At(const char* text) { return sim::ParseSimTime(text).value(); }
constexpr uint16_t HM(unsigned hour, unsigned minute) { return static_cast<uint16_t>(hour * 60 + minute); }

// Every day of the week one phase from start to end.
inline WeekSchedule Daily(uint16_t start, uint16_t end) {
  WeekSchedule week;
  for (auto& day : week.Days) day.Phases[0] = {1, start, end};
  return week;
}

struct WindowRig {
  // The skins come from skinRoot/skin.
  explicit WindowRig(std::string_view profile = "mcu-amd", const char* start = "2026-12-07 08:00:00",
                     uint16_t langId = 1033, std::string skinRoot = VESK_SOURCE_DIR)
      : machine(profile, At(start)), desktop(machine.os, machine.clock, std::move(skinRoot)) {
    machine.os.SetLangId(langId);
    // Days of one-second ticks would fill memory with the full log.
    machine.board.KeepLog(false);
    machine.board.SetAccessListener([this](const sim::BoardAccess& access) {
      if (access.kind == sim::AccessKind::BusWrite) writes.push_back(access);
    });
  }
  ~WindowRig() {
    frame.reset();
    ResetProcessWideState();
  }

  void SetFile(const WeekSchedule& week) {
    const auto image = ScheduleToBytes(week);
    machine.os.Files()[ScheduleFilePath(machine.os)].assign(image.begin(), image.end());
  }
  bool HasFile() { return machine.os.Files().count(ScheduleFilePath(machine.os)) != 0; }

  // As the entry routine does: drivers up, window made, centred, put in the tray.
  void Start() {
    StartDrivers(machine.driver);
    frame = std::make_unique<CDuiFrameWnd>(machine.os, machine.driver);
    main = frame->Create(nullptr, "VESK Technology Manager", kWindowStyle, kWindowExStyle);
    ASSERT_NE(main, nullptr) << (desktop.SetupErrors().empty() ? "" : desktop.SetupErrors().front());
    frame->CenterWindow();
    frame->MinimizeToTray();
  }

  void RunUntil(const char* time) { desktop.RunUntil(At(time)); }
  void RunFor(int seconds) { desktop.RunFor(std::chrono::seconds{seconds}); }

  std::string Text(const char* control, HWND window = nullptr) {
    CControlUI* found = desktop.Control(window ? window : main, control);
    return found ? found->GetText().str() : "<no control>";
  }
  bool Click(const char* control, HWND window = nullptr) { return desktop.Click(window ? window : main, control); }
  bool Select(const char* list, int index, HWND window = nullptr) {
    return desktop.SelectListItem(window ? window : main, list, index);
  }
  int Sel(const char* list) { return desktop.Control<CComboUI>(main, list)->GetCurSel(); }
  bool Checked(const char* box) { return desktop.Control<CCheckBoxUI>(main, box)->GetCheck(); }
  bool Selected(const char* day) { return desktop.Control<COptionUI>(main, day)->IsSelected(); }
  bool Visible(HWND window) { return desktop.IsWindowVisible(window) != 0; }
  void ShowMain() { ASSERT_TRUE(desktop.PressHotKey(MOD_ALT, 'J')); }

  HWND Warning() { return desktop.FindWindow(kWarningWindowClass); }
  // Opens the warning from its icon (if hidden) and postpones by hours:minutes.
  void Postpone(int hours, int minutes) {
    const HWND warning = Warning();
    if (!Visible(warning)) {
      ASSERT_TRUE(desktop.DoubleClickTrayIcon(warning));
    }
    ASSERT_TRUE(Select("DelayHour", hours, warning));
    ASSERT_TRUE(Select("DelayMinute", minutes, warning));
    ASSERT_TRUE(Click("btnDelay", warning));
  }
  std::vector<HWND> Warnings() {
    std::vector<HWND> found;
    for (HWND hwnd : desktop.Windows()) {
      if (desktop.WindowClass(hwnd) == kWarningWindowClass) found.push_back(hwnd);
    }
    return found;
  }

  // Command lines run so far, with their times.
  std::vector<std::string> Commands() {
    std::vector<std::string> lines;
    for (const auto& command : machine.os.Commands()) {
      lines.push_back(sim::FormatSimTime(command.at).substr(11, 8) + " " + command.commandLine);
    }
    return lines;
  }
  // The event IDs written to the system's event log, with the program's
  // history installed as its entry routine does (RecordHistory).
  void RecordHistory() { history = std::make_unique<RecordedHistory>(machine.os); }
  std::vector<uint16_t> EventIds() {
    std::vector<uint16_t> ids;
    for (const auto& entry : machine.os.EventLogEntries()) ids.push_back(entry.eventId);
    return ids;
  }
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const auto& box : machine.os.MessageBoxes()) texts.push_back(box.caption + ": " + box.text);
    return texts;
  }
  // Writes to one bus device ("bus-w 0xC2 0x0A 0x3C"), from index `from` of
  // the record on.
  std::vector<std::string> Writes(uint32_t address, std::size_t from = 0) {
    std::vector<std::string> lines;
    for (std::size_t i = from; i < writes.size(); ++i) {
      if (writes[i].address == address) lines.push_back(sim::Describe(writes[i]));
    }
    return lines;
  }

  struct RecordedHistory {
    explicit RecordedHistory(OsServices& os) : history(os), installed(history) {}
    history::History history;
    history::ScopedHistory installed;
  };

  sim::BoardRig machine;
  std::unique_ptr<RecordedHistory> history;
  ui::headless::HeadlessDesktop desktop;
  std::unique_ptr<CDuiFrameWnd> frame;
  HWND main = nullptr;
  std::vector<sim::BoardAccess> writes;
};

inline constexpr const char* kShutdown = "Cmd.exe /C shutdown -s -f -t 30";
inline constexpr const char* kAbort = "Cmd.exe /C shutdown -a";
// A command line as Commands() gives it: "18:00:00 Cmd.exe ...".
inline std::string Ran(const char* time, const char* command) { return std::string(time) + " " + command; }
// A label text in the program's blue (next events).
inline std::string Blue(const std::string& text) { return "{f 1}{c #1974F0}" + text + "{/c}{/f}"; }

}  // namespace vesk::ui::testing
