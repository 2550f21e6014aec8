#pragma once
// The backend behind the framework: it makes the real (Win32) or stand-in
// (headless) windows, runs their message loops and dispatches messages to
// the window objects. One backend is installed per process by whoever hosts
// the program: the Win32 entry point installs the Win32 backend, tests and
// the simulator install the headless one. Window code does not use this
// header; it uses CWindowWnd, WindowImplBase, CDialog and GetShell().
#include <optional>
#include <set>
#include <string>

#include "ui/framework/shell.h"
#include "ui/framework/win_types.h"

namespace vesk::ui {

class CWindowWnd;
class CDialog;
class CPaintManagerUI;

struct CreateParams {
  HWND parent = nullptr;
  const char* className = "";
  const char* title = "";
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  UINT classStyle = 0;
};

class WindowSystem : public Shell {
 public:
  // The installed backend; the framework stops with a clear message when a
  // window is made before any backend was installed.
  static WindowSystem& Current();
  static bool IsInstalled();

  // Registers the window class under params.className if needed, creates
  // the window and sends it WM_CREATE (through CWindowWnd::RouteMessage),
  // after the window object knows its handle. Returns nothing when the
  // window refused its creation (WM_CREATE returned -1); it has then been
  // destroyed again.
  virtual HWND CreateFrameWindow(CWindowWnd& window, const CreateParams& params) = 0;
  // Destroys the window: WM_DESTROY, then WM_NCDESTROY.
  virtual BOOL DestroyWindow(HWND window) = 0;
  // The window object goes away while its window still exists: the window
  // is destroyed without calling back into the object.
  virtual void DetachWindow(HWND window) = 0;
  // What the system does with a message the window did not handle
  // (WM_CLOSE destroys the window).
  virtual LRESULT DefaultHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Runs the message loop until the window is destroyed or WM_QUIT comes;
  // returns the code of the last WM_CLOSE posted to the window (Close), 0
  // when there was none.
  virtual UINT RunModalLoop(HWND window) = 0;

  virtual void CenterWindow(HWND window) = 0;
  virtual void SetWindowIcon(HWND window, HICON icon) = 0;
  virtual void SetClientSize(HWND window, int cx, int cy) = 0;
  virtual BOOL SetWindowText(HWND window, const std::string& text) = 0;
  virtual RECT GetWindowRect(HWND window) = 0;
  virtual BOOL MoveWindow(HWND window, const RECT& rect) = 0;

  // Shows a window's controls (native child controls, drawing) after its
  // skin was built; the headless backend keeps only the model.
  virtual void AttachControls(HWND window, CPaintManagerUI& manager) = 0;

  // Reads a skin file from the folder beside the executable:
  // <module directory>/<folder>/<file>. fullPath receives the path for
  // messages. Nothing when the file cannot be read.
  virtual std::optional<std::string> ReadSkinFile(const std::string& folder,
                                                  const std::string& file,
                                                  std::string& fullPath) = 0;
  // Tells the person who installs or tests the program about a fault of
  // the supplied files, such as a skin without a control the window needs.
  virtual void ReportSetupError(const std::string& text) = 0;
  // Reports a fault the first time it is found only. A window that is made
  // again and again (the warning, minute after minute, or from a timer
  // inside the error's own box) must not stack box upon box.
  void ReportSetupErrorOnce(const std::string& text);

  // Modeless dialogs from a template of the program's resources; the dialog
  // gets WM_INITDIALOG before this returns. Nothing when there is no such
  // template.
  virtual HWND CreateDialogFromTemplate(CDialog& dialog, UINT templateId, HWND parent) = 0;
  virtual BOOL SetDlgItemText(HWND dialog, int itemId, const std::string& text) = 0;
  virtual std::string GetDlgItemText(HWND dialog, int itemId) = 0;

 protected:
  WindowSystem() = default;
  // A backend installs itself for its lifetime.
  void Install();
  void Uninstall();

 private:
  std::set<std::string> reportedSetupErrors_;
};

}  // namespace vesk::ui
