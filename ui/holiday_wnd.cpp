#include "ui/holiday_wnd.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/calendar.h"
#include "ui/main_skin.h"

namespace vesk::ui {
namespace {

constexpr const char* kSkinFileChinese = "HolidayWnd.xml";
constexpr const char* kSkinFileEnglish = "HolidayWndE.xml";

constexpr const char* kList = "HolidayList";
constexpr const char* kYearList = "Year";
constexpr const char* kMonthList = "Month";  // items 1..12, index = month - 1
constexpr const char* kDayList = "Day";      // items 1..31, index = day - 1
constexpr const char* kDayOffBox = "DayOff";
constexpr const char* kAddButton = "btnAdd";
constexpr const char* kRemoveButton = "btnRemove";
constexpr const char* kSaveButton = "btnSave";
constexpr const char* kCloseButton = "closebtn";
constexpr const char* kFileState = "FileState";

// The year list runs from this year on, and further when a coming date
// lies beyond.
constexpr int kYearsOffered = 5;

struct Texts {
  const char* caption;
  const char* off;
  const char* chooseFromList;
  const char* saveFailed;
  const char* notSavedOver;   // after the refusal of the file
  const char* refusedState;   // in the window, in red
  const char* changedBehind;
};
constexpr Texts kChinese{
    "提醒", "全天关机", "请先在列表中选择一个日期。", "无法保存Holidays.txt，现行的节假日保持不变。",
    "本窗口不会覆盖该文件；请手工修改或删除该文件后重新打开本窗口。",
    "{c #B23B2E}Holidays.txt有被拒绝的内容（见提示），本窗口不会覆盖该文件。{/c}",
    "此窗口打开期间Holidays.txt已被他人修改，因此未覆盖该文件。您的修改仍保留在本窗口中；"
    "关闭并重新打开本窗口即可从文件的当前内容开始。"};
constexpr Texts kEnglish{
    "Notice", "off", "Choose a date in the list first.",
    "Holidays.txt could not be saved; the holidays in force stay as they were.",
    "This window does not save over the file; mend it by hand or remove it, then open the window again.",
    "{c #B23B2E}Holidays.txt has a refused line (see the message); this window does not save over it.{/c}",
    "Holidays.txt was changed by someone else while this window was open, so it is not saved over. Your changes "
    "stay in this window; close it and open it again to start from the file as it is now."};
const Texts& TextsFor(uint16_t langId) { return IsChinese(langId) ? kChinese : kEnglish; }

int YearOf(Date date) { return static_cast<int>(std::chrono::year_month_day{date}.year()); }

// "2026-12-24  Thur  08:00-12:00".
std::string ListText(Date date, const DaySchedule& periods) {
  std::string day;
  GetDayText(day, DayTextKind::kShortName, WeekdayOf(date), LangID);
  const std::string what = periods.AnyPhaseOn() ? FormatHolidayPeriods(periods) : TextsFor(LangID).off;
  return FormatDate(date) + "  " + day + "  " + what;
}

}  // namespace

CHolidayWnd::CHolidayWnd(OsServices& os, const HolidayFile& file)
    : os_(os), edited_(file.InForce()), loaded_(file.Content()), refusal_(file.Refusal()) {}

CHolidayWnd::~CHolidayWnd() { DetachFromSystem(); }

CDuiString CHolidayWnd::GetSkinFile() {
  return IsChinese(os_.GetSystemDefaultLangID()) ? kSkinFileChinese : kSkinFileEnglish;
}

std::vector<RequiredControl> CHolidayWnd::GetRequiredControls() const {
  std::vector<RequiredControl> required{
      {kList, ControlKind::Combo},          {kYearList, ControlKind::Combo},     {kMonthList, ControlKind::Combo},
      {kDayList, ControlKind::Combo},       {kDayOffBox, ControlKind::CheckBox}, {kAddButton, ControlKind::Button},
      {kRemoveButton, ControlKind::Button}, {kSaveButton, ControlKind::Button},  {kCloseButton, ControlKind::Button},
  };
  for (const auto& phase : main_skin::kPhases) {
    required.push_back({phase.enable, ControlKind::CheckBox});
    for (const char* list : {phase.startHour, phase.startMinute, phase.endHour, phase.endMinute}) {
      required.push_back({list, ControlKind::Combo});
    }
  }
  return required;
}

Date CHolidayWnd::Today() {
  // The clock always makes a date; the fallback only keeps the type whole.
  return DateOf(os_.GetLocalTime()).value_or(Date{});
}

void CHolidayWnd::InitWindow() {
  LangID = os_.GetSystemDefaultLangID();
  const Date today = Today();
  firstYear_ = YearOf(today);
  int lastYear = firstYear_ + kYearsOffered - 1;
  if (!edited_.empty()) lastYear = std::max(lastYear, YearOf(edited_.rbegin()->first));
  if (auto* years = m_PaintManager.FindControl<CComboUI>(kYearList)) {
    years->RemoveAll();
    for (int year = firstYear_; year <= lastYear; ++year) years->AddItem(std::to_string(year).c_str());
  }
  ShowEntry(today, DaySchedule{});
  ShowList(std::nullopt);
  if (refusal_.fault == HolidayFault::kNone) return;
  if (auto* state = m_PaintManager.FindControl(kFileState)) state->SetText(TextsFor(LangID).refusedState);
  if (auto* save = m_PaintManager.FindControl(kSaveButton)) save->SetEnabled(false);
}

void CHolidayWnd::TellRefusal() {
  if (refusal_.fault == HolidayFault::kNone) return;
  const char* const separator = IsChinese(LangID) ? "\n" : " ";
  Tell({TextsFor(LangID).caption, HolidayFileFaultText(refusal_, LangID) + separator + TextsFor(LangID).notSavedOver});
}

void CHolidayWnd::Notify(TNotifyUI& msg) {
  const std::string sender = msg.pSender ? msg.pSender->GetName().str() : std::string{};
  if (msg.sType == DUI_MSGTYPE_CLICK) {
    if (sender == kAddButton) {
      AddDate();
    } else if (sender == kRemoveButton) {
      RemoveDate();
    } else if (sender == kSaveButton) {
      SaveHolidays();
    }
  } else if (msg.sType == DUI_MSGTYPE_ITEMSELECT && sender == kList && !loading_) {
    // A date chosen in the list is shown below, ready to change or remove.
    const auto index = static_cast<std::size_t>(msg.wParam);
    if (index < listed_.size()) ShowEntry(listed_[index], edited_[listed_[index]]);
  }
  WindowImplBase::Notify(msg);
}

// The coming dates, from today on; the past ones stay in the file unseen.
void CHolidayWnd::ShowList(std::optional<Date> select) {
  auto* list = m_PaintManager.FindControl<CComboUI>(kList);
  if (!list) return;
  loading_ = true;
  list->RemoveAll();
  listed_.clear();
  int selected = -1;
  for (auto entry = edited_.lower_bound(Today()); entry != edited_.end(); ++entry) {
    if (select == entry->first) selected = static_cast<int>(listed_.size());
    listed_.push_back(entry->first);
    list->AddItem(ListText(entry->first, entry->second).c_str());
  }
  list->SelectItem(selected);
  loading_ = false;
}

void CHolidayWnd::ShowEntry(Date date, const DaySchedule& periods) {
  const std::chrono::year_month_day ymd{date};
  const auto select = [this](const char* name, int index) {
    if (auto* list = m_PaintManager.FindControl<CComboUI>(name)) list->SelectItem(index);
  };
  select(kYearList, YearOf(date) - firstYear_);
  select(kMonthList, static_cast<int>(static_cast<unsigned>(ymd.month())) - 1);
  select(kDayList, static_cast<int>(static_cast<unsigned>(ymd.day())) - 1);
  if (auto* off = m_PaintManager.FindControl<CCheckBoxUI>(kDayOffBox)) off->SetCheck(!periods.AnyPhaseOn());
  for (std::size_t n = 0; n < main_skin::kPhases.size(); ++n) {
    const auto& names = main_skin::kPhases[n];
    const Phase& phase = periods.Phases[n];
    if (auto* box = m_PaintManager.FindControl<CCheckBoxUI>(names.enable)) box->SetCheck(phase.IsOn());
    if (!phase.IsOn()) continue;
    select(names.startHour, phase.Start / kMinutesPerHour);
    select(names.startMinute, phase.Start % kMinutesPerHour);
    select(names.endHour, phase.End / kMinutesPerHour);
    select(names.endMinute, phase.End % kMinutesPerHour);
  }
}

std::optional<Date> CHolidayWnd::ChosenDate(std::string& text) {
  const auto index = [this](const char* name) {
    const auto* list = m_PaintManager.FindControl<CComboUI>(name);
    return list ? list->GetCurSel() : -1;
  };
  const int yearIndex = index(kYearList);
  const int monthIndex = index(kMonthList);
  const int dayIndex = index(kDayList);
  char chosen[32];
  std::snprintf(chosen, sizeof chosen, "%04d-%02d-%02d", firstYear_ + std::max(yearIndex, 0), monthIndex + 1,
                dayIndex + 1);
  text = chosen;
  if (yearIndex < 0 || monthIndex < 0 || dayIndex < 0) return std::nullopt;
  const std::chrono::year_month_day ymd{std::chrono::year{firstYear_ + yearIndex},
                                        std::chrono::month{static_cast<unsigned>(monthIndex + 1)},
                                        std::chrono::day{static_cast<unsigned>(dayIndex + 1)}};
  if (!ymd.ok()) return std::nullopt;
  return Date{ymd};
}

DaySchedule CHolidayWnd::ChosenPeriods() {
  DaySchedule periods;
  const auto* off = m_PaintManager.FindControl<CCheckBoxUI>(kDayOffBox);
  if (off && off->GetCheck()) return periods;
  const auto value = [this](const char* name) {
    const auto* list = m_PaintManager.FindControl<CComboUI>(name);
    return list && list->GetCurSel() > 0 ? static_cast<uint16_t>(list->GetCurSel()) : uint16_t{0};
  };
  for (std::size_t n = 0; n < main_skin::kPhases.size(); ++n) {
    const auto& names = main_skin::kPhases[n];
    const auto* box = m_PaintManager.FindControl<CCheckBoxUI>(names.enable);
    Phase& phase = periods.Phases[n];
    phase.Enable = box && box->GetCheck() ? 1 : 0;
    phase.Start = static_cast<uint16_t>(value(names.startHour) * kMinutesPerHour + value(names.startMinute));
    phase.End = static_cast<uint16_t>(value(names.endHour) * kMinutesPerHour + value(names.endMinute));
  }
  return periods;
}

void CHolidayWnd::Tell(const RefusalMessage& message) {
  os_.ShowMessageBox(message.text, message.caption, kRefusalBoxType);
}

// A date that is listed already gets the new periods.
void CHolidayWnd::AddDate() {
  std::string dateText;
  const auto date = ChosenDate(dateText);
  const Date today = Today();
  HolidayError error;
  if (!date) {
    error.fault = HolidayFault::kNoSuchDate;
  } else if (*date < today) {
    error.fault = HolidayFault::kDatePassed;
  }
  const DaySchedule periods = ChosenPeriods();
  if (error.fault == HolidayFault::kNone) {
    const auto* off = m_PaintManager.FindControl<CCheckBoxUI>(kDayOffBox);
    const bool dayOff = off && off->GetCheck();
    error = dayOff || periods.AnyPhaseOn() ? CheckHolidayPeriods(periods) : HolidayError{HolidayFault::kNothingChosen};
  }
  if (error.fault != HolidayFault::kNone) {
    Tell(DescribeHolidayEntryError(error, dateText, LangID));
    return;
  }
  edited_[*date] = periods;
  ShowList(*date);
}

void CHolidayWnd::RemoveDate() {
  const auto* list = m_PaintManager.FindControl<CComboUI>(kList);
  const int index = list ? list->GetCurSel() : -1;
  if (index < 0 || static_cast<std::size_t>(index) >= listed_.size()) {
    const Texts& texts = TextsFor(LangID);
    Tell({texts.caption, texts.chooseFromList});
    return;
  }
  edited_.erase(listed_[static_cast<std::size_t>(index)]);
  ShowList(std::nullopt);
}

// The file is read again just before it is replaced: whatever changed it
// meanwhile (a hand edit, a fleet tool's copy) is kept, and so are the edits
// in this window.
bool CHolidayWnd::FileUnchanged() {
  const Texts& texts = TextsFor(LangID);
  const std::string path = HolidaysFilePath(os_);
  FileContent now = path.empty() ? FileContent{FileResult::Failed({}), {}}
                                 : os_.ReadFileContent(path, kHolidaysFileMaxBytes + 1);
  if (now.result.status == FileResult::Status::kFailed) {
    const std::string reason = now.result.reason.empty() ? std::string{} : " " + now.result.reason;
    Tell({texts.caption, texts.saveFailed + reason});
    return false;
  }
  std::optional<std::vector<uint8_t>> onDisk;
  if (now.result) onDisk = std::move(now.bytes);
  if (onDisk == loaded_) return true;
  Tell({texts.caption, texts.changedBehind});
  return false;
}

void CHolidayWnd::SaveHolidays() {
  // The button is off then; this keeps a file that was refused whole.
  if (refusal_.fault != HolidayFault::kNone) {
    TellRefusal();
    return;
  }
  if (!FileUnchanged()) return;
  if (const FileResult written = WriteHolidaysFile(os_, edited_); !written) {
    const Texts& texts = TextsFor(LangID);
    const std::string reason = written.reason.empty() ? std::string{} : " " + written.reason;
    Tell({texts.caption, texts.saveFailed + reason});
    return;
  }
  const std::string text = FormatHolidays(edited_);
  loaded_.emplace(text.begin(), text.end());
  if (const HWND main = GetShell().FindWindow(kMainWindowClass, nullptr)) {
    GetShell().SendMessage(main, WM_HOLIDAYSCHANGED, 0, 0);
  }
}

}  // namespace vesk::ui
