#include "sim/plan/calendar_svg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <tuple>

#include "sim/plan/calendar_texts.h"

namespace vesk::plan {
namespace {

using namespace std::chrono;

// Geometry, in pixels at 100%.
constexpr int kMargin = 16;
constexpr int kLabelWidth = 150;
constexpr int kHourWidth = 36;
constexpr int kAxisWidth = 24 * kHourWidth;
constexpr int kAxisX = kMargin + kLabelWidth;
constexpr int kNoteX = kAxisX + kAxisWidth + 12;
constexpr int kNoteWidth = 330;
constexpr int kWidth = kNoteX + kNoteWidth + kMargin;
constexpr int kLegendTop = 64;
constexpr int kLegendRow = 20;
constexpr int kLegendColumns = 6;
constexpr int kLegendColumn = (kWidth - 2 * kMargin) / kLegendColumns;
constexpr int kGridTop = kLegendTop + 3 * kLegendRow + 16;
constexpr int kWeekAxis = 14;  // the hour numbers above each week
constexpr int kRow = 20;
constexpr int kWeekGap = 8;
constexpr int kWeekHeight = kWeekAxis + 7 * kRow + kWeekGap;
constexpr int kBarTop = 5;     // within the row
constexpr int kBarHeight = 10;
constexpr double kMinBarWidth = 3;
constexpr int kFootLine = 16;
constexpr std::size_t kNamedUnreadable = 12;  // the footnote names this many
constexpr auto kShortStart = minutes{5};

constexpr const char* kFont = "DejaVu Sans, Noto Sans CJK SC, WenQuanYi Micro Hei, sans-serif";

// Colours. The three start causes differ in lightness as well as in hue, and
// every cause has its own shape, so the picture reads in grey too.
constexpr const char* kAlarm = "#4f8fd6";
constexpr const char* kPower = "#8ccf7e";
constexpr const char* kWatchdog = "#b03a2e";
constexpr const char* kInk = "#222222";
constexpr const char* kPlanned = "#dfe8f2";
constexpr const char* kPlannedEdge = "#8ea9c6";
constexpr const char* kDayOff = "#ececec";
constexpr const char* kHolidayOff = "#f8dfb0";
constexpr const char* kHoliday = "#fdf3dc";
constexpr const char* kHatch = "url(#holiday-hatch)";
constexpr const char* kPostponed = "#7b3fa0";
constexpr const char* kCut = "#d97706";
constexpr const char* kWarning = "#f2c200";
constexpr const char* kGrid = "#dddddd";
constexpr const char* kGridStrong = "#b8b8b8";

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Num(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string s = text;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  return s;
}

std::string Clock(Stamp at) { return FormatStamp(at).substr(11, 5); }

const char* StartName(StartCause cause) {
  constexpr const char* names[] = {"alarm", "power", "watchdog", "unknown"};
  return names[static_cast<int>(cause)];
}
const char* EndName(EndCause cause) {
  constexpr const char* names[] = {"shutdown", "postponed", "reset", "cut", "open"};
  return names[static_cast<int>(cause)];
}
const char* KindName(DayKind kind) {
  constexpr const char* names[] = {"working", "day-off", "holiday", "holiday-off"};
  return names[static_cast<int>(kind)];
}
const char* MarkName(MarkKind kind) {
  constexpr const char* names[] = {"warning", "postpone", "clock"};
  return names[static_cast<int>(kind)];
}

class Picture {
 public:
  Picture(const Timeline& timeline, const CalendarOptions& options)
      : timeline_(timeline), options_(options), texts_(TextsFor(options.chinese)) {}

  std::string Draw() {
    const int weeks = (options_.days + 6) / 7;
    const int footTop = kGridTop + weeks * kWeekHeight + 8;
    const std::vector<std::string> foot = Footnote();
    const int height = footTop + static_cast<int>(foot.size()) * kFootLine + kMargin;
    Prologue(height);
    Header();
    Legend();
    for (int week = 0; week < weeks; ++week) WeekAxis(week);
    out_ += "<g class=\"days\">\n";
    for (int i = 0; i < options_.days; ++i) DayRow(i);
    out_ += "</g>\n<g class=\"planned\">\n";
    for (const PlannedDay& day : timeline_.planned) Planned(day);
    out_ += "</g>\n<g class=\"on\">\n";
    for (const OnPeriod& period : timeline_.periods) Bar(period);
    // The causes above every bar: a reset's cross must show over the bar the
    // watchdog starts at the same moment.
    for (const auto& [cause, x, cy] : starts_) StartMark(cause, x, cy);
    for (const auto& [cause, x, cy] : ends_) EndMark(cause, x, cy);
    out_ += "</g>\n<g class=\"marks\">\n";
    for (const Mark& mark : timeline_.marks) DrawMark(mark);
    out_ += "</g>\n<g class=\"notes\" font-size=\"11\" fill=\"" + std::string(kInk) + "\">\n";
    for (const auto& [index, notes] : notes_) Notes(index, notes);
    out_ += "</g>\n";
    for (std::size_t i = 0; i < foot.size(); ++i) {
      Text(kMargin + (i == 0 ? 0 : 14), footTop + static_cast<int>(i) * kFootLine + 11, 11, foot[i], "footnote");
    }
    out_ += "</svg>\n";
    return std::move(out_);
  }

 private:
  // The row of a day, or nothing outside the picture.
  std::optional<int> RowOf(Days day) const {
    const auto index = (day - options_.first).count();
    if (index < 0 || index >= options_.days) return std::nullopt;
    return static_cast<int>(index);
  }
  static int RowTop(int index) { return kGridTop + (index / 7) * kWeekHeight + kWeekAxis + (index % 7) * kRow; }
  static double XOf(seconds sinceMidnight) {
    return kAxisX + static_cast<double>(sinceMidnight.count()) * kAxisWidth / 86400.0;
  }
  static double XOf(Stamp at) { return XOf(at - Stamp{DayOf(at)}); }

  void Prologue(int height) {
    out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(kWidth) + "\" height=\"" + Num(height) +
            "\" viewBox=\"0 0 " + Num(kWidth) + " " + Num(height) + "\" font-family=\"" + kFont + "\" data-first=\"" +
            FormatDay(options_.first) + "\" data-days=\"" + std::to_string(options_.days) + "\">\n";
    out_ += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    // Days off all day are hatched as well as tinted, to tell them from
    // ordinary days off in grey too.
    out_ += "<defs><pattern id=\"holiday-hatch\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
            "patternTransform=\"rotate(45)\"><path d=\"M0 0v6\" stroke=\"#d39a3a\" stroke-width=\"1.4\"/></pattern>"
            "</defs>\n";
  }

  void Text(double x, double y, int size, const std::string& text, const std::string& cls,
            const char* anchor = nullptr) {
    out_ += "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" + std::to_string(size) + "\"";
    if (!cls.empty()) out_ += " class=\"" + cls + "\"";
    if (anchor) out_ += " text-anchor=\"" + std::string(anchor) + "\"";
    out_ += ">" + Escaped(text) + "</text>\n";
  }

  void Header() {
    Text(kMargin, 28, 17, texts_.title, "title");
    const Days last = options_.first + days{options_.days - 1};
    Text(kMargin, 48, 12,
         FormatDay(options_.first) + texts_.to + FormatDay(last) + " \xC2\xB7 " +
             (options_.simulated ? texts_.simulated : texts_.history) + options_.source,
         "source");
  }

  // ----------------------------------------------------------- the shapes
  void BarShape(double x, double top, double width, StartCause cause, const std::string& attributes,
                const std::string& child = {}) {
    const char* fill = cause == StartCause::Alarm ? kAlarm
                       : cause == StartCause::Power ? kPower
                       : cause == StartCause::Watchdog ? kWatchdog
                                                       : "#ffffff";
    out_ += "<rect x=\"" + Num(x) + "\" y=\"" + Num(top) + "\" width=\"" + Num(width) + "\" height=\"" +
            Num(kBarHeight) + "\" fill=\"" + fill + "\" stroke=\"" + kInk + "\" stroke-width=\"0.6\"" + attributes +
            (child.empty() ? "/>\n" : ">" + child + "</rect>\n");
  }

  void StartMark(StartCause cause, double x, double cy) {
    const std::string common = " fill=\"" + std::string(kInk) + "\" stroke=\"#ffffff\" stroke-width=\"0.8\"/>\n";
    switch (cause) {
      case StartCause::Alarm:
        out_ += "<circle cx=\"" + Num(x) + "\" cy=\"" + Num(cy) + "\" r=\"3.2\"" + common;
        break;
      case StartCause::Power:
        out_ += "<rect x=\"" + Num(x - 3) + "\" y=\"" + Num(cy - 3) + "\" width=\"6\" height=\"6\"" + common;
        break;
      case StartCause::Watchdog:
        out_ += "<path d=\"M" + Num(x - 3.5) + " " + Num(cy + 3) + "h7l-3.5 -6.5z\"" + common;
        break;
      case StartCause::Unknown:
        break;
    }
  }

  void EndMark(EndCause cause, double x, double cy) {
    const auto stroke = [&](const char* colour, const std::string& path, double width) {
      out_ += "<path d=\"" + path + "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + Num(width) +
              "\"/>\n";
    };
    const std::string at = "M" + Num(x) + " " + Num(cy - 7);
    switch (cause) {
      case EndCause::Shutdown:
        stroke(kInk, at + "v14", 2);
        break;
      case EndCause::Postponed:
        stroke(kPostponed, at + "v14", 2);
        out_ += "<path d=\"M" + Num(x) + " " + Num(cy - 4) + "l3 4l-3 4l-3 -4z\" fill=\"" + kPostponed + "\"/>\n";
        break;
      case EndCause::Reset: {
        // Left of the moment, on the bar it ends: the watchdog's start mark
        // sits at the same moment.
        const std::string cross = "M" + Num(x - 9) + " " + Num(cy - 3.5) + "l7 7m0 -7l-7 7";
        stroke("#ffffff", cross, 4);
        stroke(kWatchdog, cross, 2);
        break;
      }
      case EndCause::Cut:
        stroke(kCut, at + "l3 3.5l-6 3.5l6 3.5l-3 3.5", 1.8);
        break;
      case EndCause::Open:
        stroke(kInk, "M" + Num(x - 4) + " " + Num(cy - 4) + "l4 4l-4 4", 1.6);
        break;
    }
  }

  void WarningShape(double x, double top, const std::string& attributes) {
    out_ += "<path d=\"M" + Num(x - 3.5) + " " + Num(top + 0.5) + "h7l-3.5 5z\" fill=\"" + kWarning +
            "\" stroke=\"" + kInk + "\" stroke-width=\"0.6\"" + attributes + "/>\n";
  }
  void PostponeShape(double x, double top, const std::string& attributes) {
    out_ += "<path d=\"M" + Num(x - 3.5) + " " + Num(top + kRow - 0.5) + "h7l-3.5 -5z\" fill=\"" + kPostponed +
            "\"" + attributes + "/>\n";
  }
  void ClockShape(double x, double top, const std::string& attributes) {
    out_ += "<path d=\"M" + Num(x) + " " + Num(top) + "v" + Num(kRow) +
            "\" stroke=\"#000000\" stroke-width=\"1.2\" stroke-dasharray=\"2 2\"" + attributes + "/>\n";
  }
  void ShortRing(double x, double cy) {
    out_ += "<circle cx=\"" + Num(x) + "\" cy=\"" + Num(cy) + "\" r=\"8\" fill=\"none\" stroke=\"" + kCut +
            "\" stroke-width=\"1.5\"/>\n";
  }
  void Shade(double x, double y, double width, double height, const char* fill) {
    out_ += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(width) + "\" height=\"" + Num(height) +
            "\" fill=\"" + fill + "\"/>\n";
  }
  void PlannedShape(double x, double y, double width, double height, const std::string& attributes) {
    out_ += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(width) + "\" height=\"" +
            Num(height) + "\" fill=\"" + kPlanned + "\" stroke=\"" + kPlannedEdge +
            "\" stroke-width=\"0.8\" stroke-dasharray=\"3 2\"" + attributes + "/>\n";
  }

  // ----------------------------------------------------------- the legend
  void Legend() {
    out_ += "<g class=\"legend\">\n";
    for (std::size_t item = 0; item < texts_.legend.size(); ++item) {
      const double x = kMargin + static_cast<double>(item % kLegendColumns) * kLegendColumn;
      const double top = kLegendTop + static_cast<double>(item / kLegendColumns) * kLegendRow;
      LegendSwatch(static_cast<int>(item), x, top);
      Text(x + 34, top + 13, 11, texts_.legend[item], "");
    }
    out_ += "</g>\n";
  }

  void LegendSwatch(int item, double x, double top) {
    const double cy = top + 9;
    const double bar = cy - kBarHeight / 2.0;
    if (item < 4) {
      const auto cause = static_cast<StartCause>(item);
      BarShape(x + 4, bar, 24, cause, "");
      StartMark(cause, x + 4, cy);
    } else if (item == 4) {
      PlannedShape(x, top + 1, 28, 16, "");
    } else if (item == 5 || item == 6 || item == 12) {
      Shade(x, top + 1, 28, 16, item == 5 ? kDayOff : item == 6 ? kHolidayOff : kHoliday);
      if (item == 6) Shade(x, top + 1, 28, 16, kHatch);
    } else if (item < 12) {
      const auto cause = static_cast<EndCause>(item - 7);
      BarShape(x, bar, 22, StartCause::Unknown, "");
      EndMark(cause, x + 22, cy);
    } else if (item == 13) {
      WarningShape(x + 14, top - 1, "");
    } else if (item == 14) {
      PostponeShape(x + 14, top - 1, "");
    } else if (item == 15) {
      ClockShape(x + 14, top - 1, "");
    } else {
      BarShape(x + 13, bar, kMinBarWidth, StartCause::Alarm, "");
      ShortRing(x + 14, cy);
    }
  }

  // ------------------------------------------------------------- the grid
  void WeekAxis(int week) {
    const int top = kGridTop + week * kWeekHeight;
    const int rows = std::min(7, options_.days - week * 7);
    std::string light, strong;
    for (int hour = 0; hour <= 24; ++hour) {
      const double x = kAxisX + hour * kHourWidth;
      Text(x, top + kWeekAxis - 4, 9, std::to_string(hour), "hour", "middle");
      (hour % 6 == 0 ? strong : light) += "M" + Num(x) + " " + Num(top + kWeekAxis) + "v" + Num(rows * kRow);
    }
    out_ += "<path d=\"" + light + "\" stroke=\"" + kGrid + "\" stroke-width=\"1\"/>\n";
    out_ += "<path d=\"" + strong + "\" stroke=\"" + kGridStrong + "\" stroke-width=\"1\"/>\n";
  }

  void DayRow(int index) {
    const Days day = options_.first + days{index};
    const int top = RowTop(index);
    const auto planned = std::find_if(timeline_.planned.begin(), timeline_.planned.end(),
                                      [&](const PlannedDay& p) { return p.day == day; });
    const DayKind kind = planned == timeline_.planned.end() ? DayKind::Working : planned->kind;
    out_ += "<g class=\"day\" data-date=\"" + FormatDay(day) + "\" data-kind=\"" + KindName(kind) + "\">\n";
    const char* shade = kind == DayKind::DayOff       ? kDayOff
                        : kind == DayKind::HolidayOff ? kHolidayOff
                        : kind == DayKind::Holiday    ? kHoliday
                                                      : nullptr;
    if (shade) Shade(kAxisX, top, kAxisWidth, kRow, shade);
    if (kind == DayKind::HolidayOff) Shade(kAxisX, top, kAxisWidth, kRow, kHatch);
    out_ += "<path d=\"M" + Num(kMargin) + " " + Num(top + kRow) + "h" + Num(kNoteX + kNoteWidth - kMargin) +
            "\" stroke=\"" + kGrid + "\" stroke-width=\"0.6\"/>\n";
    const bool weekend = WeekdayOf(day) == 0 || WeekdayOf(day) == 6;
    Text(kMargin, top + 14, 12, FormatDay(day) + "  " + texts_.weekdays[static_cast<std::size_t>(WeekdayOf(day))],
         weekend ? "date weekend" : "date");
    out_ += "</g>\n";
    if (kind == DayKind::DayOff) notes_[index].push_back(texts_.dayOff);
    if (kind == DayKind::HolidayOff) notes_[index].push_back(texts_.holidayOff);
    if (kind == DayKind::Holiday) {
      std::string periods;
      for (const auto& [from, to] : planned->periods) {
        periods += (periods.empty() ? "" : ",") + HourMinute(from) + "-" + HourMinute(to);
      }
      notes_[index].push_back(texts_.holiday + periods);
    }
  }

  static std::string HourMinute(int minutesAfterMidnight) {
    char text[24];
    std::snprintf(text, sizeof text, "%02d:%02d", minutesAfterMidnight / 60, minutesAfterMidnight % 60);
    return text;
  }

  void Planned(const PlannedDay& day) {
    const auto index = RowOf(day.day);
    if (!index) return;
    for (const auto& [from, to] : day.periods) {
      const double x = XOf(minutes{from}), right = XOf(minutes{to});
      PlannedShape(x, RowTop(*index) + 2, right - x, kRow - 4,
                   " data-date=\"" + FormatDay(day.day) + "\" data-from=\"" + HourMinute(from) + "\" data-to=\"" +
                       HourMinute(to) + "\"");
    }
  }

  // A period on the board is drawn on every day it touches.
  void Bar(const OnPeriod& period) {
    const Stamp from = std::min(period.on, period.off), to = std::max(period.on, period.off);
    const bool isShort = period.end != EndCause::Open && to - from < kShortStart;
    const std::string attributes = " class=\"bar\" data-on=\"" + FormatStamp(period.on) + "\" data-off=\"" +
                                   FormatStamp(period.off) + "\" data-start=\"" + StartName(period.start) +
                                   "\" data-end=\"" + EndName(period.end) + "\"" +
                                   (isShort ? " data-short=\"yes\"" : "");
    const Days lastDay = to > from ? DayOf(to - seconds{1}) : DayOf(from);
    for (Days day = DayOf(from); day <= lastDay; day += days{1}) {
      const auto index = RowOf(day);
      if (!index) continue;
      const Stamp dayStart{day};
      const double x = XOf(std::max(from, dayStart) - dayStart);
      const double right = XOf(std::min(to, Stamp{day + days{1}}) - dayStart);
      const double top = RowTop(*index);
      const std::string title = "<title>" + FormatStamp(period.on) + " - " + FormatStamp(period.off) + "</title>";
      BarShape(x, top + kBarTop, std::max(kMinBarWidth, right - x), period.start,
               attributes + " data-date=\"" + FormatDay(day) + "\"", title);
      const double cy = top + kBarTop + kBarHeight / 2.0;
      if (day == DayOf(from)) starts_.push_back({period.start, x, cy});
      if (day == lastDay) ends_.push_back({period.end, std::max(right, x + kMinBarWidth), cy});
      if (isShort && day == DayOf(from)) {
        ShortRing(x + 1, cy);
        notes_[*index].push_back(texts_.shortStart + Clock(period.on));
      }
    }
  }

  void DrawMark(const Mark& mark) {
    const auto index = RowOf(DayOf(mark.at));
    if (!index) return;
    const double x = XOf(mark.at), top = RowTop(*index);
    const std::string attributes = " class=\"mark " + std::string(MarkName(mark.kind)) + "\" data-at=\"" +
                                   FormatStamp(mark.at) + "\" data-detail=\"" + Escaped(mark.detail) + "\"";
    switch (mark.kind) {
      case MarkKind::Warning: WarningShape(x, top, attributes); break;
      case MarkKind::Postpone: PostponeShape(x, top, attributes); break;
      case MarkKind::ClockChange:
        ClockShape(x, top, attributes);
        notes_[*index].push_back(ClockNote(mark.detail) + " " + Clock(mark.at));
        break;
    }
  }

  std::string ClockNote(const std::string& detail) const {
    long long secondsMoved = 0;
    if (std::sscanf(detail.c_str(), "%lld", &secondsMoved) != 1) return texts_.clockSet;
    if (secondsMoved % 3600 != 0) return texts_.clock + detail;
    return texts_.clock + std::string(secondsMoved < 0 ? "-" : "+") + std::to_string(std::llabs(secondsMoved) / 3600) +
           texts_.hours;
  }

  void Notes(int index, const std::vector<std::string>& notes) {
    std::string text;
    for (const std::string& note : notes) text += (text.empty() ? "" : " \xC2\xB7 ") + note;
    out_ += "<text x=\"" + Num(kNoteX) + "\" y=\"" + Num(RowTop(index) + 14) + "\">" + Escaped(text) + "</text>\n";
  }

  std::vector<std::string> Footnote() const {
    const auto& lines = timeline_.unreadable;
    if (lines.empty()) return {};
    std::vector<std::string> foot{std::to_string(lines.size()) + texts_.unreadable};
    for (std::size_t i = 0; i < lines.size() && i < kNamedUnreadable; ++i) {
      const Unreadable& u = lines[i];
      std::string reason = texts_.reasons[static_cast<std::size_t>(u.reason)];
      if (!u.word.empty()) reason += " '" + u.word + "'";
      foot.push_back(u.file + texts_.line + std::to_string(u.line) + texts_.lineAfter + ": " + reason);
    }
    if (lines.size() > kNamedUnreadable) foot.push_back(std::to_string(lines.size() - kNamedUnreadable) + texts_.more);
    return foot;
  }

  const Timeline& timeline_;
  const CalendarOptions& options_;
  const CalendarTexts& texts_;
  std::map<int, std::vector<std::string>> notes_;
  std::vector<std::tuple<StartCause, double, double>> starts_;  // cause, x, centre y
  std::vector<std::tuple<EndCause, double, double>> ends_;
  std::string out_;
};

}  // namespace

std::string DrawCalendar(const Timeline& timeline, const CalendarOptions& options) {
  return Picture{timeline, options}.Draw();
}

}  // namespace vesk::plan
