#pragma once
// The Win32 backend: real top-level windows of the registered class names,
// native child controls where Windows has them (drop-down lists, check
// boxes), owner-drawn buttons and painted labels where the skin's markup
// fonts and colours must show, the notification area, hot keys, popup menus
// and dialogs from the program's resources. Texts are UTF-8 inside and
// UTF-16 at every Win32 call. Layout is scaled from the skin's 96-dpi
// pixels to the display's dpi.
//
// The host installs it once before the first window:
//   vesk::ui::win32::Win32Desktop desktop(hInstance, os);
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/os_services.h"
#include "ui/framework/window_system.h"

namespace vesk::ui::win32 {

class FrameView;

class Win32Desktop : public WindowSystem {
 public:
  // moduleDirectory overrides the executable's folder as the place of the
  // skin folder (UTF-8, with or without the trailing backslash).
  Win32Desktop(HINSTANCE instance, OsServices& os, std::string moduleDirectory = {});
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  // The native child window that shows a named control, for tests and
  // tools; none for painted controls (labels, panels).
  HWND ControlWindow(HWND frame, const char* name) const;
  // Pixels per logical inch of the display the layout is scaled to.
  int Dpi() const { return dpi_; }

  // --- Shell ---
  BOOL NotifyIcon(DWORD message, const NotifyIconData& data) override;
  ATOM AddGlobalAtom(const char* name) override;
  BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtualKey) override;
  BOOL UnregisterHotKey(HWND window, int id) override;
  BOOL TrackPopupMenu(const PopupMenu& menu, UINT flags, int x, int y, HWND owner) override;
  POINT GetCursorPos() override;
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
  SIZE GetDisplaySize() override;

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
  RECT GetWindowRect(HWND window) override;
  BOOL MoveWindow(HWND window, const RECT& rect) override;
  void AttachControls(HWND window, CPaintManagerUI& manager) override;
  std::optional<std::string> ReadSkinFile(const std::string& folder, const std::string& file,
                                          std::string& fullPath) override;
  void ReportSetupError(const std::string& text) override;
  HWND CreateDialogFromTemplate(CDialog& dialog, UINT templateId, HWND parent) override;
  BOOL SetDlgItemText(HWND dialog, int itemId, const std::string& text) override;
  std::string GetDlgItemText(HWND dialog, int itemId) override;

 private:
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Route(CWindowWnd& window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool RegisterFrameClass(const std::wstring& className, UINT classStyle);
  FrameView* ViewOf(HWND frame) const;

  HINSTANCE instance_;
  OsServices& os_;
  std::wstring moduleDirectory_;  // with the trailing backslash
  int dpi_ = 96;
  std::map<HWND, std::unique_ptr<FrameView>> views_;
  std::map<HWND, UINT> closeCodes_;
  std::map<UINT, HICON> icons_;
};

}  // namespace vesk::ui::win32
