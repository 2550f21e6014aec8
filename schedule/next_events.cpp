#include "schedule/next_events.h"

#include <chrono>
#include <optional>

#include "platform/calendar.h"

namespace vesk {

namespace {

constexpr uint16_t kSunday = 0;
constexpr uint16_t kMonday = 1;
constexpr uint16_t kFriday = 5;
constexpr uint16_t kSaturday = 6;

bool IsWeekday(unsigned day) { return day < static_cast<unsigned>(kDaysPerWeek); }

// The periods in force `daysAhead` days after `time`: the exception of that
// date if it has one, else its weekday's.
const DaySchedule& PeriodsAhead(const WeekSchedule& schedule, const Holidays& holidays, const LocalTime& time,
                                unsigned daysAhead) {
  if (!holidays.empty()) {
    if (const auto date = DateOf(time)) {
      const auto exception = holidays.find(*date + std::chrono::days{daysAhead});
      if (exception != holidays.end()) return exception->second;
    }
  }
  return schedule.Days[(time.wDayOfWeek + daysAhead) % kDaysPerWeek];
}

// `base` moved `daysAhead` days on (weekday, and the date when the fields
// make one) with its hour and minute replaced; the other fields keep
// whatever they held.
LocalTime At(LocalTime base, unsigned daysAhead, uint16_t minuteOfDay) {
  if (daysAhead != 0) {
    if (const auto date = DateOf(base)) {
      const std::chrono::year_month_day moved{*date + std::chrono::days{daysAhead}};
      base.wYear = static_cast<uint16_t>(static_cast<int>(moved.year()));
      base.wMonth = static_cast<uint16_t>(static_cast<unsigned>(moved.month()));
      base.wDay = static_cast<uint16_t>(static_cast<unsigned>(moved.day()));
    }
    base.wDayOfWeek = static_cast<uint16_t>((base.wDayOfWeek + daysAhead) % kDaysPerWeek);
  }
  base.wHour = static_cast<uint16_t>(minuteOfDay / kMinutesPerHour);
  base.wMinute = static_cast<uint16_t>(minuteOfDay % kMinutesPerHour);
  return base;
}

// A week past the last exception the weekly timetable alone is left, and
// it repeats itself.
unsigned SearchDays(const Holidays& holidays, const LocalTime& from) {
  unsigned days = kDaysPerWeek;
  const auto date = DateOf(from);
  if (holidays.empty() || !date) return days;
  const auto last = holidays.rbegin()->first;
  if (last > *date) days += static_cast<unsigned>((last - *date).count());
  return days;
}

struct PowerOnFound {
  LocalTime time;
  unsigned daysAhead = 0;
  bool found = false;
};

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

// The phase in force today that is on and runs at `now`, if any.
const Phase* RunningPhase(const WeekSchedule& schedule, const Holidays& holidays, const LocalTime& now) {
  if (!IsWeekday(now.wDayOfWeek)) return nullptr;
  const uint16_t nowMinute = MinuteOfDay(now);
  for (const Phase& phase : PeriodsAhead(schedule, holidays, now, 0).Phases) {
    if (phase.IsOn() && phase.Start <= nowMinute && nowMinute < phase.End) return &phase;
  }
  return nullptr;
}

// The shutdown an active postponement asks for; the current minute when its
// day is not one that counts from today.
LocalTime PostponedShutdownAt(const WeekSchedule& schedule, const Postponement& postponement, const LocalTime& now,
                              const Holidays& holidays) {
  const uint8_t targetDay = postponement.Day[Postponement::kTarget];
  if (!TargetDayHonoured(now.wDayOfWeek, targetDay)) return now;
  const auto target = static_cast<uint16_t>(postponement.Hour[Postponement::kTarget] * kMinutesPerHour +
                                            postponement.Minute[Postponement::kTarget]);
  const unsigned daysAhead = (targetDay + kDaysPerWeek - now.wDayOfWeek) % kDaysPerWeek;
  return At(now, daysAhead, PostponedMinute(PeriodsAhead(schedule, holidays, now, daysAhead), target));
}

// `minutes` later than `time`, across midnight into the next day.
LocalTime MinutesLater(const LocalTime& time, int minutes) {
  const int minute = MinuteOfDay(time) + minutes;
  if (minute < kMinutesPerDay || !IsWeekday(time.wDayOfWeek)) return At(time, 0, static_cast<uint16_t>(minute));
  return At(time, 1, static_cast<uint16_t>(minute - kMinutesPerDay));
}

}  // namespace

bool Postponement::IsActive() const {
  return Day[kTarget] != Day[kOrigin] || Hour[kTarget] != Hour[kOrigin] ||
         Minute[kTarget] != Minute[kOrigin];
}

namespace {

using UtcMinute = std::chrono::sys_time<std::chrono::minutes>;

LocalTime RecordOf(UtcMinute at) {
  const Date date = std::chrono::floor<std::chrono::days>(at);
  const std::chrono::year_month_day ymd{date};
  LocalTime record;
  record.wYear = static_cast<uint16_t>(static_cast<int>(ymd.year()));
  record.wMonth = static_cast<uint16_t>(static_cast<unsigned>(ymd.month()));
  record.wDay = static_cast<uint16_t>(static_cast<unsigned>(ymd.day()));
  record.wDayOfWeek = WeekdayOf(date);
  const auto minuteOfDay = static_cast<uint16_t>((at - date).count());
  return At(record, 0, minuteOfDay);
}

}  // namespace

LocalClockAhead::LocalClockAhead(const LocalTime& nowLocal) : now_(nowLocal) {}

LocalClockAhead::LocalClockAhead(const LocalTime& nowUtc, OffsetRule offsetAt)
    : now_(nowUtc), offsetAt_(std::move(offsetAt)) {}

LocalClockAhead::LocalClockAhead(OsServices& os)
    : LocalClockAhead(os.GetSystemTime(), [&os](const LocalTime& utc) { return os.GetUtcOffsetMinutes(utc); }) {}

LocalTime LocalClockAhead::After(int minutes) const {
  const auto date = DateOf(now_);
  if (!offsetAt_ || !date) return MinutesLater(now_, minutes);
  const UtcMinute utc = *date + std::chrono::minutes{MinuteOfDay(now_) + minutes};
  return RecordOf(utc + std::chrono::minutes{offsetAt_(RecordOf(utc))});
}

LocalTime NextShutdownAt(const WeekSchedule& schedule, const Postponement& postponement,
                         const LocalTime& now, const Holidays& holidays) {
  if (postponement.IsActive() && !PostponementSpentAt(schedule, postponement, now, holidays)) {
    return PostponedShutdownAt(schedule, postponement, now, holidays);
  }
  if (const Phase* running = RunningPhase(schedule, holidays, now)) return At(now, 0, running->End);
  return now;
}

bool PostponementSpentAt(const WeekSchedule& schedule, const Postponement& postponement, const LocalTime& now,
                         const Holidays& holidays) {
  if (!postponement.IsActive()) return false;
  const LocalTime shutdown = PostponedShutdownAt(schedule, postponement, now, holidays);
  return shutdown.wDayOfWeek == now.wDayOfWeek && MinuteOfDay(now) > MinuteOfDay(shutdown);
}

bool PeriodRunningAt(const WeekSchedule& schedule, const LocalTime& now, const Holidays& holidays) {
  return RunningPhase(schedule, holidays, now) != nullptr;
}

namespace {

PowerOnFound FindNextPowerOn(const WeekSchedule& schedule, const LocalTime& after, const Holidays& holidays) {
  if (!IsWeekday(after.wDayOfWeek)) return {after};

  const uint16_t laterToday = EarliestStart(PeriodsAhead(schedule, holidays, after, 0), MinuteOfDay(after));
  if (laterToday < kMinutesPerDay) return {At(after, 0, laterToday), 0, true};

  // Without holidays seven steps: the last one is the same weekday a week later.
  const unsigned searchDays = SearchDays(holidays, after);
  for (unsigned k = 1; k <= searchDays; ++k) {
    const uint16_t start = EarliestStart(PeriodsAhead(schedule, holidays, after, k), std::nullopt);
    if (start < kMinutesPerDay) return {At(after, k, start), k, true};
  }
  return {after};
}

}  // namespace

LocalTime GetNextPowerOn(const WeekSchedule& schedule, const LocalTime& after, const Holidays& holidays) {
  return FindNextPowerOn(schedule, after, holidays).time;
}

bool ShutdownDueAt(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                   const LocalTime& now, const Holidays& holidays) {
  if (!armed) return false;
  const LocalTime shutdown = NextShutdownAt(schedule, postponement, now, holidays);
  const int nowMinute = MinuteOfDay(now);
  if (shutdown.wDayOfWeek != now.wDayOfWeek || MinuteOfDay(shutdown) != nowMinute) return false;

  // Counted in days from now, not by weekday: past holidays the next
  // power-on can be on today's weekday weeks later.
  const PowerOnFound powerOn = FindNextPowerOn(schedule, shutdown, holidays);
  if (!powerOn.found) return true;
  const int minutesAway =
      static_cast<int>(powerOn.daysAhead) * kMinutesPerDay + MinuteOfDay(powerOn.time) - nowMinute;
  return minutesAway > kPowerOnGraceMinutes;
}

std::optional<LocalTime> ComingShutdownAt(const WeekSchedule& schedule, const Postponement& postponement,
                                          bool armed, const LocalClockAhead& clock, const Holidays& holidays) {
  if (!armed) return std::nullopt;
  // The clock tick decides minute by minute, so the same decision is asked
  // of each minute ahead; a postponement spends itself on the way. The
  // minutes are real ones: a period that ends inside the hour springing
  // forward skips is shut down at the jump, and warned of before it.
  for (int ahead = 0; ahead <= kWarningLeadMinutes; ++ahead) {
    const LocalTime minute = clock.After(ahead);
    if (ShutdownDueAt(schedule, postponement, armed, minute, holidays)) return minute;
  }
  return std::nullopt;
}

bool WarningDueAt(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                  const LocalClockAhead& clock, const Holidays& holidays) {
  return ComingShutdownAt(schedule, postponement, armed, clock, holidays).has_value();
}

LocalTime GetNextShutdown(const WeekSchedule& schedule, const Postponement& postponement,
                          OsServices& os, const Holidays& holidays) {
  return NextShutdownAt(schedule, postponement, os.GetLocalTime(), holidays);
}

bool IsShutdownDue(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                   OsServices& os, const Holidays& holidays) {
  if (!armed) return false;
  return ShutdownDueAt(schedule, postponement, armed, os.GetLocalTime(), holidays);
}

std::optional<LocalTime> ComingShutdown(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                                        OsServices& os, const Holidays& holidays) {
  if (!armed) return std::nullopt;
  return ComingShutdownAt(schedule, postponement, armed, LocalClockAhead{os}, holidays);
}

bool IsWarningDue(const WeekSchedule& schedule, const Postponement& postponement, bool armed,
                  OsServices& os, const Holidays& holidays) {
  return ComingShutdown(schedule, postponement, armed, os, holidays).has_value();
}

}  // namespace vesk
