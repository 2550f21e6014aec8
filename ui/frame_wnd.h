#pragma once
// The main window: owner of the weekly timetable while the program runs.
// It finds the wake-up chip, loads the timetable, keeps the next shutdown
// and power-on shown and programmed, feeds the watchdog, warns before a
// shutdown and runs it, lets the user edit, save and clear the timetable,
// and lives in the notification area.
//
// The entry routine makes it like this, on either window backend:
//
//   vesk::ui::CDuiFrameWnd frame(os, driver);
//   frame.Create(nullptr, title, vesk::ui::kWindowStyle, vesk::ui::kWindowExStyle);
//   frame.CenterWindow();
//   frame.MinimizeToTray();
//   frame.ShowModal();
//
// `os` and `driver` must outlive the window; the bus driver g_Bus is bound
// to them when the window initialises.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hardware/driver_access.h"
#include "platform/os_services.h"
#include "schedule/alarm/chip_time.h"
#include "schedule/alarm/wake_alarm.h"
#include "schedule/holidays.h"
#include "schedule/next_events.h"
#include "schedule/week_schedule.h"
#include "ui/framework/shell.h"
#include "ui/framework/window.h"
#include "ui/history_events.h"
#include "ui/ui_globals.h"

namespace vesk::ui {

class CHolidayWnd;

class CDuiFrameWnd : public WindowImplBase {
 public:
  // onWakeCheck hears every read-back of the wake-up (the simulator logs them).
  CDuiFrameWnd(OsServices& os, DriverAccess& driver, WakeAlarm::CheckListener onWakeCheck = {});
  ~CDuiFrameWnd() override;

  const char* GetWindowClassName() const override { return kMainWindowClass; }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  CDuiString GetSkinFolder() override { return kSkinFolder; }
  CDuiString GetSkinFile() override;
  std::vector<RequiredControl> GetRequiredControls() const override;
  LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void Notify(TNotifyUI& msg) override;

  // The three timers: 1 the clock tick, 2 the watchdog, 3 the alarm refresh.
  virtual void OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam);

  // Notification area and hot key.
  void MinimizeToTray();
  LRESULT OnTrayIcon(WPARAM wParam, LPARAM lParam);

  // The editor.
  void ShowDaySchedule();
  void UpdateDayButton(uint8_t day);
  void SaveSchedule();
  void ClearSchedule();

  // Holidays: the editor window (one at a time), and "Holidays.txt" read
  // again after it was saved or found changed.
  void OpenHolidays();
  void OnHolidaysChanged();

  // Next shutdown and power-on into the labels, the power-on into the chip.
  void ShowNextEvents();
  int IsWarningDue();
  // The system time or zone changed (WM_TIMECHANGE), or a tick found the
  // local clock jumped: the chip's clock and wake-up are written again.
  void OnTimeChange();
  LRESULT OnDelayShutdown(UINT uMsg, WPARAM wParam, LPARAM lParam);
  void ShowShutdownNotice(const std::string& text);

  // The icon menu's exit: watchdog off, pending shutdown aborted, drivers
  // released, process ended with code 0; it does not come back.
  void ExitProgram();

  // --- read-only views, for the simulator's log and for tests ---
  bool Armed() const { return m_Armed != 0; }
  bool ShutdownIssued() const { return m_ShutdownIssued != 0; }
  bool WarningShown() const { return m_WarningShown != 0; }
  // The shutdown the last warning was raised for.
  const LocalTime& WarnedShutdown() const { return m_WarnedShutdown; }
  uint8_t CurrentDay() const { return m_CurrentDay; }
  const WeekSchedule& ActiveSchedule() const { return m_ActiveSchedule; }
  const WeekSchedule& EditSchedule() const { return m_EditSchedule; }
  const Holidays& InForceHolidays() const { return m_HolidayFile.InForce(); }
  // No file is waiting to be read again: a refresh in a minute in which
  // nothing happens would find what the last one found.
  bool FilesSettled() const { return m_HolidayFile.Settled() && !m_ScheduleUnreadable; }
  CHolidayWnd* HolidayWindow() const { return m_HolidayWnd.get(); }
  Postponement CurrentPostponement() const;
  uint16_t HotKeyId() const { return m_HotKeyId; }

 private:
  void OnClockTick();
  void FollowTheClock(const LocalTime& now);
  void WarnOfComingShutdown();
  void RaiseWarning();
  void RefreshNextEvents();
  void NoteWakeCheck(std::optional<WakeCheck> result);
  void ShowWakeNoticeIfDue();
  void RestoreFromTray();
  void ShowTrayMenu();
  void ShowHistory();
  bool RefreshHolidays(HolidayTake take);
  void CallOffShutdownIfPeriodRuns();
  void LoadSchedule();
  void RetryUnreadableSchedule();
  enum class FileTask { kLoad, kSave, kClear };
  void ReportFileFailure(FileTask task, const FileResult& result);
  void ResetRunState();
  void ClearPostponement();
  void SetLabel(const char* name, const std::string& text);
  void SetEventLabel(const char* name, const LocalTime& time);
  bool EditPhaseTime(const std::string& sender);

  OsServices& os_;
  DriverAccess& driver_;

  // Members as the program's record keeps them.
  int32_t m_Armed = 0;
  int32_t m_ShutdownIssued = 0;
  int32_t m_Loading = 0;
  uint8_t m_CurrentDay = 1;
  WeekSchedule m_ActiveSchedule{};
  WeekSchedule m_EditSchedule{};
  std::string m_ModuleDir;
  NotifyIconData m_TrayIcon{};
  uint16_t m_HotKeyId = 0;
  int32_t m_WarningShown = 0;
  std::array<uint8_t, 2> m_PostponeDay{};
  std::array<uint8_t, 2> m_PostponeHour{};
  std::array<uint8_t, 2> m_PostponeMinute{};
  // The shutdown the warning was raised for (weekday, hour and minute).
  LocalTime m_WarnedShutdown{};

  // Exceptions by date, kept apart from the 126-byte timetable record.
  HolidayFile m_HolidayFile;
  std::unique_ptr<CHolidayWnd> m_HolidayWnd;

  // Local clock against the tick count, tick by tick.
  ClockJumpWatch m_ClockWatch;
  // The chip does not hold the wake-up: the user is told once, until a
  // read-back succeeds again.
  bool m_WakeNoticePending = false;
  bool m_WakeNoticeShown = false;
  // "TimeSetting.bin" was there but could not be read; tried again at each
  // refresh until it can.
  bool m_ScheduleUnreadable = false;
  // Read-backs failed in a row; the history tells when a spell begins and
  // ends, not each one.
  uint32_t m_WakeChecksFailed = 0;
  // The wake-up chip's programming while this window runs.
  WakeAlarm m_WakeAlarm;
  // The wake-ups the history was told of.
  WakeUpHistory m_WakeUpHistory;
};

}  // namespace vesk::ui
