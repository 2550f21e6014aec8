#pragma once
// CDialog: a modeless dialog made from a dialog template of the program's
// resources, with the few operations a small notice needs: its items'
// texts, its own timers, moving itself, and closing on its buttons.
//
//   class CNotice : public CDialog {
//     CNotice() : CDialog(133) {}
//     BOOL OnInitDialog() override;       // position, texts, SetTimer(1, 80)
//     void OnTimer(UINT_PTR id) override; // MoveWindow(...)
//     void PostNcDestroy() override;      // may delete this
//   };
//   notice->Create(); notice->ShowWindow(SW_SHOW);
#include <string>

#include "ui/framework/win_types.h"

namespace vesk::ui {

class CDialog {
 public:
  explicit CDialog(UINT templateId) : templateId_(templateId) {}
  // A dialog that still exists is destroyed without calling back.
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Creates the modeless dialog (hidden unless the template says visible);
  // OnInitDialog runs before it returns. FALSE when it could not be made.
  BOOL Create(HWND parent = nullptr);
  HWND GetSafeHwnd() const { return m_hWnd; }
  UINT GetTemplateId() const { return templateId_; }

  BOOL ShowWindow(int nCmdShow);
  BOOL DestroyWindow();

  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
  BOOL KillTimer(UINT_PTR id);

  RECT GetWindowRect() const;
  BOOL MoveWindow(const RECT& rect);
  BOOL MoveWindow(int x, int y, int width, int height);

  BOOL SetDlgItemText(int itemId, const std::string& text);
  std::string GetDlgItemText(int itemId) const;

  // For the backends: delivers one message (WM_INITDIALOG, WM_TIMER,
  // WM_COMMAND, WM_NCDESTROY); PostNcDestroy runs once the outermost
  // delivery has returned.
  INT_PTR RouteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  void AttachHandle(HWND hWnd) { m_hWnd = hWnd; }

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnTimer(UINT_PTR /*id*/) {}
  // Command 1 (IDOK) goes to OnOK, 2 (IDCANCEL) to OnCancel.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // Both destroy the modeless dialog.
  virtual void OnOK() { DestroyWindow(); }
  virtual void OnCancel() { DestroyWindow(); }
  // After the window is gone.
  virtual void PostNcDestroy() {}

  HWND m_hWnd = nullptr;

 private:
  UINT templateId_;
  int routeDepth_ = 0;
  bool finalPending_ = false;
};

}  // namespace vesk::ui
