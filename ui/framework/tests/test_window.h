#pragma once
// A window of the program's kind over a shipped skin that writes down what
// reaches it; the headless and the Win32 tests drive it alike and expect
// the same record.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

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
    // The skin's controls exist here, and a program change reports at once.
    log_.push_back({"InitWindow"});
    if (auto* option = m_PaintManager.FindControl<COptionUI>("Friday")) option->Selected(true);
    if (initHook) initHook(*this);
  }
  void Notify(TNotifyUI& msg) override {
    log_.push_back({msg.sType.str() + ":" + msg.pSender->GetName().str(), msg.wParam, msg.lParam});
    if (notifyHook) notifyHook(msg);
    WindowImplBase::Notify(msg);
  }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    switch (uMsg) {
      case WM_TIMER: log_.push_back({"WM_TIMER", wParam, lParam}); break;
      case WM_COMMAND: log_.push_back({"WM_COMMAND", wParam, lParam}); break;
      case WM_HOTKEY: log_.push_back({"WM_HOTKEY", wParam, lParam}); break;
      case kTrayCallback: log_.push_back({"tray", wParam, lParam}); break;
      case kPing: log_.push_back({"ping", wParam, lParam}); break;
      case WM_CLOSE: log_.push_back({"WM_CLOSE", wParam, lParam}); break;
      default: break;
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
  std::function<void(TestWindow&)> initHook;
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
  static const std::vector<Event> record{{"click:Monday"},
                                         {"selectchanged:Monday"},
                                         {"click:EnablePhase2"},
                                         {"selectchanged:EnablePhase2"},
                                         {"itemselect:StartMinute2", 30, 0},
                                         {"click:btnOk"}};
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

}  // namespace vesk::ui::test_support
