#include "schedule/validation.h"

#include <gtest/gtest.h>

#include "sim/os/simulated_os.h"

namespace vesk {
namespace {

constexpr uint16_t kEnglish = 1033;

uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }
Phase On(uint16_t start, uint16_t end) { return {1, start, end}; }
Phase Off(uint16_t start, uint16_t end) { return {0, start, end}; }
DaySchedule Day(Phase p1, Phase p2 = {}, Phase p3 = {}) { return DaySchedule{{p1, p2, p3}}; }
WeekSchedule WithDay(int d, DaySchedule day) {
  WeekSchedule s;
  s.Days[static_cast<std::size_t>(d)] = day;
  return s;
}

TEST(CheckSchedule, FaultsAndAcceptance) {
  WeekSchedule allOffWithTimes;
  for (auto& day : allOffWithTimes.Days) day = Day(Off(480, 1050), Off(1100, 1200), Off(5, 4));
  WeekSchedule sundayAndWednesday;  // Sunday's overlap comes before Wednesday's phase 1 fault
  sundayAndWednesday.Days[0] = Day(On(100, 200), On(200, 300));
  sundayAndWednesday.Days[3] = Day(On(500, 400));
  const struct {
    WeekSchedule schedule;
    ScheduleFault fault;
    int day;
  } cases[] = {
      {WithDay(6, Day({}, {}, On(1, 2))), ScheduleFault::kNone, 0},            // one phase in the week
      {WithDay(2, Day(On(60, 120), Off(900, 100))), ScheduleFault::kNone, 0},  // off: times not looked at
      {WithDay(3, Day(On(1500, 3000))), ScheduleFault::kNone, 0},              // 1440 and more as they are
      {WithDay(4, Day(On(Hm(8, 0), Hm(8, 0)))), ScheduleFault::kPhase1EndNotAfterStart, 4},
      {WithDay(4, Day(On(1, 2), On(900, 899))), ScheduleFault::kPhase2EndNotAfterStart, 4},
      {WithDay(5, Day(On(1, 2), On(3, 4), On(3000, 1500))), ScheduleFault::kPhase3EndNotAfterStart, 5},
      {WithDay(2, Day(On(300, 100), On(250, 250))), ScheduleFault::kPhase1EndNotAfterStart, 2},
      {WithDay(2, Day(On(100, 300), On(250, 250), On(200, 260))), ScheduleFault::kPhase2EndNotAfterStart, 2},
      {WithDay(1, Day(On(100, 300), On(200, 260))), ScheduleFault::kPhasesOverlap, 1},  // inside
      {WithDay(1, Day(On(480, 720), On(720, 780))), ScheduleFault::kPhasesOverlap, 1},  // touching
      {WithDay(1, Day(On(480, 720), On(721, 780))), ScheduleFault::kNone, 0},
      {WithDay(1, Day(On(720, 780), On(480, 720))), ScheduleFault::kPhasesOverlap, 1},  // later first
      {WithDay(1, Day(On(600, 700), On(600, 601))), ScheduleFault::kPhasesOverlap, 1},  // equal starts
      {WithDay(1, Day(On(100, 200), On(300, 400), On(150, 160))), ScheduleFault::kPhasesOverlap, 1},  // phases 1 and 3
      {WithDay(1, Day(On(100, 200), On(300, 400), On(400, 500))), ScheduleFault::kPhasesOverlap, 1},  // phases 2 and 3
      {WithDay(1, Day(On(100, 200), Off(150, 300), On(300, 400))), ScheduleFault::kNone, 0},  // phases off do not count
      {WithDay(1, Day(Off(100, 500), On(200, 300), Off(250, 260))), ScheduleFault::kNone, 0},
      {sundayAndWednesday, ScheduleFault::kPhasesOverlap, 0},
      {allOffWithTimes, ScheduleFault::kAllPhasesOff, 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const ScheduleCheck check = CheckSchedule(cases[i].schedule);
    EXPECT_EQ(check.fault, cases[i].fault) << i;
    EXPECT_EQ(check.day, cases[i].day) << i;
  }
}

TEST(DescribeScheduleFault, EveryTextInBothLanguages) {
  const struct {
    ScheduleCheck check;
    const char* chinese;
    const char* english;
  } cases[] = {
      {{ScheduleFault::kPhase1EndNotAfterStart, 0}, "第0天\n第一段：设置的结束时间不能早于或等于开始时间！",
       "In the first schedule of Sunday,the Shutdown Time must be later than the Resume Time."},
      {{ScheduleFault::kPhase2EndNotAfterStart, 3}, "第3天\n第二段：设置的结束时间不能早于或等于开始时间！",
       "In the second schedule of Wednesday,the Shutdown Time must be later than the Resume Time."},
      {{ScheduleFault::kPhase3EndNotAfterStart, 6}, "第6天\n第三段：设置的结束时间不能早于或等于开始时间！",
       "In the third schedule of Saturday,the Shutdown Time must be later than the Resume Time."},
      {{ScheduleFault::kPhasesOverlap, 6}, "第6天\n设置的时间段有重叠冲突！",
       "The time setting of schedule overlaped on Saturday"},
      {{ScheduleFault::kAllPhasesOff, 0}, "每周的所有的时间段不能全部关闭！",
       "The schedule cannot be all cancelled for each week ."},
  };
  for (const auto& c : cases) {
    const RefusalMessage chinese = DescribeScheduleFault(c.check, kLangIdChinese);
    EXPECT_EQ(chinese.caption, "提醒");
    EXPECT_EQ(chinese.text, c.chinese);
    for (const uint16_t other : {kEnglish, uint16_t{0}}) {
      const RefusalMessage english = DescribeScheduleFault(c.check, other);
      EXPECT_EQ(english.caption, "Notice");
      EXPECT_EQ(english.text, c.english);
    }
  }
}

TEST(ValidateSchedule, RefusalShowsExactlyOneErrorBoxAcceptanceNone) {
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  WeekSchedule s = WithDay(1, Day(On(Hm(8, 0), Hm(12, 0)), On(Hm(12, 0), Hm(13, 0))));
  s.Days[5] = Day(On(5, 5));
  EXPECT_FALSE(ValidateSchedule(s, kLangIdChinese, os));
  ASSERT_EQ(os.MessageBoxes().size(), 1u);
  const auto& box = os.MessageBoxes()[0];
  EXPECT_EQ(box.caption + ": " + box.text, "提醒: 第1天\n设置的时间段有重叠冲突！");
  EXPECT_EQ(box.type, 0x10u);
  EXPECT_EQ(box.timeoutMs, 0u);
  s.Days[1].Phases[1].Start = Hm(12, 1);
  s.Days[5] = {};
  EXPECT_TRUE(ValidateSchedule(s, kEnglish, os));
  EXPECT_EQ(os.MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace vesk
