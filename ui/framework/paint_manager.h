#pragma once
// CPaintManagerUI: one window's controls, built from its skin. It finds
// controls by name, keeps the focus, and delivers the controls'
// notifications to the window's notifiers at once.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/framework/controls.h"
#include "ui/framework/skin.h"
#include "ui/framework/win_types.h"

namespace vesk::ui {

// The backend's side of a window's controls: told about every change so
// that the screen follows the model.
class ControlView {
 public:
  virtual void OnControlChanged(CControlUI& control, ControlChange what) = 0;

 protected:
  ~ControlView() = default;
};

class CPaintManagerUI {
 public:
  CPaintManagerUI() = default;
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // The module whose resources (icons, dialog templates) the windows use.
  static void SetInstance(HINSTANCE instance);
  static HINSTANCE GetInstance();

  HWND GetPaintWindow() const { return window_; }
  void Init(HWND window) { window_ = window; }

  // Replaces the controls by those of the skin (nothing is notified).
  void BuildFromSkin(const Skin& skin);
  const Skin& GetSkin() const { return skin_; }
  const std::vector<std::unique_ptr<CControlUI>>& GetControls() const { return controls_; }

  // The control of that name, or none. The typed form also gives none when
  // the control is of another kind.
  CControlUI* FindControl(const char* name) const;
  template <class T>
  T* FindControl(const char* name) const {
    return dynamic_cast<T*>(FindControl(name));
  }

  void AddNotifier(INotifyUI* notifier);
  void RemoveNotifier(INotifyUI* notifier);
  // Delivers a notification to every notifier before it returns.
  void SendNotify(CControlUI* control, const char* type, WPARAM wParam = 0, LPARAM lParam = 0);

  void SetFocus(CControlUI* control);
  CControlUI* GetFocus() const { return focus_; }

  // The options of a group, in skin order.
  std::vector<COptionUI*> GetOptionGroup(const CDuiString& group) const;

  // Sees every notification before the notifiers do (the headless backend
  // records them).
  using NotifyObserver = std::function<void(const TNotifyUI&)>;
  void SetNotifyObserver(NotifyObserver observer) { observer_ = std::move(observer); }

  void SetView(ControlView* view) { view_ = view; }
  void ControlChanged(CControlUI& control, ControlChange what);

 private:
  HWND window_ = nullptr;
  Skin skin_;
  std::vector<std::unique_ptr<CControlUI>> controls_;
  std::vector<INotifyUI*> notifiers_;
  CControlUI* focus_ = nullptr;
  ControlView* view_ = nullptr;
  NotifyObserver observer_;
};

}  // namespace vesk::ui
