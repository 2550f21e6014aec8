#include "ui/framework/headless/headless_desktop.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "resources/resource.h"

namespace vesk::ui::headless {
namespace {

using namespace std::chrono;

// The shortest timer period the system allows (USER_TIMER_MINIMUM).
constexpr UINT kMinTimerPeriodMs = 10;
// The first string atom handed out; global string atoms lie in 0xC000-0xFFFF.
constexpr ATOM kFirstAtom = 0xC0A5;
// Where a window made at CW_USEDEFAULT is put.
constexpr LONG kDefaultLeft = 120;
constexpr LONG kDefaultTop = 90;
// Dialog boxes' system class name.
constexpr const char* kDialogClass = "#32770";
// BN_CLICKED, the notification code of a push button's command.
constexpr WORD kButtonClicked = 0;

bool SameClassName(const std::string& a, const char* b) {
  const std::string_view other(b ? b : "");
  if (a.size() != other.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(other[i])) return false;
  }
  return true;
}

}  // namespace

struct HeadlessDesktop::Window {
  HWND hwnd = nullptr;
  std::string className;
  std::string title;
  HWND parent = nullptr;
  DWORD style = 0;
  CWindowWnd* object = nullptr;
  CDialog* dialog = nullptr;
  std::size_t dialogIndex = 0;
  CPaintManagerUI* manager = nullptr;
  bool alive = true;
  bool destroying = false;
  bool visible = false;
  bool minimized = false;
  RECT rect{0, 0, 0, 0};
  HICON icon = nullptr;
};

struct HeadlessDesktop::Timer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT period = 0;
  DesktopTime due;
  bool pending = false;  // expired while its window was busy; delivered next
  DesktopTime pendingAt;
  uint64_t sequence = 0;  // order among timers due at the same moment
  uint64_t generation = 0;

  DesktopTime Effective() const { return pending ? pendingAt : due; }
};

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

// ------------------------------------------------------------------ Shell

BOOL HeadlessDesktop::NotifyIcon(DWORD message, const NotifyIconData& data) {
  BOOL result = FALSE;
  const auto existing = std::find_if(trayIcons_.begin(), trayIcons_.end(), [&](const TrayIconRecord& icon) {
    return icon.data.hWnd == data.hWnd && icon.data.uID == data.uID;
  });
  const bool valid = data.cbSize == kNotifyIconDataSize && data.hWnd != nullptr;
  if (valid) {
    switch (message) {
      case NIM_ADD:
        if (existing == trayIcons_.end()) {
          trayIcons_.push_back({data, Clock().Now()});
          result = TRUE;
        }
        break;
      case NIM_MODIFY:
        if (existing != trayIcons_.end()) {
          if (data.uFlags & NIF_MESSAGE) existing->data.uCallbackMessage = data.uCallbackMessage;
          if (data.uFlags & NIF_ICON) existing->data.hIcon = data.hIcon;
          if (data.uFlags & NIF_TIP) existing->data.szTip = data.szTip;
          existing->data.uFlags |= data.uFlags;
          result = TRUE;
        }
        break;
      case NIM_DELETE:
        if (existing != trayIcons_.end()) {
          trayIcons_.erase(existing);
          result = TRUE;
        }
        break;
      default: break;
    }
  }
  trayCalls_.push_back({Clock().Now(), message, data, result});
  return result;
}

ATOM HeadlessDesktop::AddGlobalAtom(const char* name) {
  std::string key(name ? name : "");
  for (auto& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (key.empty()) return 0;
  const auto found = atoms_.find(key);
  if (found != atoms_.end()) return found->second;
  const auto atom = static_cast<ATOM>(kFirstAtom + atoms_.size());
  atoms_[key] = atom;
  return atom;
}

BOOL HeadlessDesktop::RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtualKey) {
  if (!Find(window)) return FALSE;
  for (const auto& key : hotKeys_) {
    if (key.modifiers == modifiers && key.virtualKey == virtualKey) return FALSE;
  }
  hotKeys_.push_back({window, id, modifiers, virtualKey});
  return TRUE;
}

BOOL HeadlessDesktop::UnregisterHotKey(HWND window, int id) {
  const auto key = std::find_if(hotKeys_.begin(), hotKeys_.end(),
                                [&](const HotKeyRecord& k) { return k.window == window && k.id == id; });
  if (key == hotKeys_.end()) return FALSE;
  hotKeys_.erase(key);
  return TRUE;
}

BOOL HeadlessDesktop::TrackPopupMenu(const PopupMenu& menu, UINT flags, int x, int y, HWND owner) {
  if (!Find(owner) || menu.items.empty()) return FALSE;
  menu_ = OpenMenu{owner, menu, POINT{x, y}, flags};
  return TRUE;
}

HWND HeadlessDesktop::FindWindow(const char* className, const char* title) {
  for (const HWND hwnd : creationOrder_) {
    const Window* window = Find(hwnd);
    if (!window || window->destroying) continue;
    if (className && !SameClassName(window->className, className)) continue;
    if (title && window->title != title) continue;
    return hwnd;
  }
  return nullptr;
}

BOOL HeadlessDesktop::IsWindow(HWND window) { return Find(window) != nullptr; }

BOOL HeadlessDesktop::IsIconic(HWND hwnd) {
  const Window* window = Find(hwnd);
  return window && window->minimized;
}

BOOL HeadlessDesktop::IsWindowVisible(HWND hwnd) {
  const Window* window = Find(hwnd);
  return window && window->visible;
}

BOOL HeadlessDesktop::ShowWindow(HWND hwnd, int command) {
  Window* window = Find(hwnd);
  if (!window) return FALSE;
  const BOOL wasVisible = window->visible;
  switch (command) {
    case SW_HIDE:
      window->visible = false;
      if (active_ == hwnd) active_ = nullptr;
      if (foreground_ == hwnd) foreground_ = nullptr;
      break;
    case SW_SHOWNOACTIVATE: window->visible = true; break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
      window->visible = true;
      window->minimized = true;
      break;
    case SW_SHOW:
      // Shows the window as it was, minimised or not.
      window->visible = true;
      active_ = hwnd;
      foreground_ = hwnd;
      break;
    default:
      window->minimized = false;
      window->visible = true;
      active_ = hwnd;
      foreground_ = hwnd;
      break;
  }
  if (window->dialog) dialogs_[window->dialogIndex].visible = window->visible;
  return wasVisible;
}

BOOL HeadlessDesktop::SetForegroundWindow(HWND window) {
  if (!Find(window)) return FALSE;
  foreground_ = active_ = window;
  return TRUE;
}

LRESULT HeadlessDesktop::SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = Find(hwnd);
  return window ? Dispatch(*window, message, wParam, lParam) : 0;
}

BOOL HeadlessDesktop::PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Find(window)) return FALSE;
  queue_.push_back({window, message, wParam, lParam});
  return TRUE;
}

void HeadlessDesktop::PostQuitMessage(int exitCode) {
  quitCode_ = exitCode;
  quitPending_ = true;
}

UINT_PTR HeadlessDesktop::SetTimer(HWND window, UINT_PTR id, UINT elapseMs) {
  if (!Find(window)) return 0;
  const UINT period = std::max(elapseMs, kMinTimerPeriodMs);
  auto timer = std::find_if(timers_.begin(), timers_.end(),
                            [&](const auto& t) { return t->window == window && t->id == id; });
  if (timer == timers_.end()) {
    timers_.push_back(std::make_unique<Timer>());
    timer = std::prev(timers_.end());
    (*timer)->window = window;
    (*timer)->id = id;
    (*timer)->sequence = ++timerSequence_;
  }
  (*timer)->period = period;
  (*timer)->due = Clock().Now() + milliseconds{period};
  (*timer)->pending = false;
  (*timer)->generation = ++timerSequence_;
  return id ? id : 1;
}

BOOL HeadlessDesktop::KillTimer(HWND window, UINT_PTR id) {
  const auto timer = std::find_if(timers_.begin(), timers_.end(),
                                  [&](const auto& t) { return t->window == window && t->id == id; });
  if (timer == timers_.end()) return FALSE;
  timers_.erase(timer);
  return TRUE;
}

HICON HeadlessDesktop::LoadIconResource(UINT resourceId) {
  if (resourceId != IDI_VESK && resourceId != IDI_VESK_WARNING) return nullptr;
  auto& icon = icons_[resourceId];
  if (!icon) icon = reinterpret_cast<HICON>(static_cast<uintptr_t>(0x20000 + resourceId * 4));
  return icon;
}

UINT HeadlessDesktop::IconResourceId(HICON icon) const {
  for (const auto& [id, handle] : icons_) {
    if (handle == icon && icon != nullptr) return id;
  }
  return 0;
}

// --------------------------------------------------- time and the queue

int HeadlessDesktop::PumpMessages() {
  int count = 0;
  while (!queue_.empty()) {
    const Posted next = queue_.front();
    queue_.pop_front();
    if (Window* window = Find(next.window)) {
      Dispatch(*window, next.message, next.wParam, next.lParam);
      ++count;
    }
  }
  return count;
}

std::optional<DesktopTime> HeadlessDesktop::NextTimerDue() const {
  std::optional<DesktopTime> next;
  for (const auto& timer : timers_) {
    if (!next || timer->Effective() < *next) next = timer->Effective();
  }
  return next;
}

std::optional<UINT> HeadlessDesktop::TimerPeriod(HWND window, UINT_PTR id) const {
  for (const auto& timer : timers_) {
    if (timer->window == window && timer->id == id) return timer->period;
  }
  return std::nullopt;
}

bool HeadlessDesktop::DeliverNextTimer(DesktopTime limit) {
  Timer* next = nullptr;
  for (const auto& timer : timers_) {
    if (!next || timer->Effective() < next->Effective() ||
        (timer->Effective() == next->Effective() && timer->sequence < next->sequence)) {
      next = timer.get();
    }
  }
  if (!next || next->Effective() > limit) return false;
  const auto now = Clock().Now();
  if (next->Effective() > now) Clock().Advance(next->Effective() - now);

  const HWND hwnd = next->window;
  const UINT_PTR id = next->id;
  const uint64_t generation = next->generation;
  const auto period = milliseconds{next->period};
  if (next->pending) {
    next->pending = false;
  } else {
    // Periods that passed while nobody ran the loop come as this one message.
    while (next->due <= Clock().Now()) next->due += period;
  }
  if (Window* window = Find(hwnd)) Dispatch(*window, WM_TIMER, id, 0);

  // Periods that ran out while the handler ran leave one message pending.
  for (const auto& timer : timers_) {
    if (timer->window != hwnd || timer->id != id || timer->generation != generation) continue;
    const auto after = Clock().Now();
    if (timer->due <= after) {
      timer->pending = true;
      timer->pendingAt = after;
      while (timer->due <= after) timer->due += period;
    }
    break;
  }
  return true;
}

void HeadlessDesktop::RunUntil(DesktopTime t) {
  for (;;) {
    PumpMessages();
    if (!DeliverNextTimer(t)) break;
  }
  const auto now = Clock().Now();
  if (now < t) Clock().Advance(t - now);
  PumpMessages();
}

void HeadlessDesktop::RunFor(Microseconds duration) { RunUntil(Clock().Now() + duration); }

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

// --------------------------------------------------------------- the user

bool HeadlessDesktop::UserCanReach(HWND hwnd) const {
  const Window* window = Find(hwnd);
  return window && window->visible && !window->destroying;
}

bool HeadlessDesktop::Click(HWND hwnd, const char* name) {
  if (!UserCanReach(hwnd)) return false;
  Window* window = Find(hwnd);
  CControlUI* control = Control(hwnd, name);
  if (!window->object || !control || !control->IsVisible() || !control->IsEnabled()) return false;
  active_ = foreground_ = hwnd;
  bool done = false;
  window->object->RouteCall([&] {
    control->SetFocus();
    done = control->Activate();
  });
  PumpMessages();
  return done;
}

bool HeadlessDesktop::SelectListItem(HWND hwnd, const char* name, int index) {
  if (!UserCanReach(hwnd)) return false;
  Window* window = Find(hwnd);
  auto* combo = dynamic_cast<CComboUI*>(Control(hwnd, name));
  if (!window->object || !combo || !combo->IsVisible() || !combo->IsEnabled()) return false;
  if (index < 0 || index >= combo->GetCount()) return false;
  active_ = foreground_ = hwnd;
  window->object->RouteCall([&] { combo->SelectItem(index, true); });
  PumpMessages();
  return true;
}

bool HeadlessDesktop::CloseByUser(HWND hwnd) {
  if (!UserCanReach(hwnd)) return false;
  SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpMessages();
  return true;
}

bool HeadlessDesktop::SendTrayMouse(HWND owner, UINT id, std::initializer_list<UINT> mouseMessages) {
  const TrayIconRecord* icon = TrayIcon(owner, id);
  if (!icon || !Find(owner) || !(icon->data.uFlags & NIF_MESSAGE)) return false;
  for (const UINT mouse : mouseMessages) {
    // The icon may be gone after one of the clicks; the rest then land nowhere.
    icon = TrayIcon(owner, id);
    if (!icon || !Find(owner)) break;
    PostMessage(owner, icon->data.uCallbackMessage, id, static_cast<LPARAM>(mouse));
    PumpMessages();
  }
  return true;
}

bool HeadlessDesktop::DoubleClickTrayIcon(HWND owner, UINT id) {
  return SendTrayMouse(owner, id, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
}

bool HeadlessDesktop::RightClickTrayIcon(HWND owner, UINT id) {
  return SendTrayMouse(owner, id, {WM_RBUTTONDOWN, WM_RBUTTONUP});
}

bool HeadlessDesktop::PressHotKey(UINT modifiers, UINT virtualKey) {
  for (const auto& key : hotKeys_) {
    if (key.modifiers != modifiers || key.virtualKey != virtualKey || !Find(key.window)) continue;
    PostMessage(key.window, WM_HOTKEY, static_cast<WPARAM>(key.id),
                MAKELPARAM(modifiers, virtualKey));
    PumpMessages();
    return true;
  }
  return false;
}

bool HeadlessDesktop::ChooseMenuItem(UINT id) {
  if (!menu_) return false;
  const auto& items = menu_->menu.items;
  const bool known = std::any_of(items.begin(), items.end(), [&](const auto& item) { return item.id == id; });
  if (!known) return false;
  const HWND owner = menu_->owner;
  menu_.reset();
  PostMessage(owner, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  PumpMessages();
  return true;
}

bool HeadlessDesktop::DismissMenu() {
  if (!menu_) return false;
  menu_.reset();
  return true;
}

bool HeadlessDesktop::ClickDialogButton(HWND hwnd, int itemId) {
  Window* window = Find(hwnd);
  if (!window || !window->dialog || !window->visible) return false;
  const auto& items = dialogs_[window->dialogIndex].items;
  if (items.find(itemId) == items.end()) return false;
  Dispatch(*window, WM_COMMAND, MAKEWPARAM(itemId, kButtonClicked), 0);
  PumpMessages();
  return true;
}

}  // namespace vesk::ui::headless
