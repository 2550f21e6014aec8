#include "ui/framework/dialog.h"

#include "ui/framework/window_system.h"

namespace vesk::ui {

CDialog::~CDialog() {
  if (m_hWnd && WindowSystem::IsInstalled()) WindowSystem::Current().DetachWindow(m_hWnd);
  m_hWnd = nullptr;
}

BOOL CDialog::Create(HWND parent) {
  if (m_hWnd) return FALSE;
  return WindowSystem::Current().CreateDialogFromTemplate(*this, templateId_, parent) != nullptr;
}

BOOL CDialog::ShowWindow(int nCmdShow) {
  return m_hWnd ? WindowSystem::Current().ShowWindow(m_hWnd, nCmdShow) : FALSE;
}

BOOL CDialog::DestroyWindow() {
  return m_hWnd ? WindowSystem::Current().DestroyWindow(m_hWnd) : FALSE;
}

UINT_PTR CDialog::SetTimer(UINT_PTR id, UINT elapseMs) {
  return m_hWnd ? WindowSystem::Current().SetTimer(m_hWnd, id, elapseMs) : 0;
}

BOOL CDialog::KillTimer(UINT_PTR id) {
  return m_hWnd ? WindowSystem::Current().KillTimer(m_hWnd, id) : FALSE;
}

RECT CDialog::GetWindowRect() const {
  return m_hWnd ? WindowSystem::Current().GetWindowRect(m_hWnd) : RECT{0, 0, 0, 0};
}

BOOL CDialog::MoveWindow(const RECT& rect) {
  return m_hWnd ? WindowSystem::Current().MoveWindow(m_hWnd, rect) : FALSE;
}

BOOL CDialog::MoveWindow(int x, int y, int width, int height) {
  return MoveWindow(RECT{x, y, x + width, y + height});
}

BOOL CDialog::SetDlgItemText(int itemId, const std::string& text) {
  return m_hWnd ? WindowSystem::Current().SetDlgItemText(m_hWnd, itemId, text) : FALSE;
}

std::string CDialog::GetDlgItemText(int itemId) const {
  return m_hWnd ? WindowSystem::Current().GetDlgItemText(m_hWnd, itemId) : std::string{};
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
  switch (LOWORD(wParam)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CDialog::RouteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  {
    ++routeDepth_;
    struct Leave {
      int& depth;
      ~Leave() { --depth; }
    } leave{routeDepth_};
    switch (uMsg) {
      case WM_INITDIALOG: result = OnInitDialog(); break;
      case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        result = TRUE;
        break;
      case WM_COMMAND: result = OnCommand(wParam, lParam); break;
      case WM_NCDESTROY:
        m_hWnd = nullptr;
        finalPending_ = true;
        break;
      default: break;
    }
  }
  if (routeDepth_ == 0 && finalPending_) {
    finalPending_ = false;
    PostNcDestroy();  // the object may be gone after this
  }
  return result;
}

}  // namespace vesk::ui
