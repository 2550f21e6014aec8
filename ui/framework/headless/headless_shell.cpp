// The headless desktop's shell and its user: tray icons, atoms, hot keys,
// popup menus and the windows' show states are recorded, and the user's
// actions reach the windows as Windows would deliver them.
#include <algorithm>
#include <string_view>

#include "resources/resource.h"
#include "ui/framework/headless/headless_desktop.h"
#include "ui/framework/headless/headless_records.h"

namespace vesk::ui::headless {
namespace {

// The first string atom handed out; global string atoms lie in 0xC000-0xFFFF.
constexpr ATOM kFirstAtom = 0xC0A5;
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
