#include "schedule/next_events.h"

#include <optional>

namespace vesk {

namespace {

constexpr uint16_t kSunday = 0;
constexpr uint16_t kMonday = 1;
constexpr uint16_t kFriday = 5;
constexpr uint16_t kSaturday = 6;
constexpr uint16_t kMinutesPerHour = 60;

bool IsWeekday(unsigned day) { return day < static_cast<unsigned>(kDaysPerWeek); }

const DaySchedule& DayOf(const WeekSchedule& schedule, unsigned weekday) {
  return schedule.Days[weekday];
}

// `base` with its weekday, hour and minute replaced; the other fields keep
// whatever they held.
LocalTime At(LocalTime base, uint16_t weekday, uint16_t minuteOfDay) {
  base.wDayOfWeek = weekday;
  base.wHour = static_cast<uint16_t>(minuteOfDay / kMinutesPerHour);
  base.wMinute = static_cast<uint16_t>(minuteOfDay % kMinutesPerHour);
  return base;
}

// A postponed shutdown counts only today, later this week (Monday to
// Friday), or on the day after when that is the next day of the week across
// the Sunday boundary: Sunday to Monday, Saturday to Sunday.
bool TargetDayHonoured(unsigned today, unsigned target) {
  if (!IsWeekday(target)) return false;
  if (target == today) return true;
  if (today >= kMonday && today <= kFriday) return target > today;
  if (today == kSunday) return target == kMonday;
  if (today == kSaturday) return target == kSunday;
  return false;
}

// The postponed time moved to the end of the phase it falls into. The phases
// are taken in their numbering with their stored times, on or off, once any
// phase of the day is on.
uint16_t PostponedMinute(const DaySchedule& day, uint16_t target) {
  if (!day.AnyPhaseOn()) return target;
  for (const Phase& phase : day.Phases) {
    if (target < phase.Start) return target;
    if (target < phase.End) return phase.End;
  }
  return target;
}

// Smallest Start of a phase that is on and starts after `after` (or at any
// time when `after` is empty); kMinutesPerDay when there is none, so a Start
// of 1440 or more is never chosen.
uint16_t EarliestStart(const DaySchedule& day, std::optional<uint16_t> after) {
  uint16_t earliest = kMinutesPerDay;
  for (const Phase& phase : day.Phases) {
    if (!phase.IsOn()) continue;
    if (after && phase.Start <= *after) continue;
    if (phase.Start < earliest) earliest = phase.Start;
  }
  return earliest;
}

// The phase of today that is on and runs at `now`, if any.
const Phase* RunningPhase(const WeekSchedule& schedule, const LocalTime& now) {
  if (!IsWeekday(now.wDayOfWeek)) return nullptr;
  const uint16_t nowMinute = MinuteOfDay(now);
  for (const Phase& phase : DayOf(schedule, now.wDayOfWeek).Phases) {
    if (phase.IsOn() && phase.Start <= nowMinute && nowMinute < phase.End) return &phase;
  }
  return nullptr;
}

// The shutdown an active postponement asks for; the current minute when its
// day is not one that counts from today.
LocalTime PostponedShutdownAt(const WeekSchedule& schedule, const Postponement& postponement, const LocalTime& now) {
  const uint8_t targetDay = postponement.Day[Postponement::kTarget];
  if (!TargetDayHonoured(now.wDayOfWeek, targetDay)) return now;
  const auto target = static_cast<uint16_t>(postponement.Hour[Postponement::kTarget] * kMinutesPerHour +
                                            postponement.Minute[Postponement::kTarget]);
  return At(now, targetDay, PostponedMinute(DayOf(schedule, targetDay), target));
}

// `minutes` later than `time`, across midnight into the next weekday.
LocalTime MinutesLater(const LocalTime& time, int minutes) {
  const int minute = MinuteOfDay(time) + minutes;
  if (minute < kMinutesPerDay || !IsWeekday(time.wDayOfWeek)) {
    return At(time, time.wDayOfWeek, static_cast<uint16_t>(minute));
  }
  return At(time, static_cast<uint16_t>((time.wDayOfWeek + 1) % kDaysPerWeek),
            static_cast<uint16_t>(minute - kMinutesPerDay));
}

}  // namespace

bool Postponement::IsActive() const {
  return Day[kTarget] != Day[kOrigin] || Hour[kTarget] != Hour[kOrigin] ||
         Minute[kTarget] != Minute[kOrigin];
}

uint16_t MinuteOfDay(const LocalTime& time) {
  return static_cast<uint16_t>(time.wHour * kMinutesPerHour + time.wMinute);
}

LocalTime NextShutdownAt(const WeekSchedule& schedule, const Postponement& postponement,
                         const LocalTime& now) {
  if (postponement.IsActive() && !PostponementSpentAt(schedule, postponement, now)) {
    return PostponedShutdownAt(schedule, postponement, now);
  }
  if (const Phase* running = RunningPhase(schedule, now)) return At(now, now.wDayOfWeek, running->End);
  return now;
}

bool PostponementSpentAt(const WeekSchedule& schedule, const Postponement& postponement, const LocalTime& now) {
  if (!postponement.IsActive()) return false;
  const LocalTime shutdown = PostponedShutdownAt(schedule, postponement, now);
  return shutdown.wDayOfWeek == now.wDayOfWeek && MinuteOfDay(now) > MinuteOfDay(shutdown);
}

bool PeriodRunningAt(const WeekSchedule& schedule, const LocalTime& now) {
  return RunningPhase(schedule, now) != nullptr;
}

LocalTime GetNextPowerOn(const WeekSchedule& schedule, const LocalTime& after) {
  const unsigned day = after.wDayOfWeek;
  if (!IsWeekday(day)) return after;

  const uint16_t laterToday = EarliestStart(DayOf(schedule, day), MinuteOfDay(after));
  if (laterToday < kMinutesPerDay) return At(after, after.wDayOfWeek, laterToday);

  // Seven steps: the last one is the same weekday a week later.
  for (unsigned k = 1; k <= static_cast<unsigned>(kDaysPerWeek); ++k) {
    const auto next = static_cast<uint16_t>((day + k) % kDaysPerWeek);
    const uint16_t start = EarliestStart(DayOf(schedule, next), std::nullopt);
    if (start < kMinutesPerDay) return At(after, next, start);
  }
  return after;
}

bool ShutdownDueAt(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                   const LocalTime& now) {
  if (!armed) return false;
  const LocalTime shutdown = NextShutdownAt(schedule, postponement, now);
  const LocalTime powerOn = GetNextPowerOn(schedule, shutdown);

  const int nowMinute = MinuteOfDay(now);
  const unsigned today = now.wDayOfWeek;
  if (shutdown.wDayOfWeek != today || MinuteOfDay(shutdown) != nowMinute) return false;

  const int powerOnMinute = MinuteOfDay(powerOn);
  if (powerOn.wDayOfWeek == today && powerOnMinute > nowMinute) {
    return nowMinute + kPowerOnGraceMinutes < powerOnMinute;
  }
  if (powerOn.wDayOfWeek == (today + 1) % kDaysPerWeek) {
    return nowMinute + kPowerOnGraceMinutes < powerOnMinute + kMinutesPerDay;
  }
  return true;
}

std::optional<LocalTime> ComingShutdownAt(const WeekSchedule& schedule, const Postponement& postponement,
                                          bool armed, const LocalTime& now) {
  if (!armed) return std::nullopt;
  // The clock tick decides minute by minute, so the same decision is asked
  // of each minute ahead; a postponement spends itself on the way.
  for (int ahead = 0; ahead <= kWarningLeadMinutes; ++ahead) {
    const LocalTime minute = MinutesLater(now, ahead);
    if (ShutdownDueAt(schedule, postponement, armed, minute)) return minute;
  }
  return std::nullopt;
}

bool WarningDueAt(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                  const LocalTime& now) {
  return ComingShutdownAt(schedule, postponement, armed, now).has_value();
}

LocalTime GetNextShutdown(const WeekSchedule& schedule, const Postponement& postponement,
                          OsServices& os) {
  return NextShutdownAt(schedule, postponement, os.GetLocalTime());
}

bool IsShutdownDue(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                   OsServices& os) {
  if (!armed) return false;
  return ShutdownDueAt(schedule, postponement, armed, os.GetLocalTime());
}

bool IsWarningDue(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                  OsServices& os) {
  if (!armed) return false;
  return WarningDueAt(schedule, postponement, armed, os.GetLocalTime());
}

}  // namespace vesk
