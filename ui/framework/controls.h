#pragma once
// The portable control model shared by both backends: controls found by
// name, their texts, check and selection states, list items, focus, and the
// notifications they send. A backend only shows the model and feeds the
// user's input into it (Activate, SelectItem), so both backends report the
// same notifications for the same actions, whether a user or the program
// itself changed a control.
#include <optional>
#include <string>
#include <vector>

#include "ui/framework/dui_string.h"
#include "ui/framework/markup.h"
#include "ui/framework/win_types.h"

namespace vesk::ui {

class CControlUI;
class CPaintManagerUI;

// Notification types.
inline constexpr const char* DUI_MSGTYPE_CLICK = "click";
inline constexpr const char* DUI_MSGTYPE_SELECTCHANGED = "selectchanged";
inline constexpr const char* DUI_MSGTYPE_ITEMSELECT = "itemselect";

// One notification, delivered synchronously to every notifier of the window
// before the call that caused it returns.
struct TNotifyUI {
  CDuiString sType;          // "click", "selectchanged", "itemselect"
  CDuiString sVirtualWnd;    // always empty here
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse{0, 0};
  WPARAM wParam = 0;         // itemselect: the new index
  LPARAM lParam = 0;         // itemselect: the previous index
};

class INotifyUI {
 public:
  virtual void Notify(TNotifyUI& msg) = 0;

 protected:
  ~INotifyUI() = default;
};

enum class ControlKind { Panel, Label, Button, Option, CheckBox, Combo };
const char* ControlKindName(ControlKind kind);  // as the skin writes it: "Label", "Combo", ...

enum class TextAlign { Left, Center, Right };

// How a control looks; filled from the skin, read by the Win32 backend.
struct ControlLook {
  RECT pos{0, 0, 0, 0};                  // in 96-dpi pixels, relative to the client area
  int font = -1;                         // skin font index; -1 = the window's default font
  std::optional<Colour> textColour;      // nothing = the window's text colour
  std::optional<Colour> bkColour;
  std::optional<Colour> selectedBkColour;  // options and check boxes when selected
  std::optional<Colour> borderColour;
  std::optional<Colour> selectedBorderColour;  // a frame that marks the selected option
  TextAlign align = TextAlign::Left;
};

// What changed in a control, for the backend that shows it.
enum class ControlChange { Text, Selected, Items, CurSel, Focus, Visible, Enabled };

class CControlUI {
 public:
  explicit CControlUI(ControlKind kind = ControlKind::Panel) : kind_(kind) {}
  virtual ~CControlUI() = default;
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  ControlKind GetKind() const { return kind_; }
  const char* GetClass() const { return ControlKindName(kind_); }

  const CDuiString& GetName() const { return name_; }
  void SetName(const char* name) { name_ = name; }

  // The text as set, markup included; GetPlainText leaves the tags out.
  void SetText(const char* text);
  const CDuiString& GetText() const { return text_; }
  std::string GetPlainText() const { return StripMarkup(text_.str()); }

  void SetFocus();
  bool IsFocused() const;

  bool IsVisible() const { return visible_; }
  void SetVisible(bool visible);
  bool IsEnabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  const ControlLook& Look() const { return look_; }
  ControlLook& Look() { return look_; }

  CPaintManagerUI* GetManager() const { return manager_; }
  void SetManager(CPaintManagerUI* manager) { manager_ = manager; }

  // What a user's click on the control does: buttons report "click", options
  // and check boxes then change their state. Returns false when the control
  // takes no clicks or is hidden or disabled.
  virtual bool Activate();

 protected:
  void Changed(ControlChange what);
  void SendNotify(const char* type, WPARAM wParam = 0, LPARAM lParam = 0);

 private:
  ControlKind kind_;
  CDuiString name_;
  CDuiString text_;
  bool visible_ = true;
  bool enabled_ = true;
  ControlLook look_;
  CPaintManagerUI* manager_ = nullptr;
};

// A text with inline markup.
class CLabelUI : public CControlUI {
 public:
  CLabelUI() : CControlUI(ControlKind::Label) {}

 protected:
  explicit CLabelUI(ControlKind kind) : CControlUI(kind) {}
};

// Reports "click" when the user activates it.
class CButtonUI : public CLabelUI {
 public:
  CButtonUI() : CLabelUI(ControlKind::Button) {}
  bool Activate() override;

 protected:
  explicit CButtonUI(ControlKind kind) : CLabelUI(kind) {}
};

// An option button. Options sharing a group name are exclusive: selecting
// one deselects the others, and only the newly selected one reports
// "selectchanged". An option without a group toggles and reports every
// change. A user's click reports "click" first, then the selection.
class COptionUI : public CButtonUI {
 public:
  COptionUI() : CButtonUI(ControlKind::Option) {}

  const CDuiString& GetGroup() const { return group_; }
  void SetGroup(const char* group) { group_ = group; }

  bool IsSelected() const { return selected_; }
  // Also when the program calls it, "selectchanged" is reported for a real
  // change (unless bTriggerEvent is false); selecting the selected option
  // again changes nothing and reports nothing.
  void Selected(bool bSelected, bool bTriggerEvent = true);

  bool Activate() override;

 protected:
  explicit COptionUI(ControlKind kind) : CButtonUI(kind) {}

 private:
  void SetSelectedQuietly(bool selected);

  CDuiString group_;
  bool selected_ = false;
};

// A check box: an option without group; every change reports "selectchanged".
class CCheckBoxUI : public COptionUI {
 public:
  CCheckBoxUI() : COptionUI(ControlKind::CheckBox) {}
  bool GetCheck() const { return IsSelected(); }
  void SetCheck(bool bCheck, bool bTriggerEvent = true) { Selected(bCheck, bTriggerEvent); }
};

// A drop-down list of texts. Its value is the index of the selected item,
// -1 when none is selected. A change of the selected index reports
// "itemselect" (wParam = new index, lParam = previous), also when the
// program selects.
class CComboUI : public CControlUI {
 public:
  CComboUI() : CControlUI(ControlKind::Combo) {}

  int GetCount() const { return static_cast<int>(items_.size()); }
  CDuiString GetItemText(int index) const;
  void AddItem(const char* text);
  void RemoveAll();

  int GetCurSel() const { return curSel_; }
  // Index -1 clears the selection; any other index outside the list is
  // refused (false) and changes nothing. The same index again reports
  // nothing. The list takes the keyboard focus only when asked to.
  bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true);

  bool Activate() override { return false; }

 private:
  std::vector<CDuiString> items_;
  int curSel_ = -1;
};

}  // namespace vesk::ui
