// The holidays editor on the headless desktop, opened from the main window.
#include "ui/tests/window_rig.h"

#include "schedule/holidays.h"
#include "ui/holiday_wnd.h"

namespace vesk::ui::testing {
namespace {

struct HolidayRig : WindowRig {
  using WindowRig::WindowRig;
  HWND holidays = nullptr;

  // Year items start with this year (2026); months and days are counted from 1.
  void Date(int year, int month, int day) {
    ASSERT_TRUE(Select("Year", year - 2026, holidays));
    ASSERT_TRUE(Select("Month", month - 1, holidays));
    ASSERT_TRUE(Select("Day", day - 1, holidays));
  }
  // "off", or period 1 from one full hour to another; then the add button.
  void Add(bool off, int startHour = 0, int endHour = 0) {
    if (desktop.Control<CCheckBoxUI>(holidays, "DayOff")->GetCheck() != off) {
      ASSERT_TRUE(Click("DayOff", holidays));
    }
    if (!desktop.Control<CCheckBoxUI>(holidays, "EnablePhase1")->GetCheck() && startHour != endHour) {
      ASSERT_TRUE(Click("EnablePhase1", holidays));
    }
    ASSERT_TRUE(Select("StartHour1", startHour, holidays));
    ASSERT_TRUE(Select("EndHour1", endHour, holidays));
    ASSERT_TRUE(Click("btnAdd", holidays));
  }
  std::vector<std::string> Listed() {
    const auto* list = desktop.Control<CComboUI>(holidays, "HolidayList");
    std::vector<std::string> items;
    for (int i = 0; i < list->GetCount(); ++i) items.push_back(list->GetItemText(i).str());
    return items;
  }
};

TEST(HolidayWindow, AddsRefusesRemovesAndSavesAndTheMainWindowFollowsAtOnce) {
  HolidayRig rig;
  rig.SetFile(Daily(HM(8, 0), HM(17, 30)));
  const std::string past = "2026-01-01 off\n";
  rig.machine.os.Files()[HolidaysFilePath(rig.machine.os)].assign(past.begin(), past.end());
  rig.Start();
  rig.ShowMain();
  ASSERT_TRUE(rig.Click("btnHolidays"));
  rig.holidays = rig.desktop.FindWindow(kHolidayWindowClass);
  ASSERT_NE(rig.holidays, nullptr);
  EXPECT_THAT(rig.Listed(), ::testing::IsEmpty());  // the past date is not listed

  // Refused input: the date as chosen and what is wrong with it.
  rig.Date(2027, 2, 30);
  rig.Add(true);
  rig.Date(2026, 12, 6);
  rig.Add(true);
  rig.Date(2026, 12, 24);
  rig.Add(false);
  ASSERT_TRUE(rig.Click("btnRemove", rig.holidays));
  EXPECT_THAT(rig.MessageTexts(),
              ::testing::ElementsAre("Notice: 2027-02-30: there is no such date.", "Notice: 2026-12-06: this date has passed.",
                                     "Notice: 2026-12-24: choose \"off\" or switch on at least one period.",
                                     "Notice: Choose a date in the list first."));

  rig.Add(false, 8, 12);
  rig.Date(2026, 12, 25);
  rig.Add(true);
  rig.Date(2026, 12, 7);
  rig.Add(false, 8, 12);
  EXPECT_THAT(rig.Listed(), ::testing::ElementsAre("2026-12-07  Mon  08:00-12:00", "2026-12-24  Thur  08:00-12:00",
                                                    "2026-12-25  Fri  off"));
  // Choosing a listed date shows it; Remove takes it out.
  ASSERT_TRUE(rig.Select("HolidayList", 1, rig.holidays));
  EXPECT_EQ(rig.desktop.Control<CComboUI>(rig.holidays, "Day")->GetCurSel(), 23);
  ASSERT_TRUE(rig.Click("btnRemove", rig.holidays));
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("17:30  Mon"));  // nothing counts before the save

  ASSERT_TRUE(rig.Click("btnSave", rig.holidays));
  const auto& file = rig.machine.os.Files()[HolidaysFilePath(rig.machine.os)];
  EXPECT_NE(std::string(file.begin(), file.end()).find("\n2026-01-01 off\n2026-12-07 08:00-12:00\n2026-12-25 off\n"),
            std::string::npos);
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("12:00  Mon"));
  EXPECT_EQ(rig.MessageTexts().size(), 4u);
}

// The editor never saves over a refused file, nor one changed behind it.
TEST(HolidayWindow, NeverSavesOverARefusedFileOrOneChangedBehindIt) {
  for (const uint16_t langId : {uint16_t{1033}, kLangIdChinese}) {
    HolidayRig rig{"mcu-amd", "2026-12-07 08:00:00", langId};
    rig.SetFile(Daily(HM(8, 0), HM(17, 30)));
    auto& file = rig.machine.os.Files()[HolidaysFilePath(rig.machine.os)];
    const auto put = [&](const std::string& text) { file.assign(text.begin(), text.end()); };
    const auto openAndAdd = [&] {
      ASSERT_TRUE(rig.Click("btnHolidays"));
      rig.holidays = rig.desktop.FindWindow(kHolidayWindowClass);
      rig.Date(2026, 12, 28);
      rig.Add(true);
    };
    put("2026-02-30 off\n");
    rig.Start();
    rig.ShowMain();
    openAndAdd();
    EXPECT_FALSE(rig.Click("btnSave", rig.holidays));  // switched off
    EXPECT_THAT(rig.Text("FileState", rig.holidays), ::testing::HasSubstr("{c #B23B2E}Holidays.txt"));
    EXPECT_EQ(std::string(file.begin(), file.end()), "2026-02-30 off\n");

    ASSERT_TRUE(rig.Click("closebtn", rig.holidays));
    put("2026-12-24 off\n");  // mended by hand
    rig.RunFor(10);
    openAndAdd();
    put("2026-12-24 off\n2026-12-31 off\n");  // and changed again behind the window
    ASSERT_TRUE(rig.Click("btnSave", rig.holidays));
    EXPECT_EQ(std::string(file.begin(), file.end()), "2026-12-24 off\n2026-12-31 off\n");
    const auto texts = rig.MessageTexts();  // the program's at start, then the editor's
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], langId == 1033 ? "Notice: Holidays.txt, line 1: there is no such date. This window does not "
                                         "save over the file; mend it by hand or remove it, then open the window again."
                                       : "提醒: Holidays.txt 第1行：没有这个日期。\n本窗口不会覆盖该文件；"
                                         "请手工修改或删除该文件后重新打开本窗口。");
    EXPECT_THAT(texts[2], ::testing::HasSubstr(langId == 1033 ? "changed by someone else" : "已被他人修改"));
  }
}

}  // namespace
}  // namespace vesk::ui::testing
