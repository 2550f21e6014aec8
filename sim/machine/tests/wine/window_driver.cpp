// Drives VESKSim.exe from outside, as a user would, for the end-to-end run
// under Wine: finds the main window by its class name, brings it back from
// the notification area with the hot key Alt+J, or closes it.
//
//   vesk_window_driver show [seconds]   the window must appear hidden (in
//                                       the tray) and be visible after Alt+J
//   vesk_window_driver close [seconds]  WM_CLOSE; the window must go away
//   vesk_window_driver wait [seconds]   the window must come (hidden or not)
//
// Exit code 0 when the step did what it should; every outcome is printed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* kMainWindowClass = L"VESKMainFrame";
constexpr const wchar_t* kHotKeyAtom = L"MyHotKey";
constexpr WORD kHotKeyIdBase = 0x4000;  // id = atom + 0x4000, as the program computes it
constexpr UINT kPollMs = 100;

template <class Test>
bool WaitFor(Test test, double seconds) {
  for (double waited = 0; waited <= seconds; waited += kPollMs / 1000.0) {
    if (test()) return true;
    Sleep(kPollMs);
  }
  return false;
}

void PressAltJ() {
  INPUT keys[4]{};
  const WORD codes[4] = {VK_MENU, 'J', 'J', VK_MENU};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = codes[i];
    keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, keys, sizeof(INPUT));
}

int Show(double seconds) {
  HWND window = nullptr;
  if (!WaitFor([&] { return (window = FindWindowW(kMainWindowClass, nullptr)) != nullptr; }, seconds)) {
    std::printf("no window of class VESKMainFrame after %.0f s\n", seconds);
    return 1;
  }
  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  std::printf("found VESKMainFrame, title \"%ls\"\n", title);
  // Give the program its moment to move the window into the tray.
  if (!WaitFor([&] { return !IsWindowVisible(window); }, 5)) {
    std::printf("the window is visible: it did not start in the notification area\n");
    return 1;
  }
  std::printf("hidden in the notification area\n");

  PressAltJ();
  if (WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5)) {
    std::printf("visible after Alt+J (SendInput)\n");
    return 0;
  }
  // Some desktops do not route injected keys to hot keys; the message the
  // system would send then comes straight from here.
  const ATOM atom = GlobalFindAtomW(kHotKeyAtom);
  const auto id = static_cast<WPARAM>(static_cast<WORD>(atom + kHotKeyIdBase));
  PostMessageW(window, WM_HOTKEY, id, MAKELPARAM(MOD_ALT, 'J'));
  if (WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5)) {
    std::printf("visible after WM_HOTKEY id 0x%04X (SendInput did not reach the hot key)\n",
                static_cast<unsigned>(id));
    return 0;
  }
  std::printf("still hidden after Alt+J and WM_HOTKEY\n");
  return 1;
}

int Close(double seconds) {
  const HWND window = FindWindowW(kMainWindowClass, nullptr);
  if (window == nullptr) {
    std::printf("no window of class VESKMainFrame to close\n");
    return 1;
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (!WaitFor([] { return FindWindowW(kMainWindowClass, nullptr) == nullptr; }, seconds)) {
    std::printf("the window is still there after WM_CLOSE\n");
    return 1;
  }
  std::printf("closed\n");
  return 0;
}

int Wait(double seconds) {
  if (!WaitFor([] { return FindWindowW(kMainWindowClass, nullptr) != nullptr; }, seconds)) {
    std::printf("no window of class VESKMainFrame after %.0f s\n", seconds);
    return 1;
  }
  std::printf("found VESKMainFrame\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string step = argc > 1 ? argv[1] : "";
  const double seconds = argc > 2 ? std::atof(argv[2]) : 30.0;
  int result = 2;
  if (step == "show") {
    result = Show(seconds);
  } else if (step == "close") {
    result = Close(seconds);
  } else if (step == "wait") {
    result = Wait(seconds);
  } else {
    std::printf("usage: vesk_window_driver show|close|wait [seconds]\n");
  }
  std::fflush(stdout);
  return result;
}
