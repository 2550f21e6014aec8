#include "ui/framework/paint_manager.h"

#include <algorithm>

namespace vesk::ui {
namespace {
HINSTANCE g_instance = nullptr;

std::unique_ptr<CControlUI> MakeControl(const SkinControl& spec) {
  switch (spec.kind) {
    case ControlKind::Panel: return std::make_unique<CControlUI>(ControlKind::Panel);
    case ControlKind::Label: return std::make_unique<CLabelUI>();
    case ControlKind::Button: return std::make_unique<CButtonUI>();
    case ControlKind::Option: {
      auto option = std::make_unique<COptionUI>();
      option->SetGroup(spec.group.c_str());
      return option;
    }
    case ControlKind::CheckBox: return std::make_unique<CCheckBoxUI>();
    case ControlKind::Combo: {
      auto combo = std::make_unique<CComboUI>();
      for (const auto& item : spec.items) combo->AddItem(item.c_str());
      return combo;
    }
  }
  return nullptr;
}
}  // namespace

void CPaintManagerUI::SetInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE CPaintManagerUI::GetInstance() { return g_instance; }

void CPaintManagerUI::BuildFromSkin(const Skin& skin) {
  focus_ = nullptr;
  controls_.clear();
  skin_ = skin;
  for (const auto& spec : skin_.controls) {
    auto control = MakeControl(spec);
    control->SetName(spec.name.c_str());
    control->SetText(spec.text.c_str());
    control->Look() = spec.look;
    // The skin's initial state is set before the manager is attached, so
    // that building a window reports nothing.
    if (auto* option = dynamic_cast<COptionUI*>(control.get())) option->Selected(spec.selected, false);
    if (auto* combo = dynamic_cast<CComboUI*>(control.get())) combo->SelectItem(spec.curSel, false, false);
    control->SetManager(this);
    controls_.push_back(std::move(control));
  }
  // A skin that selects two options of one group keeps the last of them.
  for (const auto& control : controls_) {
    auto* option = dynamic_cast<COptionUI*>(control.get());
    if (!option || option->GetGroup().IsEmpty() || !option->IsSelected()) continue;
    for (COptionUI* other : GetOptionGroup(option->GetGroup())) {
      if (other != option && other->IsSelected()) other->Selected(false, false);
    }
  }
}

CControlUI* CPaintManagerUI::FindControl(const char* name) const {
  if (!name || !*name) return nullptr;
  for (const auto& control : controls_) {
    if (control->GetName() == name) return control.get();
  }
  return nullptr;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
  if (std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
    notifiers_.push_back(notifier);
  }
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
  notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), notifier), notifiers_.end());
}

void CPaintManagerUI::SendNotify(CControlUI* control, const char* type, WPARAM wParam, LPARAM lParam) {
  TNotifyUI msg;
  msg.sType = type;
  msg.pSender = control;
  msg.wParam = wParam;
  msg.lParam = lParam;
  if (observer_) observer_(msg);
  // A notifier may remove itself while being told.
  const auto notifiers = notifiers_;
  for (INotifyUI* notifier : notifiers) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end()) {
      notifier->Notify(msg);
    }
  }
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
  if (focus_ == control) return;
  CControlUI* previous = focus_;
  focus_ = control;
  if (previous) ControlChanged(*previous, ControlChange::Focus);
  if (control) ControlChanged(*control, ControlChange::Focus);
}

std::vector<COptionUI*> CPaintManagerUI::GetOptionGroup(const CDuiString& group) const {
  std::vector<COptionUI*> options;
  if (group.IsEmpty()) return options;
  for (const auto& control : controls_) {
    auto* option = dynamic_cast<COptionUI*>(control.get());
    if (option && option->GetGroup() == group) options.push_back(option);
  }
  return options;
}

void CPaintManagerUI::ControlChanged(CControlUI& control, ControlChange what) {
  if (view_) view_->OnControlChanged(control, what);
}

}  // namespace vesk::ui
