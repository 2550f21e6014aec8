#include "schedule/validation.h"

#include <gtest/gtest.h>

#include "sim/os/simulated_os.h"

namespace vesk {
namespace {

constexpr uint16_t kEnglish = 1033;

uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

DaySchedule Day(Phase p1, Phase p2 = {}, Phase p3 = {}) { return DaySchedule{{p1, p2, p3}}; }
Phase On(uint16_t start, uint16_t end) { return {1, start, end}; }
Phase Off(uint16_t start, uint16_t end) { return {0, start, end}; }

WeekSchedule WithDay(int d, DaySchedule day) {
  WeekSchedule s;
  s.Days[static_cast<std::size_t>(d)] = day;
  return s;
}

TEST(PhasesOverlap, TouchingPhasesOverlapOneMinuteApartDoNot) {
  EXPECT_TRUE(PhasesOverlap(Day(On(Hm(8, 0), Hm(12, 0)), On(Hm(12, 0), Hm(13, 0)))));
  EXPECT_FALSE(PhasesOverlap(Day(On(Hm(8, 0), Hm(12, 0)), On(Hm(12, 1), Hm(13, 0)))));
  // The same with the later phase numbered first.
  EXPECT_TRUE(PhasesOverlap(Day(On(Hm(12, 0), Hm(13, 0)), On(Hm(8, 0), Hm(12, 0)))));
  EXPECT_FALSE(PhasesOverlap(Day(On(Hm(12, 1), Hm(13, 0)), On(Hm(8, 0), Hm(12, 0)))));
}

TEST(PhasesOverlap, EqualStartsAndPhasesInsideOthersOverlap) {
  EXPECT_TRUE(PhasesOverlap(Day(On(600, 700), On(600, 601))));
  EXPECT_TRUE(PhasesOverlap(Day(On(600, 900), On(700, 800))));
  EXPECT_TRUE(PhasesOverlap(Day(On(700, 800), On(600, 900))));
}

TEST(PhasesOverlap, EveryPairIsJudgedButOnlyPhasesThatAreOn) {
  EXPECT_TRUE(PhasesOverlap(Day(On(100, 200), On(300, 400), On(150, 160))));   // 1 and 3
  EXPECT_TRUE(PhasesOverlap(Day(On(100, 200), On(300, 400), On(400, 500))));   // 2 and 3
  EXPECT_FALSE(PhasesOverlap(Day(On(100, 200), Off(150, 300), On(300, 400))));
  EXPECT_FALSE(PhasesOverlap(Day(Off(100, 500), On(200, 300), Off(250, 260))));
  EXPECT_FALSE(PhasesOverlap(Day(On(100, 200), On(300, 400), On(500, 600))));
}

TEST(CheckSchedule, AcceptsWhatTheRulesAllow) {
  // A single phase of the whole week, Saturday's last.
  EXPECT_EQ(CheckSchedule(WithDay(6, Day({}, {}, On(1, 2)))).fault, ScheduleFault::kNone);
  // A phase that is off may hold any times.
  EXPECT_EQ(CheckSchedule(WithDay(2, Day(On(60, 120), Off(900, 100)))).fault, ScheduleFault::kNone);
  // The order of phases within a day is free.
  EXPECT_EQ(CheckSchedule(WithDay(1, Day(On(Hm(14, 0), Hm(18, 0)), On(Hm(8, 0), Hm(12, 0))))).fault,
            ScheduleFault::kNone);
  // Times of 1440 and more are compared as they are.
  EXPECT_EQ(CheckSchedule(WithDay(3, Day(On(1500, 3000)))).fault, ScheduleFault::kNone);
}

TEST(CheckSchedule, EndMustBeStrictlyAfterStart) {
  EXPECT_EQ(CheckSchedule(WithDay(4, Day(On(Hm(8, 0), Hm(8, 0))))).fault,
            ScheduleFault::kPhase1EndNotAfterStart);
  EXPECT_EQ(CheckSchedule(WithDay(4, Day(On(1, 2), On(900, 899)))).fault,
            ScheduleFault::kPhase2EndNotAfterStart);
  EXPECT_EQ(CheckSchedule(WithDay(4, Day(On(1, 2), On(3, 4), On(3000, 1500)))).fault,
            ScheduleFault::kPhase3EndNotAfterStart);
  EXPECT_EQ(CheckSchedule(WithDay(4, Day(On(1, 2), On(3, 4), On(3000, 1500)))).day, 4);
}

TEST(CheckSchedule, AllOffIsRefusedEvenWithTimesInThePhases) {
  WeekSchedule s;
  for (auto& day : s.Days) day = Day(Off(480, 1050), Off(1100, 1200), Off(5, 4));
  EXPECT_EQ(CheckSchedule(s).fault, ScheduleFault::kAllPhasesOff);
  EXPECT_EQ(CheckSchedule(WeekSchedule{}).fault, ScheduleFault::kAllPhasesOff);
}

TEST(CheckSchedule, FirstFaultWins) {
  // Sunday before Wednesday, although Wednesday's is a phase 1 fault.
  WeekSchedule s;
  s.Days[0] = Day(On(100, 200), On(200, 300));
  s.Days[3] = Day(On(500, 400));
  EXPECT_EQ(CheckSchedule(s).fault, ScheduleFault::kPhasesOverlap);
  EXPECT_EQ(CheckSchedule(s).day, 0);
  // Within a day the order faults come before the overlap, phase 1 first.
  const auto inDay = CheckSchedule(WithDay(2, Day(On(100, 300), On(250, 250), On(200, 260))));
  EXPECT_EQ(inDay.fault, ScheduleFault::kPhase2EndNotAfterStart);
  EXPECT_EQ(CheckSchedule(WithDay(2, Day(On(300, 100), On(250, 250)))).fault,
            ScheduleFault::kPhase1EndNotAfterStart);
  // An all-off day before a faulty day is skipped, not reported as all off.
  EXPECT_EQ(CheckSchedule(WithDay(6, Day(On(9, 9)))).day, 6);
}

struct TextCase {
  ScheduleCheck check;
  const char* chinese;
  const char* english;
};

TEST(DescribeScheduleFault, EveryTextInBothLanguages) {
  const TextCase cases[] = {
      {{ScheduleFault::kPhase1EndNotAfterStart, 0},
       "第0天\n第一段：设置的结束时间不能早于或等于开始时间！",
       "In the first schedule of Sunday,the Shutdown Time must be later than the Resume Time."},
      {{ScheduleFault::kPhase2EndNotAfterStart, 3},
       "第3天\n第二段：设置的结束时间不能早于或等于开始时间！",
       "In the second schedule of Wednesday,the Shutdown Time must be later than the Resume Time."},
      {{ScheduleFault::kPhase3EndNotAfterStart, 6},
       "第6天\n第三段：设置的结束时间不能早于或等于开始时间！",
       "In the third schedule of Saturday,the Shutdown Time must be later than the Resume Time."},
      {{ScheduleFault::kPhasesOverlap, 1}, "第1天\n设置的时间段有重叠冲突！",
       "The time setting of schedule overlaped on Monday."},
      {{ScheduleFault::kPhasesOverlap, 6}, "第6天\n设置的时间段有重叠冲突！",
       "The time setting of schedule overlaped on Saturday"},
      {{ScheduleFault::kAllPhasesOff, 0}, "每周的所有的时间段不能全部关闭！",
       "The schedule cannot be all cancelled for each week ."},
  };
  for (const TextCase& c : cases) {
    const RefusalMessage chinese = DescribeScheduleFault(c.check, kLangIdChinese);
    EXPECT_EQ(chinese.caption, "提醒");
    EXPECT_EQ(chinese.text, c.chinese);
    const RefusalMessage english = DescribeScheduleFault(c.check, kEnglish);
    EXPECT_EQ(english.caption, "Notice");
    EXPECT_EQ(english.text, c.english);
    EXPECT_EQ(DescribeScheduleFault(c.check, 0).text, c.english);
  }
}

TEST(ValidateSchedule, RefusalShowsExactlyOneErrorBoxWithTheFirstFault) {
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  WeekSchedule s = WithDay(1, Day(On(Hm(8, 0), Hm(12, 0)), On(Hm(12, 0), Hm(13, 0))));
  s.Days[5] = Day(On(5, 5));
  EXPECT_FALSE(ValidateSchedule(s, kLangIdChinese, os));
  ASSERT_EQ(os.MessageBoxes().size(), 1u);
  EXPECT_EQ(os.MessageBoxes()[0].caption, "提醒");
  EXPECT_EQ(os.MessageBoxes()[0].text, "第1天\n设置的时间段有重叠冲突！");
  EXPECT_EQ(os.MessageBoxes()[0].type, 0x10u);
  EXPECT_EQ(os.MessageBoxes()[0].timeoutMs, 0u);

  EXPECT_FALSE(ValidateSchedule(WeekSchedule{}, kEnglish, os));
  ASSERT_EQ(os.MessageBoxes().size(), 2u);
  EXPECT_EQ(os.MessageBoxes()[1].caption, "Notice");
  EXPECT_EQ(os.MessageBoxes()[1].text, "The schedule cannot be all cancelled for each week .");
}

TEST(ValidateSchedule, AcceptanceShowsNothing) {
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  const WeekSchedule s = WithDay(1, Day(On(Hm(8, 0), Hm(12, 0)), On(Hm(12, 1), Hm(13, 0)), Off(9, 1)));
  EXPECT_TRUE(ValidateSchedule(s, kEnglish, os));
  EXPECT_TRUE(os.MessageBoxes().empty());
}

}  // namespace
}  // namespace vesk
