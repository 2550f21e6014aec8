// The main window on the headless desktop and a simulated board: start-up,
// the editor, saving and clearing.
#include <gtest/gtest.h>

#include "ui/tests/window_rig.h"

namespace vesk::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kGreyMon = "{f 1}{c #808080}Mon{/c}{/f}";
constexpr const char* kWhiteMon = "{f 1}{c #FFFFFF}Mon{/c}{/f}";
constexpr const char* kOrangeMon = "{f 1}{c #F27D30}Mon{/c}{/f}";

TEST(MainWindowStart, WithoutFileNothingIsInForceAndEditsGoToMonday) {
  WindowRig rig{"mcu-amd", "2026-12-09 08:00:00"};  // a Wednesday
  rig.Start();
  EXPECT_FALSE(rig.Selected("Wednesday"));
  EXPECT_EQ(rig.Text("Monday"), kGreyMon);
  EXPECT_EQ(rig.Text("LastShutdownTime"), "--:--");  // the skin's own text
  // The wake-up is switched off, nothing is programmed, the watchdog runs.
  EXPECT_THAT(rig.Writes(0xC2), ElementsAre("bus-w 0xC2 0x00 0x00", "bus-w 0xC2 0x0A 0x3C", "bus-w 0xC2 0x09 0x01"));

  rig.RunUntil("2026-12-10 09:00:00");
  EXPECT_THAT(rig.Commands(), IsEmpty());
  EXPECT_THAT(rig.desktop.Dialogs(), IsEmpty());

  rig.ShowMain();
  ASSERT_TRUE(rig.Select("StartHour1", 9));
  EXPECT_EQ(rig.frame->EditSchedule().Days[1].Phases[0].Start, HM(9, 0));
  EXPECT_EQ(rig.Text("Monday"), kOrangeMon);
}

TEST(MainWindowStart, WithFileSelectsTodayShowsAndProgramsTheNextEvents) {
  WindowRig rig;  // Monday 08:00
  WeekSchedule week = Daily(HM(8, 0), HM(18, 0));
  week.Days[2].Phases[1] = {2, HM(19, 5), HM(20, 0)};  // Enable 2: bit 0 clear
  rig.SetFile(week);
  rig.Start();

  EXPECT_TRUE(rig.Selected("Monday"));
  EXPECT_EQ(rig.Sel("EndHour1"), 18);
  EXPECT_EQ(rig.Text("Monday"), kWhiteMon);
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("18:00  Mon"));
  EXPECT_EQ(rig.Text("LastPoweronTime"), Blue("08:00  Tue"));
  // Tuesday 08:00 is programmed (day code 3); the chip's own sequences are
  // the wake chip's business.
  EXPECT_THAT(rig.Writes(0xC2), ::testing::Contains("bus-w 0xC2 0x05 0x03"));

  rig.ShowMain();
  ASSERT_TRUE(rig.Click("Tuesday"));
  EXPECT_EQ(rig.Sel("StartMinute2"), 5);
  EXPECT_FALSE(rig.Checked("EnablePhase2"));
  // Filling the lists changed nothing.
  EXPECT_EQ(rig.frame->EditSchedule(), rig.frame->ActiveSchedule());
}

// Empty, zeroed, or with times but every period off: as if there were none.
TEST(MainWindowStart, FileWithNoPeriodOnCountsAsNone) {
  WeekSchedule allOff = Daily(HM(8, 0), HM(18, 0));
  for (auto& day : allOff.Days) day.Phases[0].Enable = 0;
  const auto image = ScheduleToBytes(allOff);
  for (const auto& content : {std::vector<uint8_t>{}, std::vector<uint8_t>(126, 0),
                              std::vector<uint8_t>(image.begin(), image.end())}) {
    WindowRig rig;
    rig.machine.os.Files()[ScheduleFilePath(rig.machine.os)] = content;
    rig.Start();
    rig.RunUntil("2026-12-07 08:10:00");
    EXPECT_THAT(rig.Commands(), IsEmpty());
    EXPECT_EQ(rig.Text("LastPoweronTime"), "--:--");  // nothing computed, so no wake-up programmed
    EXPECT_EQ(rig.machine.os.Files()[ScheduleFilePath(rig.machine.os)], content);
  }
}

TEST(MainWindowStart, AFileHeldByAnotherProgramLoadsOnceItCanBeRead) {
  WindowRig rig;  // Monday 08:00
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  rig.machine.os.LockFile(ScheduleFilePath(rig.machine.os), At("2026-12-07 08:00:12"));
  rig.Start();
  EXPECT_FALSE(rig.frame->Armed());
  rig.RunFor(15);
  EXPECT_TRUE(rig.frame->Armed());
  EXPECT_EQ(rig.Text("LastShutdownTime"), Blue("18:00  Mon"));
  EXPECT_EQ(rig.Text("Monday"), kWhiteMon);
}

TEST(MainWindowStart, NoChipShowsOneMessageAndEndsTheProcess) {
  for (const uint16_t lang : {uint16_t{1033}, uint16_t{2052}}) {
    WindowRig rig{"none-amd", "2026-12-07 08:00:00", lang};
    rig.RecordHistory();
    try {
      rig.Start();
      ADD_FAILURE() << "the process went on";
    } catch (const sim::SimulatedProcessExit& exit) {
      EXPECT_EQ(exit.exitCode, 0);
    }
    EXPECT_THAT(rig.MessageTexts(), ElementsAre(lang == 2052 ? "提示: 找不到RTC或MCU芯片！"
                                                             : "Notice: Can't find the RTC or MCU chip !"));
    EXPECT_THAT(rig.EventIds(), ElementsAre(132));
    EXPECT_TRUE(rig.machine.driver.PortLibraryReady());  // nothing released
  }
}

TEST(MainWindowStart, ChineseTextsAndSkin) {
  WindowRig rig{"mcu-amd", "2026-12-07 08:00:00", 2052};
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  rig.Start();
  EXPECT_EQ(rig.Text("Monday"), "{f 1}{c #FFFFFF}周一{/c}{/f}");
  EXPECT_EQ(rig.Text("LastPoweronTime"), Blue("08:00  周二"));
  const std::string closed = "2026-12-08 off\n2026-12-09 off\n2026-12-10 off\n2026-12-11 off\n2026-12-12 off\n"
                             "2026-12-13 off\n2026-12-14 off\n";  // the power-on 8 days ahead: with its date
  rig.machine.os.Files()[HolidaysFilePath(rig.machine.os)].assign(closed.begin(), closed.end());
  rig.RunFor(11);  // a refresh or two reads it
  EXPECT_EQ(rig.Text("LastPoweronTime"), Blue("08:00  周二 12月15日"));
  EXPECT_EQ(rig.desktop.TrayIcon(rig.main)->data.szTip, "VESK定时开关机软件");
}

// --------------------------------------------------------------- editor

TEST(Editor, ListsSetTimesFromBothListsOfThePair) {
  WindowRig rig;
  rig.SetFile(Daily(HM(7, 0), HM(8, 0)));
  rig.Start();
  rig.ShowMain();
  ASSERT_TRUE(rig.Select("StartHour2", 7));
  ASSERT_TRUE(rig.Select("StartMinute2", 30));
  EXPECT_EQ(rig.frame->EditSchedule().Days[1].Phases[1].Start, 450);

  // A day switch keeps the edits; the other day's lists show that day.
  ASSERT_TRUE(rig.Click("Friday"));
  EXPECT_EQ(rig.Sel("StartMinute2"), 0);
  EXPECT_EQ(rig.Text("Monday"), kOrangeMon);

  // Switching a phase on and off again is no change.
  ASSERT_TRUE(rig.Click("EnablePhase2"));
  ASSERT_TRUE(rig.Click("EnablePhase2"));
  EXPECT_EQ(rig.Text("Friday"), "{f 1}{c #FFFFFF}Fri{/c}{/f}");
}

TEST(Editor, OutOfRangeTimesFromTheFileKeepTheUntouchedHalf) {
  WindowRig rig;
  WeekSchedule week = Daily(HM(8, 0), HM(9, 0));
  week.Days[1].Phases[0] = {1, 1530, 0xFFFF};  // "25:30" and "1092:15"
  rig.SetFile(week);
  rig.Start();
  rig.ShowMain();
  EXPECT_EQ(rig.Sel("StartHour1"), -1);  // not another day's hour
  EXPECT_EQ(rig.Sel("StartMinute1"), 30);

  ASSERT_TRUE(rig.Select("StartMinute1", 10));
  EXPECT_EQ(rig.frame->EditSchedule().Days[1].Phases[0].Start, 1510);
  ASSERT_TRUE(rig.Select("EndMinute1", 59));  // 1092:59 does not fit 16 bits
  EXPECT_EQ(rig.frame->EditSchedule().Days[1].Phases[0].End, 0xFFFF);
  ASSERT_TRUE(rig.Select("EndMinute1", 0));
  EXPECT_EQ(rig.frame->EditSchedule().Days[1].Phases[0].End, 65520);
  ASSERT_TRUE(rig.Select("StartHour1", 6));  // now an ordinary time
  EXPECT_EQ(rig.frame->EditSchedule().Days[1].Phases[0].Start, HM(6, 10));
}

// ------------------------------------------------------- save and clear

TEST(SaveAndClear, RefusedSaveChangesNothingAndKeepsTheEdits) {
  WindowRig rig;
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  rig.Start();
  const auto fileBefore = rig.machine.os.Files()[ScheduleFilePath(rig.machine.os)];
  const std::size_t writesBefore = rig.writes.size();
  rig.ShowMain();
  ASSERT_TRUE(rig.Select("EndHour1", 7));  // ends before it starts
  ASSERT_TRUE(rig.Click("btnOk"));

  EXPECT_EQ(rig.MessageTexts().size(), 1u);  // the wording is the validation's
  EXPECT_EQ(rig.machine.os.Files()[ScheduleFilePath(rig.machine.os)], fileBefore);
  EXPECT_EQ(rig.writes.size(), writesBefore);
  EXPECT_EQ(rig.Text("Monday"), kOrangeMon);
  EXPECT_EQ(rig.frame->ActiveSchedule().Days[1].Phases[0].End, HM(18, 0));
  EXPECT_TRUE(rig.frame->Armed());
}

TEST(SaveAndClear, SaveWritesTheFileProgramsTheChipAndArms) {
  WindowRig rig{"mcu-amd", "2026-12-07 11:50:00"};  // Monday, no file
  rig.Start();
  rig.ShowMain();
  ASSERT_TRUE(rig.Click("Monday"));
  ASSERT_TRUE(rig.Click("EnablePhase1"));
  ASSERT_TRUE(rig.Select("EndHour1", 12));
  const std::size_t from = rig.writes.size();
  ASSERT_TRUE(rig.Click("btnOk"));

  EXPECT_TRUE(rig.HasFile());  // what it holds survives a power cycle in the whole-machine runs
  EXPECT_EQ(rig.Text("Monday"), kWhiteMon);
  EXPECT_EQ(rig.Text("LastPoweronTime"), Blue("00:00  Mon 2026.12.14"));  // a week later: dated
  EXPECT_EQ(rig.Writes(0xC2, from).size(), 10u);

  // The same timetable again still programs the chip.
  const std::size_t again = rig.writes.size();
  ASSERT_TRUE(rig.Click("btnOk"));
  EXPECT_EQ(rig.Writes(0xC2, again).size(), 10u);

  rig.RunUntil("2026-12-07 12:00:30");
  EXPECT_THAT(rig.Commands(), ElementsAre(::testing::StartsWith("12:00:0")));

  // A save calls off the shutdown counting down; the tick issues it anew
  // when the new timetable wants it.
  ASSERT_TRUE(rig.Click("btnOk"));
  rig.RunUntil("2026-12-07 12:00:35");
  EXPECT_THAT(rig.Commands(), ElementsAre(::testing::StartsWith("12:00:0"), Ran("12:00:30", kAbort),
                                          ::testing::StartsWith("12:00:3")));
}

// A read-only file: the window shows what the next start finds.
TEST(SaveAndClear, AFailedSaveOrClearIsReportedAndKeepsTheTimetableInForce) {
  WindowRig rig;
  rig.SetFile(Daily(HM(8, 0), HM(18, 0)));
  rig.Start();
  rig.ShowMain();
  rig.RecordHistory();
  rig.machine.os.FailFileWrites(true);
  rig.machine.os.FailFileRemovals(true);
  ASSERT_TRUE(rig.Select("EndHour1", 19));
  ASSERT_TRUE(rig.Click("btnOk"));
  ASSERT_TRUE(rig.Click("btnClear"));

  EXPECT_THAT(rig.MessageTexts(),
              ElementsAre("Notice: The timetable cannot be saved; the one in force stays. Access is denied.",
                          "Notice: The timetable cannot be cleared; it stays in force. Access is denied."));
  EXPECT_THAT(rig.EventIds(), ElementsAre(150, 151));
  EXPECT_EQ(rig.Text("Monday"), kOrangeMon);
  rig.RunUntil("2026-12-07 18:00:30");
  EXPECT_THAT(rig.Commands(), ElementsAre(Ran("18:00:00", kShutdown)));
}

TEST(SaveAndClear, AnUnknownProgramFolderIsReportedAndNoFileIsLookedFor) {
  WindowRig rig{"mcu-amd", "2026-12-07 08:00:00", kLangIdChinese};
  rig.machine.os.SetModulePath("VESK.exe");
  rig.Start();
  EXPECT_THAT(rig.MessageTexts(), ElementsAre("提示: 时间表无法载入。无法确定程序所在的文件夹。"));
  EXPECT_THAT(rig.machine.os.FileOps(), IsEmpty());
}

TEST(SaveAndClear, ClearDeletesSwitchesOffAndAbortsAPendingShutdown) {
  WindowRig rig{"rtc-a2-amd", "2026-12-07 08:58:00"};
  rig.SetFile(Daily(HM(8, 0), HM(9, 0)));
  rig.Start();
  rig.RunUntil("2026-12-07 09:00:05");  // the shutdown command ran
  rig.ShowMain();
  const std::size_t from = rig.writes.size();
  ASSERT_TRUE(rig.Click("btnClear"));

  EXPECT_FALSE(rig.HasFile());
  EXPECT_EQ(rig.Text("LastPoweronTime"), "");
  EXPECT_THAT(rig.Commands(), ElementsAre(Ran("09:00:00", kShutdown), Ran("09:00:05", kAbort)));
  EXPECT_EQ(rig.Writes(0xA2, from).size(), 6u);  // the clock stopped and every alarm off
  EXPECT_FALSE(rig.Checked("EnablePhase1"));
  EXPECT_EQ(rig.Text("Monday"), kGreyMon);

  rig.RunUntil("2026-12-08 10:00:00");  // nothing comes any more
  EXPECT_EQ(rig.Commands().size(), 2u);
  EXPECT_EQ(rig.Writes(0xA2, from).size(), 6u);  // nothing written since
}

}  // namespace
}  // namespace vesk::ui::testing
