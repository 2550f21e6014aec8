#include "schedule/week_schedule.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/os_services.h"

namespace vesk {
namespace {

// Every field holds a different value, so a swapped field or day shows.
WeekSchedule DistinctValues() {
  WeekSchedule s;
  uint16_t v = 0x0101;
  for (auto& day : s.Days) {
    for (auto& phase : day.Phases) phase = {v++, v++, v++};
  }
  return s;
}

TEST(ScheduleImage, FieldsLieAtTheirOffsetsLittleEndianAndNothingElseIsWritten) {
  WeekSchedule s;
  s.Days[1].Phases[0] = {1, 480, 1050};  // Monday 08:00 to 17:30: bytes 18 to 23
  s.Days[0].Phases[0].Enable = 0x1234;   // Sunday is day 0: offset 0
  s.Days[1].Phases[1].Start = 0xA55A;    // Monday phase 2 Start: offset 26
  s.Days[6].Phases[2].End = 0xBEEF;      // Saturday phase 3 End: offset 124
  std::vector<uint8_t> expected(kWeekScheduleBytes, 0);
  const std::vector<std::pair<std::size_t, std::vector<uint8_t>>> fields = {
      {0, {0x34, 0x12}}, {18, {0x01, 0x00, 0xE0, 0x01, 0x1A, 0x04}}, {26, {0x5A, 0xA5}}, {124, {0xEF, 0xBE}}};
  for (const auto& [offset, bytes] : fields) std::copy(bytes.begin(), bytes.end(), expected.begin() + offset);
  const ScheduleImage image = ScheduleToBytes(s);
  EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.end()), expected);
}

TEST(ScheduleImage, ImagesOfAnyLengthLoad) {
  EXPECT_EQ(ScheduleFromBytes({}), WeekSchedule{});
  const ScheduleImage full = ScheduleToBytes(DistinctValues());
  EXPECT_EQ(ScheduleFromBytes(full), DistinctValues());
  // 21 bytes: Sunday whole, Monday phase 1 Enable, and the low byte of its Start.
  const WeekSchedule partial = ScheduleFromBytes(std::span(full).first(21));
  WeekSchedule expected;
  expected.Days[0] = DistinctValues().Days[0];
  expected.Days[1].Phases[0] = {DistinctValues().Days[1].Phases[0].Enable, full[20], 0};
  EXPECT_EQ(partial, expected);
  std::vector<uint8_t> longer(full.begin(), full.end());
  longer.resize(4096, 0xFF);
  EXPECT_EQ(ScheduleFromBytes(longer), DistinctValues());
}

// The long names and the overlap texts show in the validation refusals.
TEST(DayText, ShortNamesByLanguageAndABlankOutsideTheWeek) {
  const char* chinese[] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
  const char* english[] = {"Sun", "Mon", "Tue", "Wed", "Thur", "Fri", "Sat"};
  std::string text;
  for (int d = 0; d < 7; ++d) {
    GetDayText(text, DayTextKind::kShortName, d, kLangIdChinese);
    EXPECT_EQ(text, chinese[d]);
    for (const int other : {1033, 1028, 0}) {  // only 2052 selects Chinese
      GetDayText(text, DayTextKind::kShortName, d, static_cast<uint16_t>(other));
      EXPECT_EQ(text, english[d]);
    }
  }
  for (const int day : {7, -1, 65535}) {
    text = "old";
    GetDayText(text, DayTextKind::kOverlapMessage, day, kLangIdChinese);
    EXPECT_EQ(text, " ");
  }
}

}  // namespace
}  // namespace vesk
