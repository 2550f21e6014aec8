#include "platform/win32/timed_message_box.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace vesk::win32 {

namespace {

// The class every dialog box, and so every message box, is made of.
constexpr wchar_t kDialogClass[] = L"#32770";

struct PendingBox {
  std::atomic<HWND> box = nullptr;
  UINT_PTR timer = 0;
  std::atomic<bool> timedOut = false;
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
  const HWND box = pending.box;
  if (box && IsWindow(box)) {
    pending.timedOut = true;
    EndDialog(box, kTimedOutAnswer);
  }
}

struct BoxSearch {
  const std::wstring* caption;
  HWND found;
};

// The newest dialog of the thread with this caption.
BOOL CALLBACK MatchBox(HWND window, LPARAM lParam) {
  auto& search = *reinterpret_cast<BoxSearch*>(lParam);
  wchar_t title[256] = {};
  GetWindowTextW(window, title, static_cast<int>(std::size(title)));
  if (IsDialog(window) && *search.caption == title) search.found = window;
  return TRUE;
}

// When no timer could be set (the thread's timers are used up, or the hook
// that tells the box apart is refused), a thread of its own closes the box
// once its time is up, so that an unattended machine never waits for a
// click that does not come.
class FallbackCloser {
 public:
  FallbackCloser(PendingBox& pending, std::wstring caption, DWORD timeoutMs)
      : pending_(pending), caption_(std::move(caption)), boxThread_(GetCurrentThreadId()),
        answered_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (answered_) worker_ = std::thread([this, timeoutMs] { CloseWhenDue(timeoutMs); });
  }
  ~FallbackCloser() {
    if (!answered_) return;
    SetEvent(answered_);
    worker_.join();
    CloseHandle(answered_);
  }
  FallbackCloser(const FallbackCloser&) = delete;
  FallbackCloser& operator=(const FallbackCloser&) = delete;

 private:
  void CloseWhenDue(DWORD timeoutMs) {
    if (WaitForSingleObject(answered_, timeoutMs) != WAIT_TIMEOUT) return;
    // The box may still be on its way up; look again until it is there.
    while (WaitForSingleObject(answered_, kLookAgainMs) == WAIT_TIMEOUT) {
      HWND box = pending_.box;
      if (!box) {
        BoxSearch search{&caption_, nullptr};
        EnumThreadWindows(boxThread_, &MatchBox, reinterpret_cast<LPARAM>(&search));
        box = search.found;
      }
      if (box && IsWindow(box)) {
        pending_.timedOut = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
    }
  }

  static constexpr DWORD kLookAgainMs = 50;
  PendingBox& pending_;
  const std::wstring caption_;
  const DWORD boxThread_;
  const HANDLE answered_;
  std::thread worker_;
};

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
                    DWORD timeoutMs, const TimedBoxCalls& calls) {
  PendingBox pending;
  const PendingScope scope{pending};
  if (scope.Hooked()) {
    pending.timer = calls.setTimer(nullptr, 0, timeoutMs, &CloseTimedOutBox);
  }
  std::optional<FallbackCloser> closer;
  if (!pending.timer) closer.emplace(pending, caption, timeoutMs);
  const int answer = MessageBoxExW(nullptr, text.c_str(), caption.c_str(), type, langId);
  closer.reset();
  return pending.timedOut ? kTimedOutAnswer : answer;
}

}  // namespace vesk::win32
