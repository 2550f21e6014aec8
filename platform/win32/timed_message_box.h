#pragma once
// A message box that closes itself: an ordinary MessageBoxExW and a thread
// timer that ends that very box after the timeout. Windows' own
// MessageBoxTimeout is undocumented and does not time out under Wine.
#include <windows.h>

#include <string>

namespace vesk::win32 {

// What the box answers when its time ran out (the value Windows uses).
inline constexpr int kTimedOutAnswer = 32000;

// The system call that sets the box's timer: the system's own unless a
// caller (a test making it fail as the system can) puts in another.
struct TimedBoxCalls {
  UINT_PTR(WINAPI* setTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = &SetTimer;
};

// Shows the box without owner window; the answer is the button pressed, or
// kTimedOutAnswer when nobody answered within timeoutMs. Boxes may nest (a
// timer of the program can open another while one is up); each closes only
// itself. When the timer cannot be set, the box still closes in time.
int TimedMessageBox(const std::wstring& text, const std::wstring& caption, UINT type, WORD langId,
                    DWORD timeoutMs, const TimedBoxCalls& calls = {});

}  // namespace vesk::win32
