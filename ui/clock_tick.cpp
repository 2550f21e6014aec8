// The main window's timers: the clock tick with the warning and the
// automatic shutdown, the watchdog feed and the alarm refresh; a change of
// the clock, which programs the chip again; and the postponement the
// warning window asks for.
#include "hardware/hardware_globals.h"
#include "hardware/wake_chip.h"
#include "hardware/watchdog.h"
#include "platform/calendar.h"
#include "schedule/alarm/wake_alarm.h"
#include "ui/chat_action.h"
#include "ui/frame_wnd.h"
#include "ui/history_events.h"
#include "ui/main_skin.h"
#include "ui/warning_wnd.h"

namespace vesk::ui {
namespace {

// The clock label: the date, the time and the day's short name in green;
// three blanks between the groups.
constexpr const char* kClockFormatChinese = "{f 1}{c #49A832}%02d月%02u日   %02u:%02u:%02u   %s{/c}{/f}";
constexpr const char* kClockFormatEnglish = "{f 1}{c #49A832}%04d.%02d.%02u   %02u:%02u:%02u   %s.{/c}{/f}";

constexpr const char* kNoticeChinese = "将在五分钟内关机";
constexpr const char* kNoticeEnglish = "The computer will automatically shutdown within 5 minutes";

constexpr const char* kWarningTitle = "vesk";

}  // namespace

void CDuiFrameWnd::OnTimer(UINT /*uMsg*/, WPARAM wParam, LPARAM /*lParam*/) {
  switch (wParam) {
    case TIMER_CLOCK:
      if (m_ClockWatch.Jumped(os_.GetLocalTime(), os_.GetTickCount64())) OnTimeChange();
      OnClockTick();
      break;
    case TIMER_WATCHDOG: WatchdogKick(); break;
    case TIMER_ALARM:
      RetryUnreadableSchedule();
      if (m_Armed == 1) {
        // An administrator may copy a new "Holidays.txt" in at any time.
        RefreshHolidays(HolidayTake::kWhenConfirmed);
        RefreshNextEvents();
      }
      break;
    default: break;
  }
}

void CDuiFrameWnd::OnTimeChange() {
  // The jump is handled here; the next tick takes its bearings afresh.
  m_ClockWatch.Reset();
  history::Record("timechange");
  if (m_Armed == 1) ShowNextEvents();
}

void CDuiFrameWnd::OnClockTick() {
  const LocalTime now = os_.GetLocalTime();
  std::string day;
  GetDayText(day, DayTextKind::kShortName, now.wDayOfWeek, LangID);
  CDuiString clock;
  if (IsChinese(LangID)) {
    clock.Format(kClockFormatChinese, static_cast<int>(now.wMonth), static_cast<unsigned>(now.wDay),
                 static_cast<unsigned>(now.wHour), static_cast<unsigned>(now.wMinute),
                 static_cast<unsigned>(now.wSecond), day.c_str());
  } else {
    clock.Format(kClockFormatEnglish, static_cast<int>(now.wYear), static_cast<int>(now.wMonth),
                 static_cast<unsigned>(now.wDay), static_cast<unsigned>(now.wHour),
                 static_cast<unsigned>(now.wMinute), static_cast<unsigned>(now.wSecond), day.c_str());
  }
  SetLabel(main_skin::kCurrentTime, clock.str());

  if (m_Armed == 1) {
    ServiceAlarmFlag();
    FollowTheClock(now);
  }

  if (IsShutdownDue(m_ActiveSchedule, CurrentPostponement(), m_Armed != 0, os_, InForceHolidays())) {
    if (m_ShutdownIssued == 0) {
      const bool started = os_.RunHidden(kShutdownCommand);
      history::Record("shutdown", {{"command", kShutdownCommand}, {"result", started ? "started" : "failed"}},
                      started ? history::EventKind::ShutdownStarted : history::EventKind::ShutdownFailed);
      m_ShutdownIssued = 1;
    }
    return;
  }
  WarnOfComingShutdown();
}

// A postponement whose shutdown has passed unused is spent, so the running
// period's end counts again. Once a period runs, the shutdown at its end is
// issued again, even when the last one was aborted or refused; outside every
// period an aborted shutdown stays aborted instead of coming back each minute.
void CDuiFrameWnd::FollowTheClock(const LocalTime& now) {
  if (PostponementSpentAt(m_ActiveSchedule, CurrentPostponement(), now, InForceHolidays())) ClearPostponement();
  if (m_ShutdownIssued == 1 && !CurrentPostponement().IsActive() &&
      PeriodRunningAt(m_ActiveSchedule, now, InForceHolidays())) {
    m_ShutdownIssued = 0;
  }
}

// One warning for each shutdown that will take place, none for one that a
// power-on within three minutes skips.
void CDuiFrameWnd::WarnOfComingShutdown() {
  const auto coming = ComingShutdown(m_ActiveSchedule, CurrentPostponement(), m_Armed != 0, os_, InForceHolidays());
  if (!coming) {
    m_WarningShown = 0;
    return;
  }
  const bool sameShutdown = coming->wDayOfWeek == m_WarnedShutdown.wDayOfWeek &&
                            MinuteOfDay(*coming) == MinuteOfDay(m_WarnedShutdown);
  if (m_WarningShown == 1 && sameShutdown) return;
  m_WarnedShutdown = *coming;
  RaiseWarning();
}

void CDuiFrameWnd::RaiseWarning() {
  Shell& shell = GetShell();
  if (g_WarningWnd != nullptr && shell.IsWindow(g_WarningWnd->GetHWND())) g_WarningWnd->Close(1);

  auto* warning = new CDuiWarningWnd(os_);
  if (warning->Create(m_hWnd, kWarningTitle, kWindowStyle, kWindowExStyle) != nullptr) {
    g_WarningWnd = warning;
    warning->ShowWindow(false);
    warning->MinimizeToTray();
  } else if (CDuiWarningWnd::IsLive(warning)) {
    // A window that failed while being created normally freed itself.
    delete warning;
  }
  m_WarningShown = 1;
  // The shutdown warned of, which a power-on within three minutes may have
  // put beyond the next one.
  history::Record("warning", {{"shutdown", history::WeekTime(m_WarnedShutdown)}});
  ShowShutdownNotice(IsChinese(LangID) ? kNoticeChinese : kNoticeEnglish);
}

int CDuiFrameWnd::IsWarningDue() {
  return vesk::IsWarningDue(m_ActiveSchedule, CurrentPostponement(), m_Armed != 0, os_, InForceHolidays()) ? 1 : 0;
}

// The shutdown label follows the next shutdown; the power-on label and the
// chip only when the chip must be written again (see WakeAlarm::NeedsWrite).
void CDuiFrameWnd::RefreshNextEvents() {
  m_Armed = 0;
  const LocalTime shutdown = GetNextShutdown(m_ActiveSchedule, CurrentPostponement(), os_, InForceHolidays());
  SetEventLabel(main_skin::kLastShutdownTime, shutdown);
  const LocalTime powerOn = GetNextPowerOn(m_ActiveSchedule, shutdown, InForceHolidays());
  if (m_WakeAlarm.NeedsWrite(powerOn)) {
    const auto check = m_WakeAlarm.Program(powerOn);
    m_WakeUpHistory.Record(powerOn);
    NoteWakeCheck(check);
    SetEventLabel(main_skin::kLastPoweronTime, powerOn);
  }
  m_Armed = 1;
  // Only now: the box's own message loop goes on running the timers.
  ShowWakeNoticeIfDue();
}

LRESULT CDuiFrameWnd::OnDelayShutdown(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM lParam) {
  // A system shutdown already counting down would switch the machine off
  // despite the postponement.
  if (m_ShutdownIssued == 1) {
    os_.RunHidden(kAbortShutdownCommand);
    RecordShutdownAborted("postponed");
  }

  const unsigned delay = LOWORD(lParam);
  const LocalTime now = os_.GetLocalTime();
  const LocalTime shutdown = GetNextShutdown(m_ActiveSchedule, CurrentPostponement(), os_, InForceHolidays());
  // Wide enough for the longest postponement the message carries.
  unsigned target = shutdown.wHour * kMinutesPerHour + shutdown.wMinute + delay;
  const unsigned days = target / kMinutesPerDay;
  target %= kMinutesPerDay;
  unsigned targetDay = shutdown.wDayOfWeek + days;
  if (targetDay >= static_cast<unsigned>(kDaysPerWeek)) targetDay %= kDaysPerWeek;

  m_PostponeDay[Postponement::kTarget] = static_cast<uint8_t>(targetDay);
  m_PostponeHour[Postponement::kTarget] = static_cast<uint8_t>(target / kMinutesPerHour);
  m_PostponeMinute[Postponement::kTarget] = static_cast<uint8_t>(target % kMinutesPerHour);
  m_PostponeDay[Postponement::kOrigin] = static_cast<uint8_t>(now.wDayOfWeek);
  m_PostponeHour[Postponement::kOrigin] = static_cast<uint8_t>(now.wHour);
  m_PostponeMinute[Postponement::kOrigin] = static_cast<uint8_t>(now.wMinute);

  m_ShutdownIssued = 0;
  m_WarningShown = 0;
  const LocalTime postponed = GetNextShutdown(m_ActiveSchedule, CurrentPostponement(), os_, InForceHolidays());
  history::Record("postpone", {{"minutes", std::to_string(delay)}, {"shutdown", history::WeekTime(postponed)}});
  SetEventLabel(main_skin::kLastShutdownTime, postponed);
  return 0;
}

void CDuiFrameWnd::ShowShutdownNotice(const std::string& text) {
  auto* notice = new CChatAction(text);
  if (notice->Create(nullptr)) {
    notice->ShowWindow(SW_SHOW);
  } else if (CChatAction::IsLive(notice)) {
    delete notice;
  }
}

}  // namespace vesk::ui
