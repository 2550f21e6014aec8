#include "ui/framework/win32/win32_desktop.h"

#include <vector>

#include "platform/paths.h"
#include "platform/win32/file_paths.h"
#include "platform/win32/wide_text.h"
#include "ui/framework/dialog.h"
#include "ui/framework/window.h"
#include "ui/framework/win32/frame_view.h"

namespace vesk::ui::win32 {

using vesk::win32::ToUtf8;
using vesk::win32::ToWide;

namespace {

static_assert(sizeof(NOTIFYICONDATAW) == kNotifyIconDataSize, "the tray record is the full wide record");

// The longest tip the notification area shows, without its terminating zero.
constexpr std::size_t kMaxTipChars = 127;

std::wstring TipText(const std::string& tip) {
  std::wstring wide = ToWide(tip);
  if (wide.size() > kMaxTipChars) {
    wide.resize(kMaxTipChars);
    // Never leave half of a surrogate pair behind.
    if (!wide.empty() && wide.back() >= 0xD800 && wide.back() <= 0xDBFF) wide.pop_back();
  }
  return wide;
}

int DisplayDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

Win32Desktop* g_desktop = nullptr;

}  // namespace

Win32Desktop::Win32Desktop(HINSTANCE instance, OsServices& os, std::string moduleDirectory)
    : instance_(instance ? instance : GetModuleHandleW(nullptr)), os_(os) {
  // The skins are laid out for 96 dpi and scaled here, so the system must
  // not stretch the windows a second time.
  SetProcessDPIAware();
  dpi_ = DisplayDpi();
  moduleDirectory_ = moduleDirectory.empty() ? ContainingFolder(vesk::win32::ModulePath(instance_))
                                             : JoinPath(ToWide(moduleDirectory), L"");
  if (!CPaintManagerUI::GetInstance()) CPaintManagerUI::SetInstance(instance_);
  g_desktop = this;
  Install();
}

Win32Desktop::~Win32Desktop() {
  Uninstall();
  if (g_desktop == this) g_desktop = nullptr;
}

FrameView* Win32Desktop::ViewOf(HWND frame) const {
  const auto found = views_.find(frame);
  return found == views_.end() ? nullptr : found->second.get();
}

HWND Win32Desktop::ControlWindow(HWND frame, const char* name) const {
  const FrameView* view = ViewOf(frame);
  auto* window = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(frame, GWLP_USERDATA));
  auto* base = dynamic_cast<WindowImplBase*>(window);
  if (!view || !base) return nullptr;
  const CControlUI* control = base->GetPaintManager().FindControl(name);
  return control ? view->ChildOf(*control) : nullptr;
}

// ------------------------------------------------------------ frame windows

bool Win32Desktop::RegisterFrameClass(const std::wstring& className, UINT classStyle) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance_, className.c_str(), &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = classStyle | CS_DBLCLKS;
  wc.lpfnWndProc = &Win32Desktop::FrameProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = className.c_str();
  return RegisterClassExW(&wc) != 0;
}

HWND Win32Desktop::CreateFrameWindow(CWindowWnd& window, const CreateParams& params) {
  const std::wstring className = ToWide(params.className ? params.className : "");
  if (className.empty() || !RegisterFrameClass(className, params.classStyle)) return nullptr;
  const std::wstring title = ToWide(params.title ? params.title : "");
  HWND hwnd = CreateWindowExW(params.exStyle, className.c_str(), title.c_str(), params.style, params.x, params.y,
                              params.cx, params.cy, params.parent, nullptr, instance_, &window);
  return hwnd;
}

LRESULT CALLBACK Win32Desktop::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    window = static_cast<CWindowWnd*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    window->AttachHandle(hwnd);
  }
  if (!window || !g_desktop) return DefWindowProcW(hwnd, message, wParam, lParam);
  return g_desktop->Route(*window, hwnd, message, wParam, lParam);
}

LRESULT Win32Desktop::Route(CWindowWnd& window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) closeCodes_[hwnd] = static_cast<UINT>(wParam);
  if (message == WM_NCDESTROY) {
    // The controls' view goes while the window object still exists; the
    // object may delete itself in OnFinalMessage.
    views_.erase(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  }
  LRESULT result = 0;
  window.RouteCall([&] {
    FrameView* view = ViewOf(hwnd);
    if (view && view->HandleMessage(message, wParam, lParam, result)) return;
    result = window.HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) window.HandleDestroyed();
  });
  return result;
}

BOOL Win32Desktop::DestroyWindow(HWND window) { return ::DestroyWindow(window); }

void Win32Desktop::DetachWindow(HWND window) {
  if (!::IsWindow(window)) return;
  // From here the window's messages go to the system's default handling.
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  SetWindowLongPtrW(window, DWLP_USER, 0);
  views_.erase(window);
  ::DestroyWindow(window);
}

LRESULT Win32Desktop::DefaultHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

UINT Win32Desktop::RunModalLoop(HWND window) {
  MSG msg;
  while (::IsWindow(window)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;  // WM_QUIT, or a broken queue
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  const auto code = closeCodes_.find(window);
  return code == closeCodes_.end() || ::IsWindow(window) ? 0 : code->second;
}

void Win32Desktop::CenterWindow(HWND window) {
  RECT own;
  ::GetWindowRect(window, &own);
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& area = monitor.rcWork;
  const LONG left = area.left + (area.right - area.left - width) / 2;
  const LONG top = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Desktop::SetWindowIcon(HWND window, HICON icon) {
  ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void Win32Desktop::SetClientSize(HWND window, int cx, int cy) {
  RECT r{0, 0, MulDiv(cx, dpi_, 96), MulDiv(cy, dpi_, 96)};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL Win32Desktop::SetWindowText(HWND window, const std::string& text) {
  return ::SetWindowTextW(window, ToWide(text).c_str());
}

RECT Win32Desktop::GetWindowRect(HWND window) {
  RECT r{0, 0, 0, 0};
  ::GetWindowRect(window, &r);
  return r;
}

BOOL Win32Desktop::MoveWindow(HWND window, const RECT& rect) {
  return ::MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void Win32Desktop::AttachControls(HWND window, CPaintManagerUI& manager) {
  views_[window] = std::make_unique<FrameView>(window, instance_, manager, dpi_);
}

std::optional<std::string> Win32Desktop::ReadSkinFile(const std::string& folder, const std::string& file,
                                                      std::string& fullPath) {
  const std::wstring path = JoinPath(moduleDirectory_ + ToWide(folder), ToWide(file));
  fullPath = ToUtf8(path);
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  LARGE_INTEGER size{};
  // A skin is a few kilobytes; anything near the limit is not one.
  constexpr LONGLONG kMaxSkinBytes = 4 * 1024 * 1024;
  bool ok = GetFileSizeEx(handle, &size) && size.QuadPart < kMaxSkinBytes;
  if (ok) {
    content.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    ok = content.empty() ||
         (ReadFile(handle, content.data(), static_cast<DWORD>(content.size()), &read, nullptr) &&
          read == content.size());
  }
  CloseHandle(handle);
  if (!ok) return std::nullopt;
  return content;
}

void Win32Desktop::ReportSetupError(const std::string& text) {
  OutputDebugStringW((ToWide(text) + L"\n").c_str());
  os_.ShowMessageBox(text, "VESK", kMbIconError);
}

// ------------------------------------------------------------------ dialogs

HWND Win32Desktop::CreateDialogFromTemplate(CDialog& dialog, UINT templateId, HWND parent) {
  return CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId), parent, &Win32Desktop::DialogProc,
                            reinterpret_cast<LPARAM>(&dialog));
}

INT_PTR CALLBACK Win32Desktop::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    dialog->AttachHandle(hwnd);
  }
  if (!dialog) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
    case WM_TIMER:
    case WM_COMMAND: return dialog->RouteMessage(message, wParam, lParam);
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      dialog->RouteMessage(message, wParam, lParam);
      return FALSE;
    default: return FALSE;
  }
}

BOOL Win32Desktop::SetDlgItemText(HWND dialog, int itemId, const std::string& text) {
  return ::SetDlgItemTextW(dialog, itemId, ToWide(text).c_str());
}

std::string Win32Desktop::GetDlgItemText(HWND dialog, int itemId) {
  HWND item = GetDlgItem(dialog, itemId);
  if (!item) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  const int length = GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length));
  return ToUtf8(text);
}

// -------------------------------------------------------------------- shell

BOOL Win32Desktop::NotifyIcon(DWORD message, const NotifyIconData& data) {
  if (data.cbSize != kNotifyIconDataSize) return FALSE;
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof record;
  record.hWnd = data.hWnd;
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = data.hIcon;
  const std::wstring tip = TipText(data.szTip);
  tip.copy(record.szTip, tip.size());
  return Shell_NotifyIconW(message, &record);
}

ATOM Win32Desktop::AddGlobalAtom(const char* name) { return GlobalAddAtomW(ToWide(name ? name : "").c_str()); }

BOOL Win32Desktop::RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtualKey) {
  return ::RegisterHotKey(window, id, modifiers, virtualKey);
}

BOOL Win32Desktop::UnregisterHotKey(HWND window, int id) { return ::UnregisterHotKey(window, id); }

BOOL Win32Desktop::TrackPopupMenu(const PopupMenu& menu, UINT flags, int x, int y, HWND owner) {
  HMENU popup = CreatePopupMenu();
  if (!popup) return FALSE;
  for (const auto& item : menu.items) {
    AppendMenuW(popup, MF_STRING, item.id, ToWide(item.text).c_str());
  }
  const BOOL shown = ::TrackPopupMenu(popup, flags, x, y, 0, owner, nullptr);
  // Lets the menu close when the user clicks elsewhere next time.
  ::PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(popup);
  return shown;
}

POINT Win32Desktop::GetCursorPos() {
  POINT at{0, 0};
  ::GetCursorPos(&at);
  return at;
}

HWND Win32Desktop::FindWindow(const char* className, const char* title) {
  const std::wstring wideClass = ToWide(className ? className : "");
  const std::wstring wideTitle = ToWide(title ? title : "");
  return ::FindWindowW(className ? wideClass.c_str() : nullptr, title ? wideTitle.c_str() : nullptr);
}

BOOL Win32Desktop::IsWindow(HWND window) { return ::IsWindow(window); }
BOOL Win32Desktop::IsWindowVisible(HWND window) { return ::IsWindowVisible(window); }
BOOL Win32Desktop::IsIconic(HWND window) { return ::IsIconic(window); }
BOOL Win32Desktop::ShowWindow(HWND window, int command) { return ::ShowWindow(window, command); }
BOOL Win32Desktop::SetForegroundWindow(HWND window) { return ::SetForegroundWindow(window); }

LRESULT Win32Desktop::SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(window, message, wParam, lParam);
}

BOOL Win32Desktop::PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(window, message, wParam, lParam);
}

void Win32Desktop::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

UINT_PTR Win32Desktop::SetTimer(HWND window, UINT_PTR id, UINT elapseMs) {
  return ::SetTimer(window, id, elapseMs, nullptr);
}

BOOL Win32Desktop::KillTimer(HWND window, UINT_PTR id) { return ::KillTimer(window, id); }

HICON Win32Desktop::LoadIconResource(UINT resourceId) {
  auto& icon = icons_[resourceId];
  if (!icon) icon = LoadIconW(instance_, MAKEINTRESOURCEW(resourceId));
  return icon;
}

SIZE Win32Desktop::GetDisplaySize() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return {static_cast<LONG>(mode.dmPelsWidth), static_cast<LONG>(mode.dmPelsHeight)};
}

}  // namespace vesk::ui::win32
