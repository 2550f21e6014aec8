#pragma once
// Exceptions to the weekly timetable by date: on a date that has one, its
// periods replace the weekday's; a date whose periods are all off keeps the
// board off all day. They live in "Holidays.txt" beside the program, UTF-8
// text that an administrator may also write by hand and copy to many boards:
//
//   # comment (from '#' to the end of the line); blank lines are skipped
//   2026-12-24 08:00-12:00
//   2026-12-25 off
//   2027-01-02 09:00-12:00,13:00-16:00
//
// At most three periods a day, under the same rules as a day of the week:
// each ends after it starts, and no two overlap or touch.
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/calendar.h"
#include "platform/os_services.h"
#include "schedule/validation.h"
#include "schedule/week_schedule.h"

namespace vesk {

using Holidays = std::map<Date, DaySchedule>;

// 0 = Sunday ... 6 = Saturday.
uint16_t WeekdayOf(Date date);
// "YYYY-MM-DD".
std::string FormatDate(Date date);

// The periods in force on a date: its exception if it has one, else its weekday's.
const DaySchedule& PeriodsOn(const WeekSchedule& week, const Holidays& holidays, Date date);

enum class HolidayFault {
  kNone,
  kBadLine,           // neither "DATE off" nor "DATE HH:MM-HH:MM[,...]"
  kNoSuchDate,        // 2026-02-30
  kTimeOutOfRange,    // 24:00, 12:60
  kTooManyPeriods,    // a fourth period
  kEndNotAfterStart,  // `period` says which
  kPeriodsOverlap,
  kDateTwice,
  kFileTooLong,
  kDatePassed,        // the editor takes coming dates only
  kNothingChosen,     // the editor: neither "off" nor a period
};

struct HolidayError {
  HolidayFault fault = HolidayFault::kNone;
  int line = 0;    // in the file, from 1
  int period = 0;  // kEndNotAfterStart: 1 to 3
};

struct HolidayEntry {
  Date date;
  DaySchedule periods;
};

// The rules of a day of the week applied to one date's periods: kNone, or
// the first fault with its period. A day with every period off is "off".
HolidayError CheckHolidayPeriods(const DaySchedule& periods);

// One line without its comment: "YYYY-MM-DD off" or "YYYY-MM-DD periods".
std::optional<HolidayEntry> ParseHolidayLine(std::string_view text, HolidayError& error);
// A whole file. One bad line refuses all of it, so a typo never makes half
// a list count.
std::optional<Holidays> ParseHolidays(std::string_view text, HolidayError& error);

// "08:00-12:00,13:00-17:30", or "off".
std::string FormatHolidayPeriods(const DaySchedule& periods);
// The file's text: a header comment, then one date a line in date order.
std::string FormatHolidays(const Holidays& holidays);

// Where and why a file is refused: "Holidays.txt, line 3: the periods
// overlap." (Chinese for 2052).
std::string HolidayFileFaultText(const HolidayError& error, uint16_t langId);
// The refusal of a file line ("Holidays.txt, line 3: ..."), or of an entry
// the editor was given ("2026-12-24: ...", the date as the user chose it,
// which need not exist); Chinese for 2052, else English.
RefusalMessage DescribeHolidayFileError(const HolidayError& error, uint16_t langId);
RefusalMessage DescribeHolidayEntryError(const HolidayError& error, const std::string& dateText, uint16_t langId);

// ----------------------------------------------------------------- the file

inline constexpr const char* kHolidaysFileName = "Holidays.txt";
// A longer file is refused whole rather than read in part.
inline constexpr std::size_t kHolidaysFileMaxBytes = 65536;

std::string HolidaysFilePath(OsServices& os);
// Replaces the file atomically, as the timetable is saved.
FileResult WriteHolidaysFile(OsServices& os, const Holidays& holidays);

// How a refresh takes a content that differs from the one in force.
enum class HolidayTake {
  kWhenConfirmed,  // only once the next refresh reads it alike
  kAtOnce,         // the program's own save, known to be whole
};

// The holidays in force, following the file. The first Refresh of a run
// takes what it reads at once; after that a changed content is taken only
// when two refreshes in a row read it alike, so a file caught half-way
// through a copy never counts. Only a missing file means no holidays; a
// file that is there but cannot be read now (another program holds it)
// keeps the holidays in force. A content that is refused is reported once
// (one message box) and then counts as no holidays at all.
class HolidayFile {
 public:
  // True when the holidays in force changed.
  bool Refresh(OsServices& os, uint16_t langId, HolidayTake take = HolidayTake::kWhenConfirmed);
  const Holidays& InForce() const { return inForce_; }
  // The bytes the holidays in force come from; nothing for no file, and
  // before the file could be read for the first time.
  const std::optional<std::vector<uint8_t>>& Content() const { return content_; }
  // Why that content was refused; kNone when it was taken.
  const HolidayError& Refusal() const { return refusal_; }
  // The system's reason when the last Refresh found the file unreadable
  // after it had been readable; empty otherwise, so that each spell is told
  // once.
  const std::string& NewReadFailure() const { return newReadFailure_; }
  // Neither a changed content waiting for the next read to agree nor a file
  // that cannot be read: the next refresh finds what this one found.
  bool Settled() const { return !candidate_ && !unreadable_; }

 private:
  void Take(std::optional<std::vector<uint8_t>> content, uint16_t langId, OsServices& os);

  bool everTried_ = false;
  bool unreadable_ = false;
  std::string newReadFailure_;
  // A changed content seen once, waiting for the next read to agree.
  std::optional<std::optional<std::vector<uint8_t>>> candidate_;
  std::optional<std::vector<uint8_t>> content_;
  HolidayError refusal_;
  Holidays inForce_;
};

}  // namespace vesk
