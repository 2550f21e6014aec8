#include "ui/frame_wnd.h"

#include "hardware/hardware_globals.h"
#include "hardware/wake_chip.h"
#include "hardware/watchdog.h"
#include "resources/resource.h"
#include "schedule/alarm/wake_alarm.h"
#include "schedule/schedule_file.h"
#include "ui/holiday_wnd.h"
#include "ui/history_events.h"
#include "ui/main_skin.h"
#include "ui/warning_wnd.h"

namespace vesk::ui {
namespace {

constexpr const char* kSkinFileChinese = "MainWnd.xml";
constexpr const char* kSkinFileEnglish = "MainWndE.xml";

// Alt+J, registered under an id derived from a global string atom. String
// atoms lie in 0xC000-0xFFFF; adding 0x4000 in 16 bits maps them into the
// 0x0000-0x3FFF range that application hot keys use.
constexpr const char* kHotKeyAtomName = "MyHotKey";
constexpr uint16_t kHotKeyIdOffset = 0x4000;
constexpr UINT kHotKeyVirtualKeyJ = 0x4A;


struct Texts {
  const char* noChipCaption;
  const char* noChipText;
  const char* trayTip;
  const char* exitItem;
  const char* holidaysTitle;
  const char* historyItem;
};
constexpr Texts kChinese{"提示", "找不到RTC或MCU芯片！", "VESK定时开关机软件", "退出", "节假日", "历史记录"};
constexpr Texts kEnglish{"Notice", "Can't find the RTC or MCU chip !", "VESK Technology Manager.", "exit", "Holidays",
                         "History"};
const Texts& TextsFor(uint16_t langId) { return IsChinese(langId) ? kChinese : kEnglish; }

// "hh:mm  day" in the event labels' blue.
constexpr const char* kEventLabelFormat = "{f 1}{c #1974F0}%02u:%02u  %s{/c}{/f}";
// An event more than this many days ahead (a power-on after a closure)
// would pass for the same weekday of the coming week: its date goes beside
// the day, written as the clock label writes dates.
constexpr int kDaysTheWeekdayTells = 6;
constexpr const char* kDatedDayChinese = "%s %02u月%02u日";
constexpr const char* kDatedDayEnglish = "%s %04u.%02u.%02u";

}  // namespace

std::string main_skin::DayButtonName(int day) {
  std::string name;
  GetDayText(name, DayTextKind::kLongName, day, 0);
  return name;
}

CDuiFrameWnd::CDuiFrameWnd(OsServices& os, DriverAccess& driver, WakeAlarm::CheckListener onWakeCheck)
    : os_(os), driver_(driver), m_WakeAlarm(std::move(onWakeCheck)) {}

// The windows, if they still exist, go before the members they report to.
CDuiFrameWnd::~CDuiFrameWnd() {
  m_HolidayWnd.reset();
  DetachFromSystem();
}

CDuiString CDuiFrameWnd::GetSkinFile() {
  return IsChinese(os_.GetSystemDefaultLangID()) ? kSkinFileChinese : kSkinFileEnglish;
}

std::vector<RequiredControl> CDuiFrameWnd::GetRequiredControls() const {
  static const std::vector<std::string> dayNames = [] {
    std::vector<std::string> names;
    for (int day = 0; day < kDaysPerWeek; ++day) names.push_back(main_skin::DayButtonName(day));
    return names;
  }();
  std::vector<RequiredControl> required{
      {main_skin::kCurrentTime, ControlKind::Label},
      {main_skin::kLastShutdownTime, ControlKind::Label},
      {main_skin::kLastPoweronTime, ControlKind::Label},
      {main_skin::kSaveButton, ControlKind::Button},
      {main_skin::kClearButton, ControlKind::Button},
      {main_skin::kHideButton, ControlKind::Button},
      {main_skin::kHolidaysButton, ControlKind::Button},
  };
  for (const auto& name : dayNames) required.push_back({name.c_str(), ControlKind::Option});
  for (const auto& phase : main_skin::kPhases) {
    required.push_back({phase.enable, ControlKind::CheckBox});
    for (const char* list : {phase.startHour, phase.startMinute, phase.endHour, phase.endMinute}) {
      required.push_back({list, ControlKind::Combo});
    }
  }
  return required;
}

void CDuiFrameWnd::InitWindow() {
  LangID = os_.GetSystemDefaultLangID();
  SetIcon(IDI_VESK);

  Shell& shell = GetShell();
  m_HotKeyId = static_cast<uint16_t>(shell.AddGlobalAtom(kHotKeyAtomName) + kHotKeyIdOffset);
  shell.RegisterHotKey(m_hWnd, m_HotKeyId, MOD_ALT, kHotKeyVirtualKeyJ);

  // The controller is set up again here, whatever start-up did with its own
  // instance.
  g_Bus.Bind(driver_, os_);
  g_ControllerMode = static_cast<uint32_t>(g_Bus.Init());

  g_ChipAddress = DetectWakeChip();
  if (g_ChipAddress == kNoWakeChip) {
    history::Record("no-chip", {}, history::EventKind::NoChip);
    const Texts& texts = TextsFor(LangID);
    os_.ShowMessageBox(texts.noChipText, texts.noChipCaption, kMbIconError);
    os_.EndProcess(0);
  }

  history::Record("chip", {{"address", history::Hex(g_ChipAddress)},
                           {"mode", g_ControllerMode == static_cast<uint32_t>(kControllerModeI2c) ? "i2c" : "smbus"}});
  // The clock's alarm flag, read before the wake-up is cleared, tells that
  // the chip switched the board on.
  if (WakeAlarmFired()) history::Record("woken", {{"cause", "alarm"}}, history::EventKind::WokenByAlarm);

  m_ModuleDir = os_.GetModuleDirectory();
  ResetRunState();
  m_WakeAlarm.Clear();
  RefreshHolidays(HolidayTake::kWhenConfirmed);
  m_WakeUpHistory.Forget();
  LoadSchedule();
  for (uint8_t day = 0; day < kDaysPerWeek; ++day) UpdateDayButton(day);
  WatchdogStart();
  RecordWatchdog("start");

  SetTimer(TIMER_CLOCK, kClockPeriodMs);
  SetTimer(TIMER_WATCHDOG, kWatchdogPeriodMs);
  SetTimer(TIMER_ALARM, kAlarmRefreshPeriodMs);
}

void CDuiFrameWnd::ResetRunState() {
  m_Armed = 0;
  m_ShutdownIssued = 0;
  m_Loading = 0;
  m_CurrentDay = 1;  // Monday, so edits made before a day is picked go there
  ClearPostponement();
  m_WarningShown = 0;
  m_EditSchedule = WeekSchedule{};
  m_ActiveSchedule = m_EditSchedule;
}

void CDuiFrameWnd::ClearPostponement() {
  m_PostponeDay = {};
  m_PostponeHour = {};
  m_PostponeMinute = {};
}

Postponement CDuiFrameWnd::CurrentPostponement() const {
  Postponement postponement;
  postponement.Day = m_PostponeDay;
  postponement.Hour = m_PostponeHour;
  postponement.Minute = m_PostponeMinute;
  return postponement;
}

// Without a file the timetable stays empty, no day is selected and nothing
// is in force until the user saves one. Without a known folder there is no
// file to look for, and the user is told so. A file with no period switched
// on (empty, zeroed, damaged or copied by hand; a save never writes one)
// counts as none: in force it would shut the machine down at every start and
// set the wake-up to that very minute. The file itself is left alone.
void CDuiFrameWnd::LoadSchedule() {
  if (ScheduleFilePath(os_).empty()) {
    ReportFileFailure(FileTask::kLoad, FileResult::Failed({}));
    return;
  }
  FileResult unreadable;
  const auto loaded = ReadScheduleFile(os_, &unreadable);
  if (!unreadable) {
    if (!m_ScheduleUnreadable) {
      history::Record("load-failed", {{"reason", unreadable.reason}}, history::EventKind::LoadFailed);
    }
    m_ScheduleUnreadable = true;
    return;
  }
  m_ScheduleUnreadable = false;
  if (!loaded || !loaded->AnyPhaseOn()) return;
  m_EditSchedule = *loaded;
  m_CurrentDay = static_cast<uint8_t>(os_.GetLocalTime().wDayOfWeek % kDaysPerWeek);
  // Selecting today's button reports "selectchanged", which the editor
  // takes as the user's choice of that day.
  if (auto* today = m_PaintManager.FindControl<COptionUI>(main_skin::DayButtonName(m_CurrentDay).c_str())) {
    today->Selected(true);
  }
  ShowDaySchedule();
  m_ActiveSchedule = m_EditSchedule;
  ShowNextEvents();
  m_Armed = 1;
}

// A timetable file that another program held at the start (a copy, a
// virus scanner) is loaded once it can be read, unless the user has begun
// editing a timetable meanwhile, which is not replaced under their hands.
void CDuiFrameWnd::RetryUnreadableSchedule() {
  if (m_Armed == 1 || !m_ScheduleUnreadable || m_EditSchedule != m_ActiveSchedule) return;
  LoadSchedule();
  if (m_Armed == 1) {
    for (uint8_t day = 0; day < kDaysPerWeek; ++day) UpdateDayButton(day);
  }
}

LRESULT CDuiFrameWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
  switch (uMsg) {
    case WM_COMMAND:
      if (wParam == ID_TRAY_EXIT) ExitProgram();
      if (wParam == ID_TRAY_HISTORY) ShowHistory();
      break;
    case WM_ENDSESSION:
      if (wParam != 0) history::Record("exit", {{"how", "session-end"}});
      break;
    case WM_TIMER: OnTimer(WM_TIMER, wParam, lParam); break;
    case WM_HOTKEY:
      if (wParam == m_HotKeyId) RestoreFromTray();
      break;
    case WM_DELAYSHUTDOWN: OnDelayShutdown(uMsg, wParam, lParam); break;
    case WM_CLEARSCHEDULE: ClearSchedule(); break;
    case WM_HOLIDAYSCHANGED: OnHolidaysChanged(); break;
    case WM_TRAYNOTIFY: OnTrayIcon(wParam, lParam); break;
    case WM_TIMECHANGE: OnTimeChange(); break;
    default: break;
  }
  return result;
}

LRESULT CDuiFrameWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  GetShell().NotifyIcon(NIM_DELETE, m_TrayIcon);
  GetShell().PostQuitMessage(0);
  bHandled = FALSE;
  return 0;
}

// ------------------------------------------------------ notification area

void CDuiFrameWnd::MinimizeToTray() {
  Shell& shell = GetShell();
  // Whatever icon the window has goes first, so it is never doubled.
  shell.NotifyIcon(NIM_DELETE, m_TrayIcon);
  m_TrayIcon = MakeTrayIcon(m_hWnd, IDI_VESK, TextsFor(LangID).trayTip);
  shell.NotifyIcon(NIM_ADD, m_TrayIcon);
  ShowWindow(false);
}

LRESULT CDuiFrameWnd::OnTrayIcon(WPARAM /*wParam*/, LPARAM lParam) {
  switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDBLCLK: RestoreFromTray(); break;
    case WM_RBUTTONUP: ShowTrayMenu(); break;
    default: break;
  }
  return 0;
}

// A window minimised with its title bar's button would come back as a
// button on the task bar only; it comes back restored.
void CDuiFrameWnd::RestoreFromTray() {
  Shell& shell = GetShell();
  shell.NotifyIcon(NIM_DELETE, m_TrayIcon);
  shell.ShowWindow(m_hWnd, shell.IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
  shell.SetForegroundWindow(m_hWnd);
}

// The choice arrives later as WM_COMMAND ID_TRAY_EXIT.
void CDuiFrameWnd::ShowTrayMenu() {
  Shell& shell = GetShell();
  PopupMenu menu;
  menu.AppendItem(ID_TRAY_EXIT, TextsFor(LangID).exitItem);
  menu.AppendItem(ID_TRAY_HISTORY, TextsFor(LangID).historyItem);
  const POINT cursor = shell.GetCursorPos();
  shell.SetForegroundWindow(m_hWnd);
  shell.TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, m_hWnd);
}

void CDuiFrameWnd::ShowHistory() {
  const std::string path = history::FilePath(os_);
  if (!os_.OpenInViewer(path)) os_.DebugOutput("VESK: no viewer could open " + path + "\n");
}

void CDuiFrameWnd::ExitProgram() {
  history::Record("exit", {{"how", "menu"}});
  WatchdogStop();
  RecordWatchdog("stop");
  os_.RunHidden(kAbortShutdownCommand);
  ReleaseDrivers(driver_);
  // The process ends without destroying its windows; their icons would stay
  // in the notification area until the mouse passed over them.
  if (g_WarningWnd != nullptr) g_WarningWnd->RemoveTrayIcon();
  GetShell().NotifyIcon(NIM_DELETE, m_TrayIcon);
  os_.EndProcess(0);
}

// ------------------------------------------------------------ next events

void CDuiFrameWnd::SetLabel(const char* name, const std::string& text) {
  if (CControlUI* label = m_PaintManager.FindControl(name)) label->SetText(text.c_str());
}

void CDuiFrameWnd::SetEventLabel(const char* name, const LocalTime& time) {
  std::string day;
  GetDayText(day, DayTextKind::kShortName, time.wDayOfWeek, LangID);
  const auto today = DateOf(os_.GetLocalTime());
  const auto date = DateOf(time);
  if (today && date && (*date - *today).count() > kDaysTheWeekdayTells) {
    CDuiString dated;
    if (IsChinese(LangID)) {
      dated.Format(kDatedDayChinese, day.c_str(), static_cast<unsigned>(time.wMonth), static_cast<unsigned>(time.wDay));
    } else {
      dated.Format(kDatedDayEnglish, day.c_str(), static_cast<unsigned>(time.wYear), static_cast<unsigned>(time.wMonth),
                   static_cast<unsigned>(time.wDay));
    }
    day = dated.str();
  }
  CDuiString text;
  text.Format(kEventLabelFormat, static_cast<unsigned>(time.wHour), static_cast<unsigned>(time.wMinute),
              day.c_str());
  SetLabel(name, text.str());
}

void CDuiFrameWnd::ShowNextEvents() {
  const LocalTime shutdown = GetNextShutdown(m_ActiveSchedule, CurrentPostponement(), os_, InForceHolidays());
  SetEventLabel(main_skin::kLastShutdownTime, shutdown);
  const LocalTime powerOn = GetNextPowerOn(m_ActiveSchedule, shutdown, InForceHolidays());
  const auto check = m_WakeAlarm.Program(powerOn);
  m_WakeUpHistory.Record(powerOn);
  NoteWakeCheck(check);
  SetEventLabel(main_skin::kLastPoweronTime, powerOn);
}

// --------------------------------------------------------------- holidays

void CDuiFrameWnd::OpenHolidays() {
  if (m_HolidayWnd && GetShell().IsWindow(m_HolidayWnd->GetHWND())) {
    m_HolidayWnd->ShowWindow(true);
    return;
  }
  // A window closed earlier leaves its object behind until now.
  m_HolidayWnd = std::make_unique<CHolidayWnd>(os_, m_HolidayFile);
  if (m_HolidayWnd->Create(m_hWnd, TextsFor(LangID).holidaysTitle, kWindowStyle, kWindowExStyle) == nullptr) {
    m_HolidayWnd.reset();
    return;
  }
  m_HolidayWnd->CenterWindow();
  m_HolidayWnd->ShowWindow(true);
  m_HolidayWnd->TellRefusal();
}

// The editor's own save is whole, so it counts at once. The next shutdown
// and power-on, and the wake-up, follow at once rather than at the next
// refresh.
void CDuiFrameWnd::OnHolidaysChanged() {
  if (RefreshHolidays(HolidayTake::kAtOnce) && m_Armed == 1) ShowNextEvents();
}

// True when the holidays in force changed. A file that cannot be read keeps
// them; that is worth one line in the history while it lasts.
bool CDuiFrameWnd::RefreshHolidays(HolidayTake take) {
  const bool changed = m_HolidayFile.Refresh(os_, LangID, take);
  if (!m_HolidayFile.NewReadFailure().empty()) {
    history::Record("holidays-unreadable", {{"reason", m_HolidayFile.NewReadFailure()}});
  }
  if (changed) CallOffShutdownIfPeriodRuns();
  return changed;
}

// The holidays changed under a shutdown this program started (say a file
// that was missing for a while is back): when a period runs now, the
// machine must stay on, so the system's countdown is called off.
void CDuiFrameWnd::CallOffShutdownIfPeriodRuns() {
  if (m_ShutdownIssued == 0 || !PeriodRunningAt(m_ActiveSchedule, os_.GetLocalTime(), InForceHolidays())) return;
  os_.RunHidden(kAbortShutdownCommand);
  RecordShutdownAborted("holidays");
  m_ShutdownIssued = 0;
}

}  // namespace vesk::ui
