#pragma once
// What the windows ask of the desktop shell and the window manager beyond
// their own window: notification-area icons, the global hot key, popup
// menus, timers, other windows by class name, icons from the program's
// resources and the display size. Window code reaches it via GetShell(); the
// Win32 backend calls the system, the headless backend records and answers.
// Message boxes are not here: they are OS services (platform/os_services.h).
#include <cstdint>
#include <string>
#include <vector>

#include "ui/framework/win_types.h"

namespace vesk::ui {

// The byte size of the system's wide notification-icon record
// (NOTIFYICONDATAW with every field), which cbSize carries.
inline constexpr DWORD kNotifyIconDataSize = 976;

// The fields of NOTIFYICONDATAW that the windows fill. szTip is UTF-8; the
// Win32 backend converts it and cuts it to the 127 characters the shell
// shows.
struct NotifyIconData {
  DWORD cbSize = 0;
  HWND hWnd = nullptr;
  UINT uID = 0;
  UINT uFlags = 0;
  UINT uCallbackMessage = 0;
  HICON hIcon = nullptr;
  std::string szTip;
};

// A popup menu of string items; choosing one delivers WM_COMMAND with the
// item's id to the owner window (posted, as the system does).
struct PopupMenu {
  struct Item {
    UINT id = 0;
    std::string text;  // UTF-8
  };
  std::vector<Item> items;
  void AppendItem(UINT id, std::string text) { items.push_back({id, std::move(text)}); }
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Notification-area icons: NIM_ADD, NIM_MODIFY, NIM_DELETE. Adding an icon
  // that exists (same hWnd and uID) fails, as does deleting a missing one.
  virtual BOOL NotifyIcon(DWORD message, const NotifyIconData& data) = 0;

  // Global atoms and hot keys. WM_HOTKEY reaches the window with wParam = id
  // and lParam = MAKELPARAM(modifiers, virtualKey).
  virtual ATOM AddGlobalAtom(const char* name) = 0;
  virtual BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtualKey) = 0;
  virtual BOOL UnregisterHotKey(HWND window, int id) = 0;

  // Opens the menu at (x, y) for the owner; the choice, if any, arrives as
  // WM_COMMAND. Returns FALSE when the menu could not be shown.
  virtual BOOL TrackPopupMenu(const PopupMenu& menu, UINT flags, int x, int y, HWND owner) = 0;
  virtual POINT GetCursorPos() = 0;

  // Top-level windows.
  virtual HWND FindWindow(const char* className, const char* title = nullptr) = 0;
  virtual BOOL IsWindow(HWND window) = 0;
  virtual BOOL IsWindowVisible(HWND window) = 0;
  // Minimised (by the title bar's button, or SW_MINIMIZE); hiding and
  // showing it again with SW_SHOW keeps it so, SW_RESTORE ends it.
  virtual BOOL IsIconic(HWND window) = 0;
  virtual BOOL ShowWindow(HWND window, int command) = 0;
  virtual BOOL SetForegroundWindow(HWND window) = 0;
  // SendMessage runs the window's handler before it returns; PostMessage
  // queues the message for the message loop.
  virtual LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Ends the message loop that runs (ShowModal) once the queue gets to it.
  virtual void PostQuitMessage(int exitCode) = 0;

  // Window timers, delivered as WM_TIMER with wParam = id, lParam = 0.
  // Setting an existing id again restarts it with the new period.
  virtual UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs) = 0;
  virtual BOOL KillTimer(HWND window, UINT_PTR id) = 0;

  // An icon resource of the program (131, 132), loaded once and kept.
  virtual HICON LoadIconResource(UINT resourceId) = 0;
  // The current display mode's width and height in pixels.
  virtual SIZE GetDisplaySize() = 0;
};

// The shell of the installed backend (see window_system.h).
Shell& GetShell();

}  // namespace vesk::ui
