#include "sim/machine/window_actions.h"

#include <chrono>
#include <utility>

#include "platform/calendar.h"
#include "ui/framework/controls.h"
#include "ui/ui_globals.h"

namespace vesk::sim {

namespace {

const char* const kDayButtons[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

bool SetCheck(MachineDesktop& desktop, HWND window, const char* name, bool on) {
  auto* check = desktop.Control<ui::CCheckBoxUI>(window, name);
  return check && ((check->GetCheck() != 0) == on || desktop.Click(window, name));
}

// The list item whose text begins with `text`.
bool SelectItemStartingWith(MachineDesktop& desktop, HWND window, const char* list, const std::string& text) {
  const auto* combo = desktop.Control<ui::CComboUI>(window, list);
  for (int i = 0; combo && i < combo->GetCount(); ++i) {
    if (combo->GetItemText(i).str().starts_with(text)) return desktop.SelectListItem(window, list, i);
  }
  return false;
}

// A phase's box and lists, in the main window or the holidays window.
std::string SetPhaseControls(MachineDesktop& desktop, HWND window, int phase, bool on, int startMinutes,
                             int endMinutes) {
  const std::string n = std::to_string(phase);
  const std::string box = "EnablePhase" + n;
  if (!SetCheck(desktop, window, box.c_str(), on)) return "the window has no " + box + " to click";
  if (!on) return {};
  const std::pair<std::string, int> lists[] = {{"StartHour" + n, startMinutes / kMinutesPerHour},
                                               {"StartMinute" + n, startMinutes % kMinutesPerHour},
                                               {"EndHour" + n, endMinutes / kMinutesPerHour},
                                               {"EndMinute" + n, endMinutes % kMinutesPerHour}};
  for (const auto& [list, index] : lists) {
    if (!desktop.SelectListItem(window, list.c_str(), index)) return "the window is not shown";
  }
  return {};
}

std::string SetPhase(MachineDesktop& desktop, const ScriptStep& step, HWND main) {
  return SetPhaseControls(desktop, main, step.phase, step.on, step.startMinutes, step.endMinutes);
}

std::string InHolidayWindow(MachineDesktop& desktop, const ScriptStep& step) {
  const HWND window = desktop.FindWindow(ui::kHolidayWindowClass);
  if (!window || !desktop.IsWindowVisible(window)) return "the holidays window is not open";
  const std::string date = FormatDate(step.holiday.date);
  switch (step.action) {
    case UserAction::HolidaySave: return desktop.Click(window, "btnSave") ? std::string{} : "no save button";
    case UserAction::HolidayClose: return desktop.Click(window, "closebtn") ? std::string{} : "no close button";
    case UserAction::HolidayRemove:
      if (!SelectItemStartingWith(desktop, window, "HolidayList", date)) return "the list has no " + date;
      return desktop.Click(window, "btnRemove") ? std::string{} : "no remove button";
    default: break;
  }
  const std::chrono::year_month_day ymd{step.holiday.date};
  if (!SelectItemStartingWith(desktop, window, "Year", std::to_string(static_cast<int>(ymd.year()))) ||
      !desktop.SelectListItem(window, "Month", static_cast<int>(static_cast<unsigned>(ymd.month())) - 1) ||
      !desktop.SelectListItem(window, "Day", static_cast<int>(static_cast<unsigned>(ymd.day())) - 1)) {
    return "the date lists do not offer " + date;
  }
  const DaySchedule& periods = step.holiday.periods;
  if (!SetCheck(desktop, window, "DayOff", !periods.AnyPhaseOn())) return "the window has no DayOff to click";
  for (std::size_t n = 0; n < periods.Phases.size(); ++n) {
    const Phase& phase = periods.Phases[n];
    const std::string failure =
        SetPhaseControls(desktop, window, static_cast<int>(n + 1), phase.IsOn(), phase.Start, phase.End);
    if (!failure.empty()) return failure;
  }
  return desktop.Click(window, "btnAdd") ? std::string{} : "no add button";
}

std::string InWarningWindow(MachineDesktop& desktop, const ScriptStep& step) {
  const HWND warning = desktop.FindWindow(ui::kWarningWindowClass);
  if (!warning) return "there is no warning";
  if (!desktop.IsWindowVisible(warning) && !desktop.DoubleClickTrayIcon(warning)) return "the warning has no tray icon";
  if (step.action == UserAction::Cancel) {
    return desktop.Click(warning, "btnCancel") ? std::string{} : "the warning has no cancel button";
  }
  if (!desktop.SelectListItem(warning, "DelayHour", step.hours)) return "the warning's hour list has no such item";
  if (!desktop.SelectListItem(warning, "DelayMinute", step.minutes)) return "the warning's minute list has no such item";
  return desktop.Click(warning, "btnDelay") ? std::string{} : "the warning has no postpone button";
}

}  // namespace

std::string PerformInWindows(MachineDesktop& desktop, const ScriptStep& step, HWND main) {
  const auto failedUnless = [](bool done, const char* why) { return done ? std::string{} : std::string(why); };
  switch (step.action) {
    case UserAction::Open:
      return failedUnless(desktop.DoubleClickTrayIcon(main), "the program has no tray icon");
    case UserAction::HotKey:
      return failedUnless(desktop.PressHotKey(MOD_ALT, 'J'), "no program has registered Alt+J");
    case UserAction::Hide:
      return failedUnless(desktop.Click(main, "closebtn1"), "the window is not shown");
    case UserAction::Close:
      return failedUnless(desktop.CloseByUser(main), "the window is not shown");
    case UserAction::Select:
      return failedUnless(desktop.Click(main, kDayButtons[step.day]), "the window is not shown");
    case UserAction::Phase: return SetPhase(desktop, step, main);
    case UserAction::Save: return failedUnless(desktop.Click(main, "btnOk"), "the window is not shown");
    case UserAction::Clear: return failedUnless(desktop.Click(main, "btnClear"), "the window is not shown");
    case UserAction::Postpone:
    case UserAction::Cancel: return InWarningWindow(desktop, step);
    case UserAction::Exit:
      if (!desktop.RightClickTrayIcon(main)) return "the program has no tray icon";
      return failedUnless(desktop.ChooseMenuItem(ui::ID_TRAY_EXIT), "the menu has no exit");
    case UserAction::Holidays: return failedUnless(desktop.Click(main, "btnHolidays"), "the window is not shown");
    case UserAction::HolidayAdd:
    case UserAction::HolidayRemove:
    case UserAction::HolidaySave:
    case UserAction::HolidayClose: return InHolidayWindow(desktop, step);
    default: return "not a window action";
  }
}

}  // namespace vesk::sim
