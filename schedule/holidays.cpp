#include "schedule/holidays.h"

#include "history/history.h"
#include "platform/calendar.h"
#include "schedule/schedule_file.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <vector>

namespace vesk {

namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr uint16_t kLastHour = 23;
constexpr uint16_t kLastMinute = 59;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r";
constexpr char kCommentMark = '#';
constexpr char kPeriodSeparator = ',';
constexpr char kTimeSeparator = '-';
constexpr std::string_view kOffWord = "off";

constexpr const char* kFileHeader =
    "# VESK holidays and one-off days, one date a line:\n"
    "#   YYYY-MM-DD off                      the board stays off all day\n"
    "#   YYYY-MM-DD HH:MM-HH:MM[,...]        up to three periods replace the weekday's\n";

struct FaultTexts {
  const char* english;
  const char* chinese;
};

// Indexed by HolidayFault; "%d" is the period number.
constexpr std::array<FaultTexts, 11> kFaultTexts{{
    {"", ""},
    {"expected \"YYYY-MM-DD off\" or \"YYYY-MM-DD HH:MM-HH:MM\" with up to three periods separated by commas",
     "格式应为\"YYYY-MM-DD off\"或\"YYYY-MM-DD HH:MM-HH:MM\"，最多三个时间段，以逗号分隔"},
    {"there is no such date", "没有这个日期"},
    {"a time must lie between 00:00 and 23:59", "时间必须在00:00到23:59之间"},
    {"a day has at most three periods", "一天最多三个时间段"},
    {"in period %d the shutdown time must be later than the power-on time",
     "第%d段：设置的结束时间不能早于或等于开始时间"},
    {"the periods overlap", "设置的时间段有重叠冲突"},
    {"this date is given on an earlier line too", "该日期在前面的行中已出现"},
    {"the file is longer than 65536 bytes", "文件超过65536字节"},
    {"this date has passed", "该日期已过"},
    {"choose \"off\" or switch on at least one period", "请选择全天关机或至少开启一个时间段"},
}};

constexpr const char* kCaptionEnglish = "Notice";
constexpr const char* kCaptionChinese = "提醒";
constexpr const char* kFileIgnoredEnglish = " The whole file is ignored; the weekly timetable applies.";
constexpr const char* kFileIgnoredChinese = "整个文件已被忽略，按每周时间表运行。";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::optional<unsigned> Digits(std::string_view text, std::size_t minDigits, std::size_t maxDigits) {
  if (text.size() < minDigits || text.size() > maxDigits) return std::nullopt;
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool Fail(HolidayError& error, HolidayFault fault, int period = 0) {
  error.fault = fault;
  error.period = period;
  return false;
}

// "YYYY-MM-DD".
bool ParseDate(std::string_view text, Date& date, HolidayError& error) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return Fail(error, HolidayFault::kBadLine);
  const auto y = Digits(text.substr(0, 4), 4, 4);
  const auto m = Digits(text.substr(5, 2), 2, 2);
  const auto d = Digits(text.substr(8, 2), 2, 2);
  if (!y || !m || !d) return Fail(error, HolidayFault::kBadLine);
  const year_month_day ymd{year{static_cast<int>(*y)}, month{*m}, day{*d}};
  if (!ymd.ok()) return Fail(error, HolidayFault::kNoSuchDate);
  date = Date{ymd};
  return true;
}

// "H:MM" or "HH:MM", 00:00 to 23:59.
bool ParseTime(std::string_view text, uint16_t& minutes, HolidayError& error) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return Fail(error, HolidayFault::kBadLine);
  const auto hour = Digits(text.substr(0, colon), 1, 2);
  const auto minute = Digits(text.substr(colon + 1), 2, 2);
  if (!hour || !minute) return Fail(error, HolidayFault::kBadLine);
  if (*hour > kLastHour || *minute > kLastMinute) return Fail(error, HolidayFault::kTimeOutOfRange);
  minutes = static_cast<uint16_t>(*hour * kMinutesPerHour + *minute);
  return true;
}

bool ParsePeriods(std::string_view text, DaySchedule& periods, HolidayError& error) {
  std::size_t count = 0;
  while (true) {
    const auto comma = text.find(kPeriodSeparator);
    const std::string_view item = Trim(text.substr(0, comma));
    const auto dash = item.find(kTimeSeparator);
    if (dash == std::string_view::npos) return Fail(error, HolidayFault::kBadLine);
    if (count == kPhasesPerDay) return Fail(error, HolidayFault::kTooManyPeriods);
    Phase& phase = periods.Phases[count++];
    phase.Enable = 1;
    if (!ParseTime(Trim(item.substr(0, dash)), phase.Start, error) ||
        !ParseTime(Trim(item.substr(dash + 1)), phase.End, error)) {
      return false;
    }
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

bool IsOffWord(std::string_view text) {
  if (text.size() != kOffWord.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((text[i] | 0x20) != kOffWord[i]) return false;
  }
  return true;
}

std::string WithPeriod(const char* pattern, int period, bool chinese) {
  static constexpr std::array<const char*, kPhasesPerDay> kChineseNumbers = {"一", "二", "三"};
  std::string text = pattern;
  const auto at = text.find("%d");
  if (at == std::string::npos) return text;
  const bool known = period >= 1 && period <= kPhasesPerDay;
  const std::string number = chinese && known ? kChineseNumbers[static_cast<std::size_t>(period - 1)]
                                              : std::to_string(period);
  return text.replace(at, 2, number);
}

std::string FaultText(const HolidayError& error, bool chinese) {
  const FaultTexts& texts = kFaultTexts[static_cast<std::size_t>(error.fault)];
  return WithPeriod(chinese ? texts.chinese : texts.english, error.period, chinese);
}

RefusalMessage Refusal(bool chinese, std::string text) {
  return {chinese ? kCaptionChinese : kCaptionEnglish, std::move(text)};
}

std::string TimeText(uint16_t minutes) {
  char text[8];
  std::snprintf(text, sizeof text, "%02u:%02u", (minutes / kMinutesPerHour) % 100u, minutes % kMinutesPerHour);
  return text;
}

}  // namespace

uint16_t WeekdayOf(Date date) { return static_cast<uint16_t>(std::chrono::weekday{date}.c_encoding()); }

std::string FormatDate(Date date) {
  const year_month_day ymd{date};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()) % 10000,
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return text;
}

const DaySchedule& PeriodsOn(const WeekSchedule& week, const Holidays& holidays, Date date) {
  const auto exception = holidays.find(date);
  if (exception != holidays.end()) return exception->second;
  return week.Days[WeekdayOf(date)];
}

HolidayError CheckHolidayPeriods(const DaySchedule& periods) {
  HolidayError error;
  if (!periods.AnyPhaseOn()) return error;
  // The week's own rules, on a week that has only this day.
  WeekSchedule oneDay;
  oneDay.Days[0] = periods;
  const ScheduleCheck check = CheckSchedule(oneDay);
  switch (check.fault) {
    case ScheduleFault::kPhase1EndNotAfterStart: Fail(error, HolidayFault::kEndNotAfterStart, 1); break;
    case ScheduleFault::kPhase2EndNotAfterStart: Fail(error, HolidayFault::kEndNotAfterStart, 2); break;
    case ScheduleFault::kPhase3EndNotAfterStart: Fail(error, HolidayFault::kEndNotAfterStart, 3); break;
    case ScheduleFault::kPhasesOverlap: Fail(error, HolidayFault::kPeriodsOverlap); break;
    case ScheduleFault::kAllPhasesOff:
    case ScheduleFault::kNone: break;
  }
  return error;
}

std::optional<HolidayEntry> ParseHolidayLine(std::string_view text, HolidayError& error) {
  text = Trim(text);
  const auto blank = text.find_first_of(kBlanks);
  if (blank == std::string_view::npos) {
    Fail(error, HolidayFault::kBadLine);
    return std::nullopt;
  }
  HolidayEntry entry;
  if (!ParseDate(text.substr(0, blank), entry.date, error)) return std::nullopt;
  const std::string_view rest = Trim(text.substr(blank));
  if (IsOffWord(rest)) return entry;
  if (!ParsePeriods(rest, entry.periods, error)) return std::nullopt;
  const HolidayError check = CheckHolidayPeriods(entry.periods);
  if (check.fault != HolidayFault::kNone) {
    Fail(error, check.fault, check.period);
    return std::nullopt;
  }
  return entry;
}

std::optional<Holidays> ParseHolidays(std::string_view text, HolidayError& error) {
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  Holidays holidays;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = Trim(line.substr(0, line.find(kCommentMark)));
    if (line.empty()) continue;
    error.line = lineNumber;
    const auto entry = ParseHolidayLine(line, error);
    if (!entry) return std::nullopt;
    if (!holidays.emplace(entry->date, entry->periods).second) {
      Fail(error, HolidayFault::kDateTwice);
      return std::nullopt;
    }
  }
  error = {};
  return holidays;
}

std::string FormatHolidayPeriods(const DaySchedule& periods) {
  std::string text;
  for (const Phase& phase : periods.Phases) {
    if (!phase.IsOn()) continue;
    if (!text.empty()) text += kPeriodSeparator;
    text += TimeText(phase.Start) + kTimeSeparator + TimeText(phase.End);
  }
  return text.empty() ? std::string(kOffWord) : text;
}

std::string FormatHolidays(const Holidays& holidays) {
  std::string text = kFileHeader;
  for (const auto& [date, periods] : holidays) text += FormatDate(date) + " " + FormatHolidayPeriods(periods) + "\n";
  return text;
}

std::string HolidayFileFaultText(const HolidayError& error, uint16_t langId) {
  const bool chinese = langId == kLangIdChinese;
  const std::string where = error.fault == HolidayFault::kFileTooLong ? std::string(kHolidaysFileName) + ": "
                            : chinese ? std::string(kHolidaysFileName) + " 第" + std::to_string(error.line) + "行："
                                      : std::string(kHolidaysFileName) + ", line " + std::to_string(error.line) + ": ";
  return where + FaultText(error, chinese) + (chinese ? "。" : ".");
}

RefusalMessage DescribeHolidayFileError(const HolidayError& error, uint16_t langId) {
  const bool chinese = langId == kLangIdChinese;
  if (chinese) return Refusal(true, HolidayFileFaultText(error, langId) + "\n" + kFileIgnoredChinese);
  return Refusal(false, HolidayFileFaultText(error, langId) + kFileIgnoredEnglish);
}

RefusalMessage DescribeHolidayEntryError(const HolidayError& error, const std::string& dateText, uint16_t langId) {
  const bool chinese = langId == kLangIdChinese;
  return Refusal(chinese, dateText + (chinese ? "：" : ": ") + FaultText(error, chinese) +
                              (chinese ? "。" : "."));
}

// ----------------------------------------------------------------- the file

std::string HolidaysFilePath(OsServices& os) { return FileBesideProgram(os, kHolidaysFileName); }

FileResult WriteHolidaysFile(OsServices& os, const Holidays& holidays) {
  const std::string path = HolidaysFilePath(os);
  if (path.empty()) return FileResult::Failed({});
  const std::string text = FormatHolidays(holidays);
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  return os.ReplaceFileAtomically(path, bytes);
}

bool HolidayFile::Refresh(OsServices& os, uint16_t langId, HolidayTake take) {
  const bool first = !everTried_;
  everTried_ = true;
  newReadFailure_.clear();
  const std::string path = HolidaysFilePath(os);
  FileContent read = path.empty() ? FileContent{FileResult::Missing(), {}}
                                  : os.ReadFileContent(path, kHolidaysFileMaxBytes + 1);
  if (read.result.status == FileResult::Status::kFailed) {
    if (!unreadable_) newReadFailure_ = read.result.reason.empty() ? "unknown" : read.result.reason;
    unreadable_ = true;
    candidate_.reset();
    return false;
  }
  unreadable_ = false;
  std::optional<std::vector<uint8_t>> content;
  if (read.result) content = std::move(read.bytes);
  if (!first && content == content_) {
    candidate_.reset();
    return false;
  }
  // Spelled out: the optional of an optional would compare "no candidate"
  // equal to "no file".
  const bool agrees = candidate_.has_value() && *candidate_ == content;
  if (!first && take == HolidayTake::kWhenConfirmed && !agrees) {
    candidate_ = std::move(content);
    return false;
  }
  candidate_.reset();
  const Holidays before = inForce_;
  Take(std::move(content), langId, os);
  return inForce_ != before;
}

void HolidayFile::Take(std::optional<std::vector<uint8_t>> content, uint16_t langId, OsServices& os) {
  content_ = std::move(content);
  Holidays next;
  HolidayError error;
  if (content_ && content_->size() > kHolidaysFileMaxBytes) {
    error.fault = HolidayFault::kFileTooLong;
  } else if (content_) {
    const std::string_view text(reinterpret_cast<const char*>(content_->data()), content_->size());
    if (auto parsed = ParseHolidays(text, error)) next = std::move(*parsed);
  }
  inForce_ = std::move(next);
  refusal_ = error;
  // Told only after the state is settled: the box's own message loop runs
  // the timers, which must find this content already seen.
  if (error.fault != HolidayFault::kNone) {
    const RefusalMessage message = DescribeHolidayFileError(error, langId);
    history::Record("holidays-refused", {{"reason", message.text}}, history::EventKind::HolidaysRefused);
    os.ShowMessageBox(message.text, message.caption, kRefusalBoxType);
  }
}

}  // namespace vesk
