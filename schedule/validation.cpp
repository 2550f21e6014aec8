#include "schedule/validation.h"

#include <array>
#include <string>
#include <utility>

namespace vesk {

namespace {

constexpr const char* kCaptionChinese = "提醒";
constexpr const char* kCaptionEnglish = "Notice";

// Chinese texts carry the weekday number (0 = Sunday), English ones the long day name.
constexpr std::array<const char*, kPhasesPerDay> kOrderTextsChinese = {
    "第%d天\n第一段：设置的结束时间不能早于或等于开始时间！",
    "第%d天\n第二段：设置的结束时间不能早于或等于开始时间！",
    "第%d天\n第三段：设置的结束时间不能早于或等于开始时间！"};
constexpr std::array<const char*, kPhasesPerDay> kOrderTextsEnglish = {
    "In the first schedule of %s,the Shutdown Time must be later than the Resume Time.",
    "In the second schedule of %s,the Shutdown Time must be later than the Resume Time.",
    "In the third schedule of %s,the Shutdown Time must be later than the Resume Time."};
constexpr const char* kOverlapTextChinese = "第%d天\n设置的时间段有重叠冲突！";
constexpr const char* kAllOffTextChinese = "每周的所有的时间段不能全部关闭！";
constexpr const char* kAllOffTextEnglish = "The schedule cannot be all cancelled for each week .";

constexpr std::array<ScheduleFault, kPhasesPerDay> kOrderFaults = {
    ScheduleFault::kPhase1EndNotAfterStart, ScheduleFault::kPhase2EndNotAfterStart,
    ScheduleFault::kPhase3EndNotAfterStart};

// The pairs in the order they are judged: (1,2), (1,3), (2,3).
constexpr std::array<std::pair<std::size_t, std::size_t>, 3> kPhasePairs = {{{0, 1}, {0, 2}, {1, 2}}};

bool PairOverlaps(const Phase& a, const Phase& b) {
  if (!a.IsOn() || !b.IsOn()) return false;
  if (b.Start == a.Start) return true;
  if (b.Start < a.Start) return b.End >= a.Start;
  return a.End >= b.Start;
}

// The texts keep their printf-style placeholders; each holds exactly one.
std::string Fill(const char* pattern, const char* placeholder, const std::string& value) {
  std::string text = pattern;
  const auto at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, std::char_traits<char>::length(placeholder), value);
  return text;
}

std::string WithDayNumber(const char* pattern, int day) { return Fill(pattern, "%d", std::to_string(day)); }

std::string WithDayName(const char* pattern, const std::string& name) { return Fill(pattern, "%s", name); }

std::string EnglishDayText(DayTextKind kind, int day) {
  std::string text;
  GetDayText(text, kind, day, 0);
  return text;
}

std::string FaultText(const ScheduleCheck& check, bool chinese) {
  switch (check.fault) {
    case ScheduleFault::kPhase1EndNotAfterStart:
    case ScheduleFault::kPhase2EndNotAfterStart:
    case ScheduleFault::kPhase3EndNotAfterStart: {
      const auto phase = static_cast<std::size_t>(static_cast<int>(check.fault) -
                                                  static_cast<int>(ScheduleFault::kPhase1EndNotAfterStart));
      return chinese ? WithDayNumber(kOrderTextsChinese[phase], check.day)
                     : WithDayName(kOrderTextsEnglish[phase], EnglishDayText(DayTextKind::kLongName, check.day));
    }
    case ScheduleFault::kPhasesOverlap:
      return chinese ? WithDayNumber(kOverlapTextChinese, check.day)
                     : EnglishDayText(DayTextKind::kOverlapMessage, check.day);
    case ScheduleFault::kAllPhasesOff:
      return chinese ? kAllOffTextChinese : kAllOffTextEnglish;
    case ScheduleFault::kNone:
      break;
  }
  return {};
}

}  // namespace

bool PhasesOverlap(const DaySchedule& day) {
  const DaySchedule copy = day;
  for (const auto& [first, second] : kPhasePairs) {
    if (PairOverlaps(copy.Phases[first], copy.Phases[second])) return true;
  }
  return false;
}

ScheduleCheck CheckSchedule(const WeekSchedule& schedule) {
  bool anyDayOn = false;
  for (int d = 0; d < kDaysPerWeek; ++d) {
    const DaySchedule& day = schedule.Days[static_cast<std::size_t>(d)];
    if (!day.AnyPhaseOn()) continue;
    anyDayOn = true;
    for (std::size_t p = 0; p < kPhasesPerDay; ++p) {
      const Phase& phase = day.Phases[p];
      if (phase.IsOn() && phase.Start >= phase.End) return {kOrderFaults[p], d};
    }
    if (PhasesOverlap(day)) return {ScheduleFault::kPhasesOverlap, d};
  }
  if (!anyDayOn) return {ScheduleFault::kAllPhasesOff, 0};
  return {};
}

RefusalMessage DescribeScheduleFault(const ScheduleCheck& check, uint16_t langId) {
  const bool chinese = langId == kLangIdChinese;
  return {chinese ? kCaptionChinese : kCaptionEnglish, FaultText(check, chinese)};
}

bool ValidateSchedule(const WeekSchedule& schedule, uint16_t langId, OsServices& os) {
  const ScheduleCheck check = CheckSchedule(schedule);
  if (check.fault == ScheduleFault::kNone) return true;
  const RefusalMessage message = DescribeScheduleFault(check, langId);
  os.ShowMessageBox(message.text, message.caption, kRefusalBoxType);
  return false;
}

}  // namespace vesk
