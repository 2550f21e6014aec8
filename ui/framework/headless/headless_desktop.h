#pragma once
// The headless backend: a deterministic stand-in for the Win32 window
// manager, message loop and shell, for tests and the simulator.
//
// - Windows are registered by class name; SendMessage runs the handler at
//   once; PostMessage queues, and the queue is dispatched by PumpMessages,
//   by every user action below, by RunUntil/RunFor and by ShowModal.
// - Timers run on the DesktopClock handed in. RunUntil(t) moves the
//   clock to each timer that falls due, in order of due time, and delivers
//   WM_TIMER; a timer has at most one WM_TIMER pending, so periods that a
//   long handler (or a message box) skipped are not made up.
// - Tray icons, hot keys, popup menus, foreground changes, quit requests and
//   notice dialogs are recorded; the user-action helpers act as a user would
//   and return false when the user could not do it (no such window, control,
//   icon, hot key or open menu; a hidden or disabled control).
// - Skins are read from <moduleDirectory>/<skin folder>/<file> on the real
//   disk. Setup errors (a bad skin) are shown as message boxes of the
//   OS services handed in and kept in SetupErrors().
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/os_services.h"
#include "ui/framework/controls.h"
#include "ui/framework/dialog.h"
#include "ui/framework/headless/desktop_clock.h"
#include "ui/framework/paint_manager.h"
#include "ui/framework/window.h"
#include "ui/framework/window_system.h"

namespace vesk::ui::headless {

// The notice dialog template of the program's resources, as the headless
// backend knows it: its size in pixels and its one push button.
struct DialogTemplate {
  int width = 0;
  int height = 0;
  std::map<int, std::string> items;  // item id -> initial text
};

struct TrayIconRecord {
  NotifyIconData data;
  DesktopTime addedAt;
};

struct TrayCall {
  DesktopTime at;
  DWORD message = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  NotifyIconData data;
  BOOL result = FALSE;
};

struct HotKeyRecord {
  HWND window = nullptr;
  int id = 0;
  UINT modifiers = 0;
  UINT virtualKey = 0;
};

struct OpenMenu {
  HWND owner = nullptr;
  PopupMenu menu;
  POINT at{0, 0};
  UINT flags = 0;
};

struct NotificationRecord {
  HWND window = nullptr;
  std::string type;
  std::string sender;  // the sender control's name
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

struct DialogRecord {
  HWND hwnd = nullptr;
  UINT templateId = 0;
  RECT rect{0, 0, 0, 0};
  std::map<int, std::string> items;
  bool visible = false;
  bool alive = true;
  DesktopTime createdAt;
};

class HeadlessDesktop : public WindowSystem {
 public:
  // Installs itself as the process's window system until destroyed.
  HeadlessDesktop(OsServices& os, DesktopClock& clock, std::string moduleDirectory);
  ~HeadlessDesktop() override;
  HeadlessDesktop(const HeadlessDesktop&) = delete;
  HeadlessDesktop& operator=(const HeadlessDesktop&) = delete;

  OsServices& Os() { return os_; }
  DesktopClock& Clock() { return clock_; }

  // --- set-up ---
  void SetDisplaySize(SIZE size) { display_ = size; }
  void SetCursorPos(POINT at) { cursor_ = at; }
  void SetDialogTemplate(UINT templateId, DialogTemplate dialogTemplate);
  // What runs when a ShowModal loop has nothing queued: it must make
  // progress (advance time, act as the user) and return true, or return
  // false to leave the loop (ShowModal then returns 0 with the window
  // still there). Without a driver the loop is left as soon as the queue
  // is empty.
  using ModalDriver = std::function<bool(HeadlessDesktop&)>;
  void SetModalDriver(ModalDriver driver) { modalDriver_ = std::move(driver); }

  // --- time and the message queue ---
  // Dispatches posted messages until none is left; returns how many.
  int PumpMessages();
  // Delivers every timer that falls due up to t, then leaves the clock at t
  // (or later, when handlers moved it further).
  void RunUntil(DesktopTime t);
  void RunFor(Microseconds duration);
  std::optional<DesktopTime> NextTimerDue() const;
  // The timer's period, or nothing when it is not set.
  std::optional<UINT> TimerPeriod(HWND window, UINT_PTR id) const;

  // --- windows and controls ---
  std::vector<HWND> Windows() const;  // every live window, in creation order
  CWindowWnd* WindowObject(HWND window) const;
  CPaintManagerUI* PaintManager(HWND window) const;
  CControlUI* Control(HWND window, const char* name) const;
  template <class T>
  T* Control(HWND window, const char* name) const {
    return dynamic_cast<T*>(Control(window, name));
  }
  std::string WindowClass(HWND window) const;
  std::string WindowTitle(HWND window) const;
  HWND WindowParent(HWND window) const;
  HICON WindowIcon(HWND window) const;
  HWND ForegroundWindow() const { return foreground_; }
  HWND ActiveWindow() const { return active_; }
  RECT WindowRectOf(HWND window) const;

  // --- the user ---
  bool Click(HWND window, const char* control);        // buttons, options, check boxes
  bool SelectListItem(HWND window, const char* combo, int index);
  bool CloseByUser(HWND window);                        // the title bar's close box
  bool DoubleClickTrayIcon(HWND owner, UINT id = 0);
  bool RightClickTrayIcon(HWND owner, UINT id = 0);
  bool PressHotKey(UINT modifiers, UINT virtualKey);
  bool ChooseMenuItem(UINT id);
  bool DismissMenu();
  bool ClickDialogButton(HWND dialog, int itemId);

  // --- what happened ---
  const std::vector<TrayIconRecord>& TrayIcons() const { return trayIcons_; }
  const TrayIconRecord* TrayIcon(HWND owner, UINT id = 0) const;
  const std::vector<TrayCall>& TrayCalls() const { return trayCalls_; }
  const std::vector<HotKeyRecord>& HotKeys() const { return hotKeys_; }
  const std::optional<OpenMenu>& CurrentMenu() const { return menu_; }
  const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
  const DialogRecord* Dialog(HWND dialog) const;
  const std::vector<NotificationRecord>& Notifications() const { return notifications_; }
  const std::vector<std::string>& SetupErrors() const { return setupErrors_; }
  std::optional<int> QuitCode() const { return quitCode_; }
  // The resource id a handle of LoadIconResource stands for (0 if none).
  UINT IconResourceId(HICON icon) const;
  void ClearRecords();

  // --- Shell ---
  BOOL NotifyIcon(DWORD message, const NotifyIconData& data) override;
  ATOM AddGlobalAtom(const char* name) override;
  BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtualKey) override;
  BOOL UnregisterHotKey(HWND window, int id) override;
  BOOL TrackPopupMenu(const PopupMenu& menu, UINT flags, int x, int y, HWND owner) override;
  POINT GetCursorPos() override { return cursor_; }
  HWND FindWindow(const char* className, const char* title = nullptr) override;
  BOOL IsWindow(HWND window) override;
  BOOL IsWindowVisible(HWND window) override;
  BOOL IsIconic(HWND window) override;
  BOOL ShowWindow(HWND window, int command) override;
  BOOL SetForegroundWindow(HWND window) override;
  LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostQuitMessage(int exitCode) override;
  UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs) override;
  BOOL KillTimer(HWND window, UINT_PTR id) override;
  HICON LoadIconResource(UINT resourceId) override;
  SIZE GetDisplaySize() override { return display_; }

  // --- WindowSystem ---
  HWND CreateFrameWindow(CWindowWnd& window, const CreateParams& params) override;
  BOOL DestroyWindow(HWND window) override;
  void DetachWindow(HWND window) override;
  LRESULT DefaultHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  UINT RunModalLoop(HWND window) override;
  void CenterWindow(HWND window) override;
  void SetWindowIcon(HWND window, HICON icon) override;
  void SetClientSize(HWND window, int cx, int cy) override;
  BOOL SetWindowText(HWND window, const std::string& text) override;
  RECT GetWindowRect(HWND window) override { return WindowRectOf(window); }
  BOOL MoveWindow(HWND window, const RECT& rect) override;
  void AttachControls(HWND window, CPaintManagerUI& manager) override;
  std::optional<std::string> ReadSkinFile(const std::string& folder, const std::string& file,
                                          std::string& fullPath) override;
  void ReportSetupError(const std::string& text) override;
  HWND CreateDialogFromTemplate(CDialog& dialog, UINT templateId, HWND parent) override;
  BOOL SetDlgItemText(HWND dialog, int itemId, const std::string& text) override;
  std::string GetDlgItemText(HWND dialog, int itemId) override;

 private:
  struct Window;
  struct Timer;
  struct Posted {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };

  Window* Find(HWND window) const;
  HWND NewHandle();
  LRESULT Dispatch(Window& window, UINT message, WPARAM wParam, LPARAM lParam);
  void DestroyRecord(HWND window, bool callBack);
  void RemoveTimersOf(HWND window);
  bool DeliverNextTimer(DesktopTime limit);
  bool UserCanReach(HWND window) const;
  bool SendTrayMouse(HWND owner, UINT id, std::initializer_list<UINT> mouseMessages);

  OsServices& os_;
  DesktopClock& clock_;
  std::string moduleDirectory_;
  SIZE display_{1920, 1080};
  POINT cursor_{1800, 1050};
  uintptr_t nextHandle_ = 0x10000;
  std::map<HWND, std::unique_ptr<Window>> windows_;
  std::vector<HWND> creationOrder_;
  std::deque<Posted> queue_;
  std::vector<std::unique_ptr<Timer>> timers_;
  uint64_t timerSequence_ = 0;
  std::map<UINT, DialogTemplate> templates_;
  std::map<std::string, ATOM> atoms_;
  std::map<UINT, HICON> icons_;
  std::vector<TrayIconRecord> trayIcons_;
  std::vector<TrayCall> trayCalls_;
  std::vector<HotKeyRecord> hotKeys_;
  std::optional<OpenMenu> menu_;
  std::vector<DialogRecord> dialogs_;
  std::vector<NotificationRecord> notifications_;
  std::vector<std::string> setupErrors_;
  std::optional<int> quitCode_;
  std::map<HWND, UINT> closeCodes_;
  bool quitPending_ = false;
  HWND foreground_ = nullptr;
  HWND active_ = nullptr;
  ModalDriver modalDriver_;
};

}  // namespace vesk::ui::headless
