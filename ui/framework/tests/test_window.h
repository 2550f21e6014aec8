#pragma once
// A window of the program's kind over a shipped skin that writes down what
// reaches it; the headless and the Win32 tests drive it alike and expect
// the same record.
#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/framework/dialog.h"
#include "ui/framework/shell.h"
#include "ui/framework/window.h"

namespace vesk::ui::test_support {

constexpr UINT kTrayCallback = WM_APP + 1000;
constexpr UINT kPing = WM_USER + 5;

struct Event {
  std::string what;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool operator==(const Event&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Event& e) {
  return out << e.what << "(" << e.wParam << "," << e.lParam << ")";
}

class TestWindow : public WindowImplBase {
 public:
  TestWindow(std::string className, std::string skinFile, std::vector<Event>& log)
      : className_(std::move(className)), skinFile_(std::move(skinFile)), log_(log) {}

  const char* GetWindowClassName() const override { return className_.c_str(); }
  CDuiString GetSkinFolder() override { return "skin"; }
  CDuiString GetSkinFile() override { return skinFile_; }
  std::vector<RequiredControl> GetRequiredControls() const override { return required; }

  void InitWindow() override {
    log_.push_back({"InitWindow"});
    if (auto* option = m_PaintManager.FindControl<COptionUI>("Friday")) option->Selected(true);
  }
  void Notify(TNotifyUI& msg) override {
    log_.push_back({msg.sType.str() + ":" + msg.pSender->GetName().str(), msg.wParam, msg.lParam});
    if (notifyHook) notifyHook(msg);
    WindowImplBase::Notify(msg);
  }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    static const std::pair<UINT, const char*> kLogged[] = {
        {WM_HOTKEY, "WM_HOTKEY"}, {kTrayCallback, "tray"}, {kPing, "ping"}, {WM_CLOSE, "WM_CLOSE"}};
    for (const auto& [message, name] : kLogged) {
      if (message == uMsg) log_.push_back({name, wParam, lParam});
    }
    if (messageHook) messageHook(uMsg, wParam, lParam);
    return result;
  }
  LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override {
    log_.push_back({"OnDestroy"});
    if (quitOnDestroy) GetShell().PostQuitMessage(0);
    return WindowImplBase::OnDestroy(uMsg, wParam, lParam, bHandled);
  }
  void OnFinalMessage(HWND hWnd) override {
    log_.push_back({"OnFinalMessage"});
    WindowImplBase::OnFinalMessage(hWnd);
    if (deleteSelf) delete this;
  }

  std::vector<RequiredControl> required;
  std::function<void(TNotifyUI&)> notifyHook;
  std::function<void(UINT, WPARAM, LPARAM)> messageHook;
  bool quitOnDestroy = false;
  bool deleteSelf = false;

 private:
  std::string className_;
  std::string skinFile_;
  std::vector<Event>& log_;
};


// The user's actions on the main window's skin, and what they report.
inline const std::vector<Event>& UserActionRecord() {
  static const std::vector<Event> record{{"click:Monday"},       {"selectchanged:Monday"},
                                         {"click:EnablePhase2"}, {"selectchanged:EnablePhase2"},
                                         {"itemselect:StartMinute2", 30, 0}, {"click:btnOk"}};
  return record;
}

// The same changes made by the program.
inline void ProgramActions(CPaintManagerUI& pm) {
  pm.FindControl<COptionUI>("Tuesday")->Selected(true);
  pm.FindControl<CCheckBoxUI>("EnablePhase2")->SetCheck(false);
  pm.FindControl<CComboUI>("StartMinute2")->SelectItem(45);
}

inline const std::vector<Event>& ProgramActionRecord() {
  static const std::vector<Event> record{
      {"selectchanged:Tuesday"}, {"selectchanged:EnablePhase2"}, {"itemselect:StartMinute2", 45, 30}};
  return record;
}

inline NotifyIconData TrayRecord(HWND owner, const char* tip) {
  NotifyIconData data;
  data.cbSize = kNotifyIconDataSize;
  data.hWnd = owner;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallback;
  data.hIcon = GetShell().LoadIconResource(IDI_VESK);
  data.szTip = tip;
  return data;
}

#ifdef _WIN32
// Dispatches what is queued, then waits for more until done() or the time
// runs out (input that the system delivers asynchronously).
template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds limit = std::chrono::milliseconds{3000}) {
  const auto end = std::chrono::steady_clock::now() + limit;
  MSG msg;
  while (!done()) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}
inline void Pump(int ms = 0) { PumpUntil([] { return false; }, std::chrono::milliseconds{ms}); }

// Types Alt+J on the keyboard, as the user does.
inline UINT PressAltJ() {
  INPUT keys[4] = {};
  const WORD sequence[4][2] = {{VK_MENU, 0}, {0x4A, 0}, {0x4A, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP}};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = sequence[i][0];
    keys[i].ki.dwFlags = sequence[i][1];
  }
  return SendInput(4, keys, sizeof(INPUT));
}
#endif

}  // namespace vesk::ui::test_support
