#include "ui/framework/window.h"

#include "ui/framework/window_system.h"

namespace vesk::ui {
namespace {

// Keeps a window's delivery depth right also when a handler unwinds.
class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace

// ---------------------------------------------------------------- CWindowWnd

CWindowWnd::~CWindowWnd() { DetachFromSystem(); }

void CWindowWnd::DetachFromSystem() {
  if (m_hWnd && WindowSystem::IsInstalled()) WindowSystem::Current().DetachWindow(m_hWnd);
  m_hWnd = nullptr;
}

HWND CWindowWnd::Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y,
                        int cx, int cy, HMENU /*hMenu*/) {
  CreateParams params;
  params.parent = hwndParent;
  params.className = GetWindowClassName();
  params.title = pstrName ? pstrName : "";
  params.style = dwStyle;
  params.exStyle = dwExStyle;
  params.x = x;
  params.y = y;
  params.cx = cx;
  params.cy = cy;
  params.classStyle = GetClassStyle();
  return WindowSystem::Current().CreateFrameWindow(*this, params);
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus) {
  if (!m_hWnd) return;
  WindowSystem::Current().ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
  if (!m_hWnd) return 0;
  return WindowSystem::Current().RunModalLoop(m_hWnd);
}

void CWindowWnd::Close(UINT nRet) {
  if (!m_hWnd) return;
  WindowSystem::Current().PostMessage(m_hWnd, WM_CLOSE, static_cast<WPARAM>(nRet), 0);
}

void CWindowWnd::CenterWindow() {
  if (m_hWnd) WindowSystem::Current().CenterWindow(m_hWnd);
}

void CWindowWnd::SetIcon(UINT nRes) {
  if (!m_hWnd) return;
  auto& system = WindowSystem::Current();
  system.SetWindowIcon(m_hWnd, system.LoadIconResource(nRes));
}

void CWindowWnd::ResizeClient(int cx, int cy) {
  if (m_hWnd) WindowSystem::Current().SetClientSize(m_hWnd, cx, cy);
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  return WindowSystem::Current().SendMessage(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  return WindowSystem::Current().PostMessage(m_hWnd, uMsg, wParam, lParam);
}

UINT_PTR CWindowWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
  if (!m_hWnd) return 0;
  return WindowSystem::Current().SetTimer(m_hWnd, id, elapseMs);
}

BOOL CWindowWnd::KillTimer(UINT_PTR id) {
  if (!m_hWnd) return FALSE;
  return WindowSystem::Current().KillTimer(m_hWnd, id);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return WindowSystem::Current().DefaultHandler(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND /*hWnd*/) {}

void CWindowWnd::HandleDestroyed() {
  finalPending_ = m_hWnd;
  m_hWnd = nullptr;
}

void CWindowWnd::RouteCall(const std::function<void()>& work) {
  {
    DepthGuard depth(routeDepth_);
    work();
  }
  if (routeDepth_ == 0 && finalPending_) {
    const HWND gone = finalPending_;
    finalPending_ = nullptr;
    OnFinalMessage(gone);  // the object may be gone after this
  }
}

LRESULT CWindowWnd::RouteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  RouteCall([&] {
    result = HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) HandleDestroyed();
  });
  return result;
}

// ------------------------------------------------------------ WindowImplBase

WindowImplBase::~WindowImplBase() { DetachFromSystem(); }

void WindowImplBase::Notify(TNotifyUI& msg) {
  if (msg.sType == DUI_MSGTYPE_CLICK) OnClick(msg);
}

void WindowImplBase::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  const CDuiString& name = msg.pSender->GetName();
  if (name == "closebtn") {
    Close(IDOK);
  } else if (name == "minbtn") {
    SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  }
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  BOOL handled = TRUE;
  switch (uMsg) {
    case WM_CREATE: result = OnCreate(uMsg, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnClose(uMsg, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(uMsg, wParam, lParam, handled); break;
    default: handled = FALSE; break;
  }
  if (handled) return result;
  result = HandleCustomMessage(uMsg, wParam, lParam, handled);
  if (handled) return result;
  return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = TRUE;
  m_PaintManager.Init(m_hWnd);
  if (!LoadSkin()) return -1;
  m_PaintManager.AddNotifier(this);
  auto& system = WindowSystem::Current();
  const SIZE size = m_PaintManager.GetSkin().size;
  system.SetClientSize(m_hWnd, size.cx, size.cy);
  system.AttachControls(m_hWnd, m_PaintManager);
  InitWindow();
  return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

bool WindowImplBase::LoadSkin() {
  skinError_.clear();
  auto& system = WindowSystem::Current();
  const std::string folder = GetSkinFolder().str();
  const std::string file = GetSkinFile().str();
  std::string path;
  const auto document = system.ReadSkinFile(folder, file, path);
  std::string problem;
  std::optional<Skin> skin;
  if (!document) {
    problem = "the file cannot be read";
  } else if (skin = ParseSkin(*document, problem); skin) {
    CheckRequiredControls(*skin, GetRequiredControls(), problem);
  }
  if (!problem.empty()) {
    skinError_ = "Skin \"" + path + "\" of window class \"" + GetWindowClassName() + "\": " + problem + ".";
    system.ReportSetupErrorOnce(skinError_);
    return false;
  }
  m_PaintManager.BuildFromSkin(*skin);
  return true;
}

}  // namespace vesk::ui
