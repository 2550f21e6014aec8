// The timetable editor of the main window: the day buttons, the three
// phases of the selected day, saving and clearing.
#include <cstring>

#include "platform/calendar.h"
#include "schedule/alarm/wake_alarm.h"
#include "schedule/schedule_file.h"
#include "schedule/validation.h"
#include "ui/frame_wnd.h"
#include "ui/history_events.h"
#include "ui/main_skin.h"

namespace vesk::ui {
namespace {

constexpr uint16_t kEnableBit = 0x0001;

// Day button texts: unsaved change, a phase in force, nothing in force.
constexpr const char* kDayChangedFormat = "{f 1}{c #F27D30}%s{/c}{/f}";
constexpr const char* kDayActiveFormat = "{f 1}{c #FFFFFF}%s{/c}{/f}";
constexpr const char* kDayIdleFormat = "{f 1}{c #808080}%s{/c}{/f}";

// A failed load, save or clear: what was not done, what stays, and why.
struct FileFailureTexts {
  const char* caption;
  const char* load;
  const char* save;
  const char* clear;
  const char* noFolder;
};
constexpr FileFailureTexts kFileFailureChinese{"提示", "时间表无法载入。", "时间表无法保存，原时间表继续有效。",
                                               "时间表无法清除，仍然有效。", "无法确定程序所在的文件夹。"};
constexpr FileFailureTexts kFileFailureEnglish{"Notice", "The timetable cannot be loaded.",
                                               "The timetable cannot be saved; the one in force stays.",
                                               "The timetable cannot be cleared; it stays in force.",
                                               "The program's folder is unknown."};

// Shows one half of a stored time in its list. A half that the list cannot
// show (an hour of 24 or more from a file) leaves the list without a
// selection, so that it never shows another day's value.
void ShowListValue(CComboUI* list, unsigned value) {
  if (!list) return;
  const int index = value < static_cast<unsigned>(list->GetCount()) ? static_cast<int>(value) : -1;
  list->SelectItem(index);
}

// The list's value, or the stored half when the list has no selection.
unsigned ListValueOr(const CComboUI* list, unsigned stored) {
  if (!list || list->GetCurSel() < 0) return stored;
  return static_cast<unsigned>(list->GetCurSel());
}

// The history's name of a refused timetable's first fault.
const char* FaultName(ScheduleFault fault) {
  switch (fault) {
    case ScheduleFault::kPhase1EndNotAfterStart: return "phase1-end-not-after-start";
    case ScheduleFault::kPhase2EndNotAfterStart: return "phase2-end-not-after-start";
    case ScheduleFault::kPhase3EndNotAfterStart: return "phase3-end-not-after-start";
    case ScheduleFault::kPhasesOverlap: return "phases-overlap";
    case ScheduleFault::kAllPhasesOff: return "all-phases-off";
    case ScheduleFault::kNone: break;
  }
  return "none";
}

}  // namespace

void CDuiFrameWnd::Notify(TNotifyUI& msg) {
  const std::string sender = msg.pSender ? msg.pSender->GetName().str() : std::string{};
  if (msg.sType == DUI_MSGTYPE_CLICK) {
    if (sender == main_skin::kSaveButton) {
      SaveSchedule();
    } else if (sender == main_skin::kClearButton) {
      ClearSchedule();
    } else if (sender == main_skin::kHideButton) {
      MinimizeToTray();
    } else if (sender == main_skin::kHolidaysButton) {
      OpenHolidays();
    }
  }

  if (m_Loading == 0) {
    if (msg.sType == DUI_MSGTYPE_SELECTCHANGED) {
      bool handled = false;
      for (int day = 0; day < kDaysPerWeek && !handled; ++day) {
        if (sender != main_skin::DayButtonName(day)) continue;
        m_CurrentDay = static_cast<uint8_t>(day);
        ShowDaySchedule();
        handled = true;
      }
      for (std::size_t n = 0; n < main_skin::kPhases.size() && !handled; ++n) {
        if (sender != main_skin::kPhases[n].enable) continue;
        const auto* box = m_PaintManager.FindControl<CCheckBoxUI>(main_skin::kPhases[n].enable);
        m_EditSchedule.Days[m_CurrentDay].Phases[n].Enable = box && box->GetCheck() ? 1 : 0;
        handled = true;
      }
    } else if (msg.sType == DUI_MSGTYPE_ITEMSELECT) {
      EditPhaseTime(sender);
    }
    UpdateDayButton(m_CurrentDay);
  }

  WindowImplBase::Notify(msg);
}

// A new value in one list of a pair sets the phase's time from both lists.
// When the other list of the pair shows nothing (its half of the stored
// time lies beyond the list), that half is kept as stored; a result that
// 16 bits cannot hold leaves the time as it was.
bool CDuiFrameWnd::EditPhaseTime(const std::string& sender) {
  for (std::size_t n = 0; n < main_skin::kPhases.size(); ++n) {
    const auto& names = main_skin::kPhases[n];
    Phase& phase = m_EditSchedule.Days[m_CurrentDay].Phases[n];
    uint16_t* time = nullptr;
    const char* hourList = nullptr;
    const char* minuteList = nullptr;
    if (sender == names.startHour || sender == names.startMinute) {
      time = &phase.Start;
      hourList = names.startHour;
      minuteList = names.startMinute;
    } else if (sender == names.endHour || sender == names.endMinute) {
      time = &phase.End;
      hourList = names.endHour;
      minuteList = names.endMinute;
    } else {
      continue;
    }
    const unsigned hour = ListValueOr(m_PaintManager.FindControl<CComboUI>(hourList), *time / kMinutesPerHour);
    const unsigned minute =
        ListValueOr(m_PaintManager.FindControl<CComboUI>(minuteList), *time % kMinutesPerHour);
    const unsigned value = hour * kMinutesPerHour + minute;
    if (value <= UINT16_MAX) *time = static_cast<uint16_t>(value);
    return true;
  }
  return false;
}

void CDuiFrameWnd::ShowDaySchedule() {
  m_Loading = 1;
  const DaySchedule& day = m_EditSchedule.Days[m_CurrentDay % kDaysPerWeek];
  for (std::size_t n = 0; n < main_skin::kPhases.size(); ++n) {
    const auto& names = main_skin::kPhases[n];
    const Phase& phase = day.Phases[n];
    ShowListValue(m_PaintManager.FindControl<CComboUI>(names.startHour), phase.Start / kMinutesPerHour);
    ShowListValue(m_PaintManager.FindControl<CComboUI>(names.startMinute), phase.Start % kMinutesPerHour);
    ShowListValue(m_PaintManager.FindControl<CComboUI>(names.endHour), phase.End / kMinutesPerHour);
    ShowListValue(m_PaintManager.FindControl<CComboUI>(names.endMinute), phase.End % kMinutesPerHour);
    if (auto* box = m_PaintManager.FindControl<CCheckBoxUI>(names.enable)) {
      box->SetCheck((phase.Enable & kEnableBit) != 0);
    }
  }
  m_Loading = 0;
}

void CDuiFrameWnd::UpdateDayButton(uint8_t day) {
  if (day >= kDaysPerWeek) return;
  auto* button = m_PaintManager.FindControl(main_skin::DayButtonName(day).c_str());
  if (!button) return;
  std::string caption;
  GetDayText(caption, DayTextKind::kShortName, day, LangID);

  const DaySchedule& active = m_ActiveSchedule.Days[day];
  const char* format = kDayIdleFormat;
  if (std::memcmp(&active, &m_EditSchedule.Days[day], kDayScheduleBytes) != 0) {
    format = kDayChangedFormat;
  } else if (active.AnyPhaseOn()) {
    format = kDayActiveFormat;
  }
  CDuiString text;
  text.Format(format, caption.c_str());
  button->SetText(text);
}

void CDuiFrameWnd::ReportFileFailure(FileTask task, const FileResult& result) {
  const FileFailureTexts& texts = IsChinese(LangID) ? kFileFailureChinese : kFileFailureEnglish;
  std::string text = task == FileTask::kLoad ? texts.load : task == FileTask::kSave ? texts.save : texts.clear;
  const std::string reason = ScheduleFilePath(os_).empty() ? texts.noFolder : result.reason;
  if (!reason.empty()) text += (IsChinese(LangID) ? "" : " ") + reason;
  os_.ShowMessageBox(text, texts.caption, kMbIconError);
}

// The file is written before anything changes, so that what the window
// shows is what the next start will find: a failed write leaves the
// timetable in force as it was and the edits in the editor.
void CDuiFrameWnd::SaveSchedule() {
  // A refusal has shown its message; the edits stay for the user to mend.
  if (!ValidateSchedule(m_EditSchedule, LangID, os_)) {
    const ScheduleCheck check = CheckSchedule(m_EditSchedule);
    history::Record("save-refused", {{"reason", FaultName(check.fault)}, {"day", std::to_string(check.day)}});
    return;
  }
  if (const FileResult written = WriteScheduleFile(os_, m_EditSchedule); !written) {
    history::Record("save-failed", {{"reason", written.reason}}, history::EventKind::SaveFailed);
    ReportFileFailure(FileTask::kSave, written);
    return;
  }
  history::Record("save");
  m_ScheduleUnreadable = false;
  m_ActiveSchedule = m_EditSchedule;
  for (uint8_t day = 0; day < kDaysPerWeek; ++day) UpdateDayButton(day);

  // The system's shutdown, if the old timetable started one, would switch
  // the machine off whatever the new one says; the new one starts it again
  // in the next tick if it is due now.
  if (m_ShutdownIssued != 0) {
    os_.RunHidden(kAbortShutdownCommand);
    RecordShutdownAborted("saved");
  }
  m_Armed = 0;
  m_ShutdownIssued = 0;
  m_WarningShown = 0;
  ClearPostponement();
  ShowNextEvents();
  m_Armed = 1;
}

// Likewise the file goes first: a file that stays would bring the timetable
// back at the next start, so then the timetable stays in force now too.
void CDuiFrameWnd::ClearSchedule() {
  if (const FileResult removed = DeleteScheduleFile(os_); removed.status == FileResult::Status::kFailed) {
    history::Record("clear-failed", {{"reason", removed.reason}}, history::EventKind::ClearFailed);
    ReportFileFailure(FileTask::kClear, removed);
    return;
  }
  history::Record("clear");
  m_ScheduleUnreadable = false;
  if (m_ShutdownIssued != 0) RecordShutdownAborted("cleared");
  m_Armed = 0;
  m_ShutdownIssued = 0;
  ClearPostponement();
  m_WakeAlarm.Clear();
  m_WakeUpHistory.Forget();
  os_.RunHidden(kAbortShutdownCommand);
  m_EditSchedule = WeekSchedule{};
  m_ActiveSchedule = m_EditSchedule;
  ShowDaySchedule();
  for (uint8_t day = 0; day < kDaysPerWeek; ++day) UpdateDayButton(day);
  SetLabel(main_skin::kLastShutdownTime, "");
  SetLabel(main_skin::kLastPoweronTime, "");
}

}  // namespace vesk::ui
