#include "ui/framework/controls.h"

#include "ui/framework/paint_manager.h"

namespace vesk::ui {

const char* ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Panel: return "Panel";
    case ControlKind::Label: return "Label";
    case ControlKind::Button: return "Button";
    case ControlKind::Option: return "Option";
    case ControlKind::CheckBox: return "CheckBox";
    case ControlKind::Combo: return "Combo";
  }
  return "?";
}

void CControlUI::SetText(const char* text) {
  const CDuiString next(text);
  if (next == text_) return;
  text_ = next;
  Changed(ControlChange::Text);
}

void CControlUI::SetFocus() {
  if (manager_) manager_->SetFocus(this);
}

bool CControlUI::IsFocused() const { return manager_ && manager_->GetFocus() == this; }

void CControlUI::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed(ControlChange::Visible);
}

void CControlUI::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed(ControlChange::Enabled);
}

bool CControlUI::Activate() { return false; }

void CControlUI::Changed(ControlChange what) {
  if (manager_) manager_->ControlChanged(*this, what);
}

void CControlUI::SendNotify(const char* type, WPARAM wParam, LPARAM lParam) {
  if (manager_) manager_->SendNotify(this, type, wParam, lParam);
}

bool CButtonUI::Activate() {
  if (!IsVisible() || !IsEnabled()) return false;
  SendNotify(DUI_MSGTYPE_CLICK);
  return true;
}

void COptionUI::SetSelectedQuietly(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  Changed(ControlChange::Selected);
}

void COptionUI::Selected(bool bSelected, bool bTriggerEvent) {
  if (selected_ == bSelected) return;
  const bool grouped = !group_.IsEmpty();
  if (grouped && bSelected && GetManager()) {
    for (COptionUI* other : GetManager()->GetOptionGroup(group_)) {
      if (other != this) other->SetSelectedQuietly(false);
    }
  }
  SetSelectedQuietly(bSelected);
  // In a group only the newly selected option speaks for the change.
  if (bTriggerEvent && (!grouped || bSelected)) SendNotify(DUI_MSGTYPE_SELECTCHANGED);
}

bool COptionUI::Activate() {
  if (!CButtonUI::Activate()) return false;
  // The click handler may have hidden or disabled the option; the user's
  // click still lands, as it would on the screen.
  if (!group_.IsEmpty()) {
    Selected(true);
  } else {
    Selected(!selected_);
  }
  return true;
}

CDuiString CComboUI::GetItemText(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  return items_[static_cast<std::size_t>(index)];
}

void CComboUI::AddItem(const char* text) {
  items_.emplace_back(text);
  Changed(ControlChange::Items);
}

void CComboUI::RemoveAll() {
  items_.clear();
  const bool hadSelection = curSel_ != -1;
  curSel_ = -1;
  Changed(ControlChange::Items);
  if (hadSelection) Changed(ControlChange::CurSel);
}

bool CComboUI::SelectItem(int iIndex, bool bTakeFocus, bool bTriggerEvent) {
  if (iIndex < -1 || iIndex >= GetCount()) return false;
  if (bTakeFocus) SetFocus();
  if (iIndex == curSel_) return true;
  const int previous = curSel_;
  curSel_ = iIndex;
  Changed(ControlChange::CurSel);
  if (bTriggerEvent) {
    SendNotify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(iIndex), static_cast<LPARAM>(previous));
  }
  return true;
}

}  // namespace vesk::ui
