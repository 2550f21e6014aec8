#include "platform/win32/timed_message_box.h"

#include <algorithm>
#include <vector>

namespace vesk::win32 {

namespace {

// The class every dialog box, and so every message box, is made of.
constexpr wchar_t kDialogClass[] = L"#32770";

struct PendingBox {
  HWND box = nullptr;
  UINT_PTR timer = 0;
  bool timedOut = false;
};

// Boxes of this thread that are up, innermost last.
thread_local std::vector<PendingBox*> t_pending;

bool IsDialog(HWND window) {
  wchar_t name[16] = {};
  return GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 &&
         std::wstring_view(name) == kDialogClass;
}

// Learns the box's window as it is made: the first dialog created after the
// hook went in belongs to the innermost box that has none yet.
LRESULT CALLBACK WatchBoxCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && !t_pending.empty()) {
    PendingBox* innermost = t_pending.back();
    const auto window = reinterpret_cast<HWND>(wParam);
    if (!innermost->box && IsDialog(window)) innermost->box = window;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK CloseTimedOutBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  const auto it = std::find_if(t_pending.begin(), t_pending.end(),
                               [timer](const PendingBox* p) { return p->timer == timer; });
  if (it == t_pending.end()) return;
  PendingBox& pending = **it;
  pending.timer = 0;
  if (pending.box && IsWindow(pending.box)) {
    pending.timedOut = true;
    EndDialog(pending.box, kTimedOutAnswer);
  }
}

// Registers a box for the length of one call and removes every trace of it
// on the way out, however the box ended.
class PendingScope {
 public:
  explicit PendingScope(PendingBox& pending) : pending_(pending) {
    t_pending.push_back(&pending_);
    hook_ = SetWindowsHookExW(WH_CBT, &WatchBoxCreation, nullptr, GetCurrentThreadId());
  }
  ~PendingScope() {
    if (pending_.timer) KillTimer(nullptr, pending_.timer);
    if (hook_) UnhookWindowsHookEx(hook_);
    t_pending.erase(std::remove(t_pending.begin(), t_pending.end(), &pending_), t_pending.end());
  }
  PendingScope(const PendingScope&) = delete;
  PendingScope& operator=(const PendingScope&) = delete;
  bool Hooked() const { return hook_ != nullptr; }

 private:
  PendingBox& pending_;
  HHOOK hook_ = nullptr;
};

}  // namespace

int TimedMessageBox(const std::wstring& text, const std::wstring& caption, UINT type, WORD langId,
                    DWORD timeoutMs) {
  PendingBox pending;
  const PendingScope scope{pending};
  if (scope.Hooked()) pending.timer = SetTimer(nullptr, 0, timeoutMs, &CloseTimedOutBox);
  const int answer = MessageBoxExW(nullptr, text.c_str(), caption.c_str(), type, langId);
  return pending.timedOut ? kTimedOutAnswer : answer;
}

}  // namespace vesk::win32
