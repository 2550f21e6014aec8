// Drives VESKSim.exe or VESK.exe from outside, as a user would, for the
// end-to-end runs under Wine: finds the main window by its class name,
// brings it back from the notification area with the hot key Alt+J, closes
// it, ends the program through its tray menu, or answers its error box.
//
//   vesk_window_driver show [seconds]   the window must appear hidden (in
//                                       the tray) and be visible after Alt+J
//   vesk_window_driver close [seconds]  WM_CLOSE; the window must go away
//   vesk_window_driver wait [seconds]   the window must come (hidden or not)
//   vesk_window_driver exit [seconds]   the window must appear hidden; the
//                                       tray menu's "exit" must end it
//   vesk_window_driver box [seconds]    an error box must appear and no main
//                                       window; prints "box: CAPTION: TEXT"
//                                       and presses its OK button
//
// Exit code 0 when the step did what it should; every outcome is printed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* kMainWindowClass = L"VESKMainFrame";
constexpr const wchar_t* kMessageBoxClass = L"#32770";
constexpr const wchar_t* kStaticClass = L"Static";
constexpr WPARAM kTrayMenuExit = 1;  // the icon menu's only item
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

// Waits for the main window and for the program to move it into the tray.
HWND MainWindowInTray(double seconds) {
  HWND window = nullptr;
  if (!WaitFor([&] { return (window = FindWindowW(kMainWindowClass, nullptr)) != nullptr; }, seconds)) {
    std::printf("no window of class VESKMainFrame after %.0f s\n", seconds);
    return nullptr;
  }
  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  std::printf("found VESKMainFrame, title \"%ls\"\n", title);
  // Give the program its moment to move the window into the tray.
  if (!WaitFor([&] { return !IsWindowVisible(window); }, 5)) {
    std::printf("the window is visible: it did not start in the notification area\n");
    return nullptr;
  }
  std::printf("hidden in the notification area\n");
  return window;
}

int Show(double seconds) {
  const HWND window = MainWindowInTray(seconds);
  if (window == nullptr) return 1;
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

// Sends the main window what ends it and waits for it to go.
int EndWith(HWND window, UINT message, WPARAM wParam, const char* what, const char* done, double seconds) {
  PostMessageW(window, message, wParam, 0);
  if (!WaitFor([] { return FindWindowW(kMainWindowClass, nullptr) == nullptr; }, seconds)) {
    std::printf("the window is still there after %s\n", what);
    return 1;
  }
  std::printf("%s\n", done);
  return 0;
}

int Close(double seconds) {
  const HWND window = FindWindowW(kMainWindowClass, nullptr);
  if (window == nullptr) {
    std::printf("no window of class VESKMainFrame to close\n");
    return 1;
  }
  return EndWith(window, WM_CLOSE, 0, "WM_CLOSE", "closed", seconds);
}

int Exit(double seconds) {
  const HWND window = MainWindowInTray(seconds);
  if (window == nullptr) return 1;
  // What choosing "exit" in the icon's menu sends the window.
  return EndWith(window, WM_COMMAND, kTrayMenuExit, "the tray menu's exit", "exited through the tray menu", seconds);
}

// A shown message box: it gets its caption only after it was created.
BOOL CALLBACK FindShownBox(HWND window, LPARAM found) {
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (wcscmp(className, kMessageBoxClass) != 0 || !IsWindowVisible(window) || GetWindowTextLengthW(window) == 0) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The texts of the box's static controls (its icon is one too, without text).
BOOL CALLBACK CollectStaticText(HWND child, LPARAM collected) {
  wchar_t className[32] = {}, text[512] = {};
  GetClassNameW(child, className, 32);
  GetWindowTextW(child, text, 512);
  if (_wcsicmp(className, kStaticClass) == 0) *reinterpret_cast<std::wstring*>(collected) += text;
  return TRUE;
}

// Printed as UTF-8 whatever the console's code page, so the Chinese texts
// reach the test as they are.
std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 1u, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(bytes.size() - 1);
  return bytes;
}

int Box(double seconds) {
  HWND box = nullptr;
  const auto shown = [&] {
    EnumWindows(FindShownBox, reinterpret_cast<LPARAM>(&box));
    return box != nullptr;
  };
  if (!WaitFor(shown, seconds)) {
    std::printf("no message box after %.0f s\n", seconds);
    return 1;
  }
  wchar_t caption[128] = {};
  GetWindowTextW(box, caption, 128);
  std::wstring text;
  EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
  std::printf("box: %s: %s\n", Utf8(caption).c_str(), Utf8(text).c_str());
  const bool mainWindow = FindWindowW(kMainWindowClass, nullptr) != nullptr;
  if (mainWindow) std::printf("a main window exists beside the box\n");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return mainWindow ? 1 : 0;
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
  } else if (step == "exit") {
    result = Exit(seconds);
  } else if (step == "box") {
    result = Box(seconds);
  } else {
    std::printf("usage: vesk_window_driver show|close|wait|exit|box [seconds]\n");
  }
  std::fflush(stdout);
  return result;
}
