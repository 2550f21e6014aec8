// The control model: what each action reports, whoever takes it.
#include "ui/framework/controls.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "ui/framework/paint_manager.h"
#include "ui/framework/tests/test_window.h"

namespace vesk::ui {
namespace {

using test_support::Event;
using Seen = std::vector<Event>;

class Recorder : public INotifyUI {
 public:
  void Notify(TNotifyUI& msg) override {
    seen.push_back({msg.sType.str() + ":" + msg.pSender->GetName().str(), msg.wParam, msg.lParam});
  }
  Seen Take() { return std::exchange(seen, {}); }
  Seen seen;
};

class ChangeLog : public ControlView {
 public:
  void OnControlChanged(CControlUI& control, ControlChange what) override {
    changes.emplace_back(control.GetName().str(), what);
  }
  std::vector<std::pair<std::string, ControlChange>> changes;
};

class ControlModel : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    const auto skin = ParseSkin(
        "<Window size=\"300,200\"><Font id=\"0\" name=\"a\"/>"
        "<Label name=\"Clock\" pos=\"1,1,2,2\" text=\"--\"/>"
        "<Button name=\"btnOk\" pos=\"1,1,2,2\"/>"
        "<Option name=\"Monday\" group=\"day\" pos=\"1,1,2,2\"/>"
        "<Option name=\"Tuesday\" group=\"day\" pos=\"1,1,2,2\" selected=\"true\"/>"
        "<Option name=\"Friday\" group=\"day\" pos=\"1,1,2,2\"/>"
        "<CheckBox name=\"EnablePhase1\" pos=\"1,1,2,2\"/>"
        "<Combo name=\"StartHour1\" pos=\"1,1,2,2\" range=\"0-23\" selected=\"0\"/>"
        "</Window>",
        error);
    ASSERT_TRUE(skin) << error;
    manager.BuildFromSkin(*skin);
    manager.AddNotifier(&recorder);
    manager.SetView(&view);
    hours = manager.FindControl<CComboUI>("StartHour1");
    box = manager.FindControl<CCheckBoxUI>("EnablePhase1");
    monday = manager.FindControl<COptionUI>("Monday");
    tuesday = manager.FindControl<COptionUI>("Tuesday");
    friday = manager.FindControl<COptionUI>("Friday");
    ok = manager.FindControl<CButtonUI>("btnOk");
  }

  CPaintManagerUI manager;
  Recorder recorder;
  ChangeLog view;
  CComboUI* hours = nullptr;
  CCheckBoxUI* box = nullptr;
  COptionUI *monday = nullptr, *tuesday = nullptr, *friday = nullptr;
  CButtonUI* ok = nullptr;
};

TEST_F(ControlModel, BuildingFromTheSkinIsSilentAndFindingChecksTheKind) {
  EXPECT_TRUE(recorder.seen.empty());
  EXPECT_TRUE(tuesday->IsSelected());
  EXPECT_EQ(hours->GetCount(), 24);
  EXPECT_EQ(manager.FindControl<CComboUI>("EnablePhase1"), nullptr);
  EXPECT_EQ(manager.FindControl<COptionUI>("EnablePhase1"), box);  // a check box is an option
  EXPECT_EQ(manager.FindControl(""), nullptr);  // unnamed decoration is never found
}

TEST_F(ControlModel, ProgramSelectingAListItemReportsItemselectOnRealChangesOnly) {
  ok->SetFocus();
  EXPECT_TRUE(hours->SelectItem(7));
  EXPECT_EQ(recorder.Take(), (Seen{{"itemselect:StartHour1", 7, 0}}));
  EXPECT_TRUE(ok->IsFocused());  // selecting without focus leaves the focus where it was
  EXPECT_TRUE(hours->SelectItem(7));  // the same item again
  EXPECT_TRUE(recorder.Take().empty());
  EXPECT_FALSE(hours->SelectItem(24));  // outside: refused, nothing changes
  EXPECT_EQ(hours->GetCurSel(), 7);
  EXPECT_TRUE(recorder.Take().empty());
  EXPECT_TRUE(hours->SelectItem(-1));  // no item
  EXPECT_EQ(hours->GetCurSel(), -1);
  EXPECT_EQ(recorder.Take(), (Seen{{"itemselect:StartHour1", static_cast<WPARAM>(-1), 7}}));
  EXPECT_TRUE(hours->SelectItem(3, false, false));  // told to stay quiet
  EXPECT_TRUE(recorder.Take().empty());
  hours->SelectItem(6, true);
  EXPECT_TRUE(hours->IsFocused());
  EXPECT_FALSE(ok->IsFocused());
}

TEST_F(ControlModel, AnExclusiveGroupReportsOnlyTheNewlySelectedOption) {
  friday->Selected(true);
  EXPECT_FALSE(tuesday->IsSelected());
  EXPECT_EQ(recorder.Take(), (Seen{{"selectchanged:Friday", 0, 0}}));
  friday->Selected(true);  // already selected
  EXPECT_TRUE(recorder.Take().empty());
  // The view hears about both buttons so that both are redrawn.
  const auto redrawn = std::make_pair(std::string("Tuesday"), ControlChange::Selected);
  EXPECT_NE(std::find(view.changes.begin(), view.changes.end(), redrawn), view.changes.end());

  // The user's click reports click then selectchanged; on the selected day, only the click.
  EXPECT_TRUE(monday->Activate());
  EXPECT_EQ(recorder.Take(), (Seen{{"click:Monday", 0, 0}, {"selectchanged:Monday", 0, 0}}));
  EXPECT_TRUE(monday->Activate());
  EXPECT_EQ(recorder.Take(), (Seen{{"click:Monday", 0, 0}}));
}

TEST_F(ControlModel, CheckBoxesReportEveryChangeFromProgramAndUser) {
  box->SetCheck(true);
  box->SetCheck(true);
  box->SetCheck(false);
  EXPECT_EQ(recorder.Take(), (Seen{{"selectchanged:EnablePhase1", 0, 0},
                                                {"selectchanged:EnablePhase1", 0, 0}}));
  EXPECT_TRUE(box->Activate());
  EXPECT_TRUE(box->GetCheck());
  EXPECT_EQ(recorder.Take(), (Seen{{"click:EnablePhase1", 0, 0}, {"selectchanged:EnablePhase1", 0, 0}}));
}

TEST_F(ControlModel, HiddenOrDisabledControlsTakeNoClicks) {
  ok->SetVisible(false);
  EXPECT_FALSE(ok->Activate());
  ok->SetVisible(true);
  ok->SetEnabled(false);
  EXPECT_FALSE(ok->Activate());
  EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(ControlModel, TextKeepsItsMarkupAndTellsTheViewOnlyOnChange) {
  auto* clock = manager.FindControl("Clock");
  clock->SetText("{f 1}{c #49A832}08:00{/c}{/f}");
  EXPECT_EQ(clock->GetText(), "{f 1}{c #49A832}08:00{/c}{/f}");
  EXPECT_EQ(clock->GetPlainText(), "08:00");
  clock->SetText("{f 1}{c #49A832}08:00{/c}{/f}");
  EXPECT_EQ(view.changes.size(), 1u);
}

// A notifier that removes itself (as a closing window does) stops hearing;
// the others still hear the same notification.
class LeavingNotifier : public INotifyUI {
 public:
  explicit LeavingNotifier(CPaintManagerUI& manager) : manager_(manager) {}
  void Notify(TNotifyUI&) override {
    ++heard;
    manager_.RemoveNotifier(this);
  }
  int heard = 0;

 private:
  CPaintManagerUI& manager_;
};

TEST_F(ControlModel, NotifiersMayLeaveWhileBeingTold) {
  LeavingNotifier leaving(manager);
  manager.AddNotifier(&leaving);
  ok->Activate();
  ok->Activate();
  EXPECT_EQ(leaving.heard, 1);
  EXPECT_EQ(recorder.Take().size(), 2u);
}

}  // namespace
}  // namespace vesk::ui
