#include "schedule/week_schedule.h"

#include <algorithm>

#include "platform/os_services.h"

namespace vesk {

namespace {

constexpr std::array<const char*, kDaysPerWeek> kShortNamesChinese = {
    "周日", "周一", "周二", "周三", "周四", "周五", "周六"};
constexpr std::array<const char*, kDaysPerWeek> kShortNamesEnglish = {
    "Sun", "Mon", "Tue", "Wed", "Thur", "Fri", "Sat"};
constexpr std::array<const char*, kDaysPerWeek> kLongNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
// Saturday's message has never had its full stop; the texts are kept as users know them.
constexpr std::array<const char*, kDaysPerWeek> kOverlapMessages = {
    "The time setting of schedule overlaped on Sunday.",
    "The time setting of schedule overlaped on Monday.",
    "The time setting of schedule overlaped on Tuesday.",
    "The time setting of schedule overlaped on Wednesday.",
    "The time setting of schedule overlaped on Thursday.",
    "The time setting of schedule overlaped on Friday.",
    "The time setting of schedule overlaped on Saturday"};

constexpr const char* kUnnamedDay = " ";

// Through a fresh string: assigning a short literal in place trips a false
// -Wrestrict of GCC 12's optimiser.
void Assign(std::string& out, const char* text) { out = std::string(text); }

// Field order inside one phase of the image.
constexpr std::size_t kEnableOffset = 0;
constexpr std::size_t kStartOffset = 2;
constexpr std::size_t kEndOffset = 4;

void PutLe16(ScheduleImage& image, std::size_t offset, uint16_t value) {
  image[offset] = static_cast<uint8_t>(value & 0xFF);
  image[offset + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetLe16(const ScheduleImage& image, std::size_t offset) {
  return static_cast<uint16_t>(image[offset] | (image[offset + 1] << 8));
}

std::size_t PhaseOffset(std::size_t day, std::size_t phase) {
  return day * kDayScheduleBytes + phase * kPhaseBytes;
}

}  // namespace

bool DaySchedule::AnyPhaseOn() const {
  return std::any_of(Phases.begin(), Phases.end(), [](const Phase& p) { return p.IsOn(); });
}

bool WeekSchedule::AnyPhaseOn() const {
  return std::any_of(Days.begin(), Days.end(), [](const DaySchedule& d) { return d.AnyPhaseOn(); });
}

ScheduleImage ScheduleToBytes(const WeekSchedule& schedule) {
  ScheduleImage image{};
  for (std::size_t d = 0; d < kDaysPerWeek; ++d) {
    for (std::size_t p = 0; p < kPhasesPerDay; ++p) {
      const Phase& phase = schedule.Days[d].Phases[p];
      const std::size_t at = PhaseOffset(d, p);
      PutLe16(image, at + kEnableOffset, phase.Enable);
      PutLe16(image, at + kStartOffset, phase.Start);
      PutLe16(image, at + kEndOffset, phase.End);
    }
  }
  return image;
}

WeekSchedule ScheduleFromBytes(std::span<const uint8_t> bytes) {
  ScheduleImage image{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
  WeekSchedule schedule;
  for (std::size_t d = 0; d < kDaysPerWeek; ++d) {
    for (std::size_t p = 0; p < kPhasesPerDay; ++p) {
      Phase& phase = schedule.Days[d].Phases[p];
      const std::size_t at = PhaseOffset(d, p);
      phase.Enable = GetLe16(image, at + kEnableOffset);
      phase.Start = GetLe16(image, at + kStartOffset);
      phase.End = GetLe16(image, at + kEndOffset);
    }
  }
  return schedule;
}

void GetDayText(std::string& out, DayTextKind kind, int day, uint16_t langId) {
  if (day < 0 || day >= kDaysPerWeek) {
    Assign(out, kUnnamedDay);
    return;
  }
  const auto index = static_cast<std::size_t>(day);
  switch (kind) {
    case DayTextKind::kShortName:
      Assign(out, langId == kLangIdChinese ? kShortNamesChinese[index] : kShortNamesEnglish[index]);
      return;
    case DayTextKind::kLongName:
      Assign(out, kLongNames[index]);
      return;
    case DayTextKind::kOverlapMessage:
      Assign(out, kOverlapMessages[index]);
      return;
  }
  Assign(out, kUnnamedDay);
}

}  // namespace vesk
