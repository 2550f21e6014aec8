#pragma once
// What the program's windows share for the whole run: the language, the
// private window messages between them, the timers and commands of the main
// window, and the current warning window.
#include <cstdint>

#include <string>

#include "ui/framework/shell.h"
#include "ui/framework/win_types.h"

namespace vesk {

// The system's default language, read at start-up and again by each
// window's initialisation; 2052 selects the Chinese texts.
extern uint16_t LangID;

namespace ui {

class CDuiWarningWnd;

// The warning window that is current, or none. The window clears it when
// it goes away, so it never refers to a deleted object; it may still refer
// to an object whose window is being destroyed, so users test IsWindow too.
extern CDuiWarningWnd* g_WarningWnd;

// Window messages shared by the windows.
inline constexpr UINT WM_DELAYSHUTDOWN = WM_USER + 5;    // 0x0405, lParam = minutes
inline constexpr UINT WM_CLEARSCHEDULE = WM_USER + 6;    // 0x0406
inline constexpr UINT WM_HOLIDAYSCHANGED = WM_USER + 7;  // 0x0407, "Holidays.txt" was saved
inline constexpr UINT WM_TRAYNOTIFY = WM_APP + 1000;     // 0x83E8, lParam = mouse message
inline constexpr UINT ID_TRAY_EXIT = 1;                  // the icon menu's only item
static_assert(WM_DELAYSHUTDOWN == 0x0405 && WM_CLEARSCHEDULE == 0x0406 && WM_TRAYNOTIFY == 0x83E8);

// The main window's timers.
inline constexpr UINT_PTR TIMER_CLOCK = 1;
inline constexpr UINT_PTR TIMER_WATCHDOG = 2;
inline constexpr UINT_PTR TIMER_ALARM = 3;
inline constexpr UINT kClockPeriodMs = 1000;
inline constexpr UINT kWatchdogPeriodMs = 40000;
inline constexpr UINT kAlarmRefreshPeriodMs = 5000;

// Window class names; the warning window finds the main window by its own.
inline constexpr const char* kMainWindowClass = "VESKMainFrame";
inline constexpr const char* kWarningWindowClass = "DuiWarningFrame";
inline constexpr const char* kHolidayWindowClass = "VESKHolidayFrame";
inline constexpr const char* kSkinFolder = "skin";

// The style both windows are created with: WS_VISIBLE | WS_CAPTION |
// WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, an overlapped window without
// a maximise box, and WS_EX_WINDOWEDGE.
inline constexpr DWORD kWindowStyle = 0x10CE0000;
inline constexpr DWORD kWindowExStyle = 0x100;
static_assert(kWindowStyle == (WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX));
static_assert(kWindowExStyle == WS_EX_WINDOWEDGE);

// The operating system's shutdown: 30 seconds' grace, applications forced
// closed; and the abort of a shutdown that is still counting down.
inline constexpr const char* kShutdownCommand = "Cmd.exe /C shutdown -s -f -t 30";
inline constexpr const char* kAbortShutdownCommand = "Cmd.exe /C shutdown -a";

// True when the language id selects the Chinese texts.
bool IsChinese(uint16_t langId);

// Back to the state of a freshly started process: warning windows and
// notices still held are freed (without calling back into a window system
// that may be gone), g_WarningWnd and LangID are zero, and so are the
// hardware globals and the record of the wake-up last programmed. Hosts
// that start the program several times in one process (the simulator,
// tests) call it between runs, after the main window object is gone.
void ResetProcessWideState();

// The notification-area record both windows fill: icon, tip and callback
// message to the owner window.
NotifyIconData MakeTrayIcon(HWND owner, UINT iconResource, const std::string& tip);

}  // namespace ui
}  // namespace vesk
