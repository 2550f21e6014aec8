#include "schedule/week_schedule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/os_services.h"

namespace vesk {
namespace {

constexpr uint16_t kEnglish = 1033;
constexpr uint16_t kTraditionalChinese = 1028;

// Every field holds a different value, so a swapped field or day shows.
WeekSchedule DistinctValues() {
  WeekSchedule s;
  uint16_t v = 0x0101;
  for (auto& day : s.Days) {
    for (auto& phase : day.Phases) {
      phase.Enable = v++;
      phase.Start = v++;
      phase.End = v++;
    }
  }
  return s;
}

TEST(ScheduleImage, MondayPhase1IsStoredAtBytes18To23AndNothingElse) {
  WeekSchedule s;
  s.Days[1].Phases[0] = {1, 480, 1050};  // 08:00 to 17:30
  const ScheduleImage image = ScheduleToBytes(s);
  std::vector<uint8_t> expected(kWeekScheduleBytes, 0);
  const uint8_t monday[] = {0x01, 0x00, 0xE0, 0x01, 0x1A, 0x04};
  std::copy(std::begin(monday), std::end(monday), expected.begin() + 18);
  EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.end()), expected);
}

TEST(ScheduleImage, FieldsLieAtTheirOffsetsLittleEndian) {
  WeekSchedule s;
  s.Days[0].Phases[0].Enable = 0x1234;  // Sunday is day 0: offset 0
  s.Days[1].Phases[1].Start = 0xA55A;   // Monday phase 2 Start: offset 26
  s.Days[6].Phases[2].End = 0xBEEF;     // Saturday phase 3 End: offset 124
  const ScheduleImage image = ScheduleToBytes(s);
  EXPECT_EQ(image[0], 0x34);
  EXPECT_EQ(image[1], 0x12);
  EXPECT_EQ(image[26], 0x5A);
  EXPECT_EQ(image[27], 0xA5);
  EXPECT_EQ(image[124], 0xEF);
  EXPECT_EQ(image[125], 0xBE);
}

TEST(ScheduleImage, RoundTripKeepsEveryFieldIncludingTimesOfPhasesThatAreOff) {
  WeekSchedule s = DistinctValues();
  s.Days[3].Phases[1] = {0, 900, 600};  // off, times kept as they are
  const ScheduleImage image = ScheduleToBytes(s);
  EXPECT_EQ(ScheduleFromBytes(image), s);
  // The image is the record's own memory layout on a little-endian machine.
  EXPECT_EQ(std::memcmp(image.data(), &s, kWeekScheduleBytes), 0);
}

TEST(ScheduleImage, ShortImagesFillTheBeginningAndLeaveTheRestZero) {
  EXPECT_EQ(ScheduleFromBytes({}), WeekSchedule{});

  const ScheduleImage full = ScheduleToBytes(DistinctValues());
  // 21 bytes: Sunday whole, Monday phase 1 Enable, and the low byte of its Start.
  const WeekSchedule partial = ScheduleFromBytes(std::span(full).first(21));
  EXPECT_EQ(partial.Days[0], DistinctValues().Days[0]);
  EXPECT_EQ(partial.Days[1].Phases[0].Enable, DistinctValues().Days[1].Phases[0].Enable);
  EXPECT_EQ(partial.Days[1].Phases[0].Start, full[20]);
  EXPECT_EQ(partial.Days[1].Phases[0].End, 0);
  for (int d = 2; d < kDaysPerWeek; ++d) EXPECT_EQ(partial.Days[d], DaySchedule{}) << "day " << d;
}

TEST(ScheduleImage, LongImagesUseTheFirst126Bytes) {
  const ScheduleImage full = ScheduleToBytes(DistinctValues());
  std::vector<uint8_t> longer(full.begin(), full.end());
  longer.resize(4096, 0xFF);
  EXPECT_EQ(ScheduleFromBytes(longer), DistinctValues());
}

TEST(DayText, ShortNamesFollowTheLanguage) {
  const char* chinese[] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
  const char* english[] = {"Sun", "Mon", "Tue", "Wed", "Thur", "Fri", "Sat"};
  std::string text;
  for (int d = 0; d < 7; ++d) {
    GetDayText(text, DayTextKind::kShortName, d, kLangIdChinese);
    EXPECT_EQ(text, chinese[d]);
    GetDayText(text, DayTextKind::kShortName, d, kEnglish);
    EXPECT_EQ(text, english[d]);
    GetDayText(text, DayTextKind::kShortName, d, kTraditionalChinese);
    EXPECT_EQ(text, english[d]) << "only 2052 selects Chinese";
  }
}

TEST(DayText, LongNamesAndOverlapMessagesAreEnglishInEveryLanguage) {
  const char* names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  const char* overlaps[] = {"The time setting of schedule overlaped on Sunday.",
                            "The time setting of schedule overlaped on Monday.",
                            "The time setting of schedule overlaped on Tuesday.",
                            "The time setting of schedule overlaped on Wednesday.",
                            "The time setting of schedule overlaped on Thursday.",
                            "The time setting of schedule overlaped on Friday.",
                            "The time setting of schedule overlaped on Saturday"};
  std::string text;
  for (const uint16_t lang : {kLangIdChinese, kEnglish}) {
    for (int d = 0; d < 7; ++d) {
      GetDayText(text, DayTextKind::kLongName, d, lang);
      EXPECT_EQ(text, names[d]);
      GetDayText(text, DayTextKind::kOverlapMessage, d, lang);
      EXPECT_EQ(text, overlaps[d]);
    }
  }
}

TEST(DayText, DaysOutsideTheWeekGiveOneBlank) {
  std::string text = "old";
  GetDayText(text, DayTextKind::kShortName, 7, kEnglish);
  EXPECT_EQ(text, " ");
  text = "old";
  GetDayText(text, DayTextKind::kLongName, -1, kEnglish);
  EXPECT_EQ(text, " ");
  text = "old";
  GetDayText(text, DayTextKind::kOverlapMessage, 65535, kLangIdChinese);
  EXPECT_EQ(text, " ");
}

}  // namespace
}  // namespace vesk
