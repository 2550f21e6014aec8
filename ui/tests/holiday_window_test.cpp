// The holidays editor on the headless desktop, opened from the main window.
#include "ui/tests/window_rig.h"

#include "schedule/holidays.h"
#include "ui/holiday_wnd.h"

namespace vesk::ui::testing {
namespace {

struct HolidayRig : WindowRig {
  HWND holidays = nullptr;

  void Open() {
    ShowMain();
    ASSERT_TRUE(Click("btnHolidays"));
    holidays = desktop.FindWindow(kHolidayWindowClass);
    ASSERT_NE(holidays, nullptr);
  }
  CComboUI* List(const char* name) { return desktop.Control<CComboUI>(holidays, name); }
  // Year items start with this year (2026); months and days are counted from 1.
  void Date(int year, int month, int day) {
    ASSERT_TRUE(Select("Year", year - 2026, holidays));
    ASSERT_TRUE(Select("Month", month - 1, holidays));
    ASSERT_TRUE(Select("Day", day - 1, holidays));
  }
  void Check(const char* box, bool on) {
    if (desktop.Control<CCheckBoxUI>(holidays, box)->GetCheck() != on) {
      ASSERT_TRUE(Click(box, holidays));
    }
  }
  void Period1(int startHour, int endHour) {
    Check("DayOff", false);
    Check("EnablePhase1", true);
    ASSERT_TRUE(Select("StartHour1", startHour, holidays));
    ASSERT_TRUE(Select("EndHour1", endHour, holidays));
  }
  std::vector<std::string> Listed() {
    std::vector<std::string> items;
    for (int i = 0; i < List("HolidayList")->GetCount(); ++i) items.push_back(List("HolidayList")->GetItemText(i).str());
    return items;
  }
  std::string File() {
    const auto& bytes = machine.os.Files()[HolidaysFilePath(machine.os)];
    return {bytes.begin(), bytes.end()};
  }
};

TEST(HolidayWindow, AddsRefusesRemovesAndSavesAndTheMainWindowFollowsAtOnce) {
  HolidayRig rig;
  rig.SetFile(Daily(HM(8, 0), HM(17, 30)));
  rig.machine.os.Files()[HolidaysFilePath(rig.machine.os)] = {'2', '0', '2', '6', '-', '0', '1', '-', '0', '1', ' ', 'o', 'f', 'f'};
  rig.Start();
  rig.Open();
  EXPECT_THAT(rig.Listed(), ::testing::IsEmpty());  // the past date is not listed

  // Refused input: the date as chosen and what is wrong with it.
  rig.Date(2027, 2, 30);
  rig.Check("DayOff", true);
  ASSERT_TRUE(rig.Click("btnAdd", rig.holidays));
  rig.Date(2026, 12, 6);
  ASSERT_TRUE(rig.Click("btnAdd", rig.holidays));
  rig.Date(2026, 12, 24);
  rig.Check("DayOff", false);
  ASSERT_TRUE(rig.Click("btnAdd", rig.holidays));
  rig.Period1(12, 8);
  ASSERT_TRUE(rig.Click("btnAdd", rig.holidays));
  ASSERT_TRUE(rig.Click("btnRemove", rig.holidays));
  EXPECT_THAT(rig.MessageTexts(),
              ::testing::ElementsAre("Notice: 2027-02-30: there is no such date.", "Notice: 2026-12-06: this date has passed.",
                                     "Notice: 2026-12-24: choose \"off\" or switch on at least one period.",
                                     "Notice: 2026-12-24: in period 1 the shutdown time must be later than the power-on time.",
                                     "Notice: Choose a date in the list first."));

  rig.Period1(8, 12);
  ASSERT_TRUE(rig.Click("btnAdd", rig.holidays));
  rig.Date(2026, 12, 25);
  rig.Check("DayOff", true);
  ASSERT_TRUE(rig.Click("btnAdd", rig.holidays));
  rig.Date(2026, 12, 7);
  rig.Period1(8, 12);
  ASSERT_TRUE(rig.Click("btnAdd", rig.holidays));
  EXPECT_THAT(rig.Listed(), ::testing::ElementsAre("2026-12-07  Mon  08:00-12:00", "2026-12-24  Thur  08:00-12:00",
                                                    "2026-12-25  Fri  off"));
  // Choosing a listed date shows it; Remove takes it out.
  ASSERT_TRUE(rig.Select("HolidayList", 1, rig.holidays));
  EXPECT_EQ(rig.List("Day")->GetCurSel(), 23);
  ASSERT_TRUE(rig.Click("btnRemove", rig.holidays));
  EXPECT_EQ(rig.Listed().size(), 2u);
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("17:30  Mon"));  // nothing counts before the save

  ASSERT_TRUE(rig.Click("btnSave", rig.holidays));
  EXPECT_NE(rig.File().find("\n2026-01-01 off\n2026-12-07 08:00-12:00\n2026-12-25 off\n"), std::string::npos)
      << rig.File();
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("12:00  Mon"));
  EXPECT_EQ(rig.MessageTexts().size(), 5u);
}

}  // namespace
}  // namespace vesk::ui::testing
