#pragma once
// The window classes the program's windows derive from.
//
//   class CMyWnd : public WindowImplBase {
//     const char* GetWindowClassName() const override { return "MyFrame"; }
//     CDuiString GetSkinFolder() override { return "skin"; }
//     CDuiString GetSkinFile() override { return "My.xml"; }
//     std::vector<RequiredControl> GetRequiredControls() const override;
//     void InitWindow() override;             // the skin's controls exist now
//     void Notify(TNotifyUI& msg) override;   // then WindowImplBase::Notify(msg)
//     LRESULT HandleMessage(UINT, WPARAM, LPARAM) override;  // base first
//     LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) override;
//     void OnFinalMessage(HWND) override;     // may delete this
//   };
//
// Create() registers the class under GetWindowClassName(), creates the
// window, loads <executable folder>/GetSkinFolder()/GetSkinFile(), checks
// GetRequiredControls(), builds the controls and calls InitWindow(), all
// before it returns. A skin that cannot be read, is malformed or lacks a
// required control is reported (file and control named, once per fault)
// and Create returns no window.
#include <functional>
#include <string>
#include <vector>

#include "ui/framework/controls.h"
#include "ui/framework/dui_string.h"
#include "ui/framework/paint_manager.h"
#include "ui/framework/skin.h"
#include "ui/framework/win_types.h"

namespace vesk::ui {

class CWindowWnd {
 public:
  CWindowWnd() = default;
  // A window that still exists is destroyed without calling back.
  virtual ~CWindowWnd();
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;

  HWND GetHWND() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }  // NOLINT: as the windows expect

  HWND Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle,
              int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
              int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);

  // Show (taking the focus or not) or hide.
  void ShowWindow(bool bShow = true, bool bTakeFocus = true);
  // Runs the message loop until this window is destroyed (or WM_QUIT);
  // returns the code given to Close, 0 otherwise.
  UINT ShowModal();
  // Posts WM_CLOSE with the code; the window is destroyed when the loop
  // gets to it, unless OnClose keeps it.
  void Close(UINT nRet = IDOK);
  void CenterWindow();
  void SetIcon(UINT nRes);
  void ResizeClient(int cx, int cy);

  LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

  // Window timers of this window (WM_TIMER, wParam = id).
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
  BOOL KillTimer(UINT_PTR id);

  virtual const char* GetWindowClassName() const = 0;
  virtual UINT GetClassStyle() const { return 0; }
  // Messages that the window does not handle go to the system's default.
  virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  // After the window is gone (the object may delete itself here).
  virtual void OnFinalMessage(HWND hWnd);

  // For the backends: delivers one message to HandleMessage. OnFinalMessage
  // is called once the outermost delivery to this window has returned, so a
  // handler that destroys its own window never runs on a deleted object.
  LRESULT RouteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  // Runs work on behalf of the window (such as the user's input to a
  // control) under the same rule.
  void RouteCall(const std::function<void()>& work);
  void AttachHandle(HWND hWnd) { m_hWnd = hWnd; }
  // WM_NCDESTROY was delivered: the handle is gone.
  void HandleDestroyed();

 protected:
  HWND m_hWnd = nullptr;
  // Destroys a window that is still there without calling back; derived
  // destructors call it before their members go.
  void DetachFromSystem();

 private:
  int routeDepth_ = 0;
  HWND finalPending_ = nullptr;
};

class WindowImplBase : public CWindowWnd, public INotifyUI {
 public:
  WindowImplBase() = default;
  ~WindowImplBase() override;

  virtual CDuiString GetSkinFolder() = 0;
  virtual CDuiString GetSkinFile() = 0;
  // The controls the window's code binds to by name; checked at load.
  virtual std::vector<RequiredControl> GetRequiredControls() const { return {}; }
  // Called once the skin's controls exist, inside Create.
  virtual void InitWindow() {}

  // Default handling of notifications: "click" goes to OnClick.
  void Notify(TNotifyUI& msg) override;
  // "closebtn" closes the window (code IDOK), "minbtn" minimises it.
  virtual void OnClick(TNotifyUI& msg);

  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  // Default: bHandled = FALSE, so the window is destroyed.
  virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  // Default: bHandled = FALSE, returns 0.
  virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

  CPaintManagerUI& GetPaintManager() { return m_PaintManager; }
  // Why the last Create failed to load the skin; empty when it did not.
  const std::string& GetSkinError() const { return skinError_; }

 protected:
  CPaintManagerUI m_PaintManager;

 private:
  bool LoadSkin();

  std::string skinError_;
};

}  // namespace vesk::ui
