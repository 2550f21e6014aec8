#include "ui/framework/headless/headless_desktop.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "resources/resource.h"
#include "ui/framework/headless/headless_records.h"

namespace vesk::ui::headless {
namespace {

// Where a window made at CW_USEDEFAULT is put.
constexpr LONG kDefaultLeft = 120;
constexpr LONG kDefaultTop = 90;
// Dialog boxes' system class name.
constexpr const char* kDialogClass = "#32770";

}  // namespace

HeadlessDesktop::HeadlessDesktop(OsServices& os, DesktopClock& clock, std::string moduleDirectory)
    : os_(os), clock_(clock), moduleDirectory_(std::move(moduleDirectory)) {
  // 102 x 49 dialog units in Windows' 8-point dialog font are 153 x 80
  // pixels at 96 dpi, plus the thin border.
  DialogTemplate notice;
  notice.width = 155;
  notice.height = 82;
  notice.items[IDC_NOTICE_BUTTON] = "Button1";
  templates_[IDD_NOTICE] = notice;
  Install();
}

HeadlessDesktop::~HeadlessDesktop() {
  // Window objects that outlive the desktop must not call back into it.
  for (auto& [hwnd, window] : windows_) {
    if (window->alive && window->object) window->object->AttachHandle(nullptr);
    if (window->alive && window->dialog) window->dialog->AttachHandle(nullptr);
  }
  Uninstall();
}

void HeadlessDesktop::SetDialogTemplate(UINT templateId, DialogTemplate dialogTemplate) {
  templates_[templateId] = std::move(dialogTemplate);
}

// ------------------------------------------------------------ bookkeeping

HeadlessDesktop::Window* HeadlessDesktop::Find(HWND window) const {
  const auto it = windows_.find(window);
  return it != windows_.end() && it->second->alive ? it->second.get() : nullptr;
}

HWND HeadlessDesktop::NewHandle() {
  nextHandle_ += 4;
  return reinterpret_cast<HWND>(nextHandle_);
}

LRESULT HeadlessDesktop::Dispatch(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) closeCodes_[window.hwnd] = static_cast<UINT>(wParam);
  if (window.object) return window.object->RouteMessage(message, wParam, lParam);
  if (window.dialog) return window.dialog->RouteMessage(message, wParam, lParam);
  return 0;
}

void HeadlessDesktop::RemoveTimersOf(HWND window) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const auto& timer) { return timer->window == window; }),
                timers_.end());
  hotKeys_.erase(std::remove_if(hotKeys_.begin(), hotKeys_.end(),
                                [&](const HotKeyRecord& key) { return key.window == window; }),
                 hotKeys_.end());
}

void HeadlessDesktop::DestroyRecord(HWND hwnd, bool callBack) {
  Window* window = Find(hwnd);
  if (!window || window->destroying) return;
  window->destroying = true;
  window->visible = false;
  if (active_ == hwnd) active_ = nullptr;
  if (foreground_ == hwnd) foreground_ = nullptr;
  if (window->dialog) dialogs_[window->dialogIndex].visible = false;
  // Owned windows go first, as the system does it.
  for (const HWND owned : creationOrder_) {
    const Window* candidate = Find(owned);
    if (candidate && candidate->parent == hwnd) DestroyRecord(owned, callBack);
  }
  if (callBack) {
    Dispatch(*window, WM_DESTROY, 0, 0);
    Dispatch(*window, WM_NCDESTROY, 0, 0);
  }
  window->alive = false;
  window->object = nullptr;
  window->dialog = nullptr;
  window->manager = nullptr;
  if (window->dialogIndex < dialogs_.size() && dialogs_[window->dialogIndex].hwnd == hwnd) {
    dialogs_[window->dialogIndex].alive = false;
  }
  RemoveTimersOf(hwnd);
}

// ---------------------------------------------------------- WindowSystem

HWND HeadlessDesktop::CreateFrameWindow(CWindowWnd& object, const CreateParams& params) {
  if (!params.className || !*params.className) return nullptr;
  if (params.parent && !Find(params.parent)) return nullptr;
  auto record = std::make_unique<Window>();
  Window& window = *record;
  window.hwnd = NewHandle();
  window.className = params.className;
  window.title = params.title ? params.title : "";
  window.parent = params.parent;
  window.style = params.style;
  window.object = &object;
  const LONG left = params.x == CW_USEDEFAULT ? kDefaultLeft : params.x;
  const LONG top = params.x == CW_USEDEFAULT ? kDefaultTop : params.y;
  const LONG width = params.cx == CW_USEDEFAULT ? 0 : params.cx;
  const LONG height = params.cx == CW_USEDEFAULT ? 0 : params.cy;
  window.rect = {left, top, left + width, top + height};
  const HWND hwnd = window.hwnd;
  windows_[hwnd] = std::move(record);
  creationOrder_.push_back(hwnd);

  object.AttachHandle(hwnd);
  if (Dispatch(window, WM_CREATE, 0, 0) == -1) {
    DestroyRecord(hwnd, true);
    return nullptr;
  }
  Window* created = Find(hwnd);
  if (!created) return nullptr;  // it destroyed itself while being created
  if (params.style & WS_VISIBLE) {
    created->visible = true;
    active_ = foreground_ = hwnd;
  }
  return hwnd;
}

BOOL HeadlessDesktop::DestroyWindow(HWND window) {
  if (!Find(window)) return FALSE;
  DestroyRecord(window, true);
  return TRUE;
}

void HeadlessDesktop::DetachWindow(HWND window) {
  if (!Find(window)) return;
  DestroyRecord(window, false);
}

LRESULT HeadlessDesktop::DefaultHandler(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE: return SendMessage(window, WM_CLOSE, 0, 0);
        case SC_MINIMIZE: ShowWindow(window, SW_MINIMIZE); return 0;
        case SC_RESTORE: ShowWindow(window, SW_RESTORE); return 0;
        default: return 0;
      }
    default: return 0;
  }
}

UINT HeadlessDesktop::RunModalLoop(HWND window) {
  for (;;) {
    PumpMessages();
    if (quitPending_) {
      quitPending_ = false;
      break;
    }
    if (!Find(window)) break;
    if (!modalDriver_ || !modalDriver_(*this)) break;
  }
  if (Find(window)) return 0;
  const auto code = closeCodes_.find(window);
  return code == closeCodes_.end() ? 0 : code->second;
}

void HeadlessDesktop::CenterWindow(HWND hwnd) {
  Window* window = Find(hwnd);
  if (!window) return;
  const LONG width = window->rect.right - window->rect.left;
  const LONG height = window->rect.bottom - window->rect.top;
  const LONG left = (display_.cx - width) / 2;
  const LONG top = (display_.cy - height) / 2;
  window->rect = {left, top, left + width, top + height};
}

void HeadlessDesktop::SetWindowIcon(HWND hwnd, HICON icon) {
  if (Window* window = Find(hwnd)) window->icon = icon;
}

void HeadlessDesktop::SetClientSize(HWND hwnd, int cx, int cy) {
  Window* window = Find(hwnd);
  if (!window) return;
  window->rect.right = window->rect.left + cx;
  window->rect.bottom = window->rect.top + cy;
}

BOOL HeadlessDesktop::SetWindowText(HWND hwnd, const std::string& text) {
  Window* window = Find(hwnd);
  if (!window) return FALSE;
  window->title = text;
  return TRUE;
}

BOOL HeadlessDesktop::MoveWindow(HWND hwnd, const RECT& rect) {
  Window* window = Find(hwnd);
  if (!window) return FALSE;
  window->rect = rect;
  if (window->dialog) dialogs_[window->dialogIndex].rect = rect;
  return TRUE;
}

void HeadlessDesktop::AttachControls(HWND hwnd, CPaintManagerUI& manager) {
  Window* window = Find(hwnd);
  if (!window) return;
  window->manager = &manager;
  manager.SetNotifyObserver([this, hwnd](const TNotifyUI& msg) {
    notifications_.push_back({hwnd, msg.sType.str(), msg.pSender ? msg.pSender->GetName().str() : "",
                              msg.wParam, msg.lParam});
  });
}

std::optional<std::string> HeadlessDesktop::ReadSkinFile(const std::string& folder, const std::string& file,
                                                         std::string& fullPath) {
  fullPath = moduleDirectory_;
  if (!fullPath.empty() && fullPath.back() != '/') fullPath += '/';
  fullPath += folder + "/" + file;
  std::ifstream in(fullPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void HeadlessDesktop::ReportSetupError(const std::string& text) {
  setupErrors_.push_back(text);
  os_.ShowMessageBox(text, "VESK", kMbIconError);
}

HWND HeadlessDesktop::CreateDialogFromTemplate(CDialog& dialog, UINT templateId, HWND parent) {
  const auto found = templates_.find(templateId);
  if (found == templates_.end()) return nullptr;
  if (parent && !Find(parent)) return nullptr;
  auto record = std::make_unique<Window>();
  Window& window = *record;
  window.hwnd = NewHandle();
  window.className = kDialogClass;
  window.parent = parent;
  window.dialog = &dialog;
  window.rect = {0, 0, found->second.width, found->second.height};
  window.dialogIndex = dialogs_.size();
  DialogRecord log;
  log.hwnd = window.hwnd;
  log.templateId = templateId;
  log.rect = window.rect;
  log.items = found->second.items;
  log.createdAt = Clock().Now();
  dialogs_.push_back(std::move(log));
  const HWND hwnd = window.hwnd;
  windows_[hwnd] = std::move(record);
  creationOrder_.push_back(hwnd);
  dialog.AttachHandle(hwnd);
  Dispatch(window, WM_INITDIALOG, 0, 0);
  return Find(hwnd) ? hwnd : nullptr;
}

BOOL HeadlessDesktop::SetDlgItemText(HWND hwnd, int itemId, const std::string& text) {
  Window* window = Find(hwnd);
  if (!window || !window->dialog) return FALSE;
  auto& items = dialogs_[window->dialogIndex].items;
  const auto item = items.find(itemId);
  if (item == items.end()) return FALSE;
  item->second = text;
  return TRUE;
}

std::string HeadlessDesktop::GetDlgItemText(HWND hwnd, int itemId) {
  Window* window = Find(hwnd);
  if (!window || !window->dialog) return {};
  const auto& items = dialogs_[window->dialogIndex].items;
  const auto item = items.find(itemId);
  return item == items.end() ? std::string{} : item->second;
}

// ---------------------------------------------------------------- queries

std::vector<HWND> HeadlessDesktop::Windows() const {
  std::vector<HWND> live;
  for (const HWND hwnd : creationOrder_) {
    if (Find(hwnd)) live.push_back(hwnd);
  }
  return live;
}

CWindowWnd* HeadlessDesktop::WindowObject(HWND hwnd) const {
  const Window* window = Find(hwnd);
  return window ? window->object : nullptr;
}

CPaintManagerUI* HeadlessDesktop::PaintManager(HWND hwnd) const {
  const Window* window = Find(hwnd);
  return window ? window->manager : nullptr;
}

CControlUI* HeadlessDesktop::Control(HWND hwnd, const char* name) const {
  const CPaintManagerUI* manager = PaintManager(hwnd);
  return manager ? manager->FindControl(name) : nullptr;
}

std::string HeadlessDesktop::WindowClass(HWND hwnd) const {
  const Window* window = Find(hwnd);
  return window ? window->className : std::string{};
}

std::string HeadlessDesktop::WindowTitle(HWND hwnd) const {
  const Window* window = Find(hwnd);
  return window ? window->title : std::string{};
}

HWND HeadlessDesktop::WindowParent(HWND hwnd) const {
  const Window* window = Find(hwnd);
  return window ? window->parent : nullptr;
}

HICON HeadlessDesktop::WindowIcon(HWND hwnd) const {
  const Window* window = Find(hwnd);
  return window ? window->icon : nullptr;
}

RECT HeadlessDesktop::WindowRectOf(HWND hwnd) const {
  const Window* window = Find(hwnd);
  return window ? window->rect : RECT{0, 0, 0, 0};
}

const TrayIconRecord* HeadlessDesktop::TrayIcon(HWND owner, UINT id) const {
  for (const auto& icon : trayIcons_) {
    if (icon.data.hWnd == owner && icon.data.uID == id) return &icon;
  }
  return nullptr;
}

const DialogRecord* HeadlessDesktop::Dialog(HWND dialog) const {
  for (const auto& record : dialogs_) {
    if (record.hwnd == dialog) return &record;
  }
  return nullptr;
}

void HeadlessDesktop::ClearRecords() {
  trayCalls_.clear();
  notifications_.clear();
  setupErrors_.clear();
  quitCode_.reset();
}

}  // namespace vesk::ui::headless
