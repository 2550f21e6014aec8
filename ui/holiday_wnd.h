#pragma once
// The holidays editor, opened from the main window's "Holidays" button: it
// lists the coming exceptions, takes a date (year, month and day lists) with
// "off" or up to three periods, removes one, and saves them all to
// "Holidays.txt". Refused input gets its reason in a message box. After a
// save it tells the main window, which reads the file again and brings the
// next events and the wake-up up to date.
//
// It never destroys a file: over a file that was refused it says why and
// does not save, and a file changed by someone else while it was open is
// not saved over either.
#include <optional>
#include <string>
#include <vector>

#include "platform/os_services.h"
#include "schedule/holidays.h"
#include "ui/framework/window.h"
#include "ui/ui_globals.h"

namespace vesk::ui {

class CHolidayWnd : public WindowImplBase {
 public:
  // Starts from the exceptions in force; the past ones are not listed but
  // are saved again as they were.
  CHolidayWnd(OsServices& os, const HolidayFile& file);
  ~CHolidayWnd() override;

  const char* GetWindowClassName() const override { return kHolidayWindowClass; }
  void InitWindow() override;
  CDuiString GetSkinFolder() override { return kSkinFolder; }
  CDuiString GetSkinFile() override;
  std::vector<RequiredControl> GetRequiredControls() const override;
  void Notify(TNotifyUI& msg) override;

  // The buttons.
  void AddDate();
  void RemoveDate();
  void SaveHolidays();
  // Over a refused file: the message with its line and reason, once the
  // window is shown.
  void TellRefusal();

  const Holidays& EditedHolidays() const { return edited_; }

 private:
  Date Today();
  void ShowList(std::optional<Date> select);
  void ShowEntry(Date date, const DaySchedule& periods);
  // The date of the three lists, nothing when they make none (30 February);
  // `text` gets it as chosen, "YYYY-MM-DD".
  std::optional<Date> ChosenDate(std::string& text);
  DaySchedule ChosenPeriods();
  void Tell(const RefusalMessage& message);
  // Whether the file is still what the window started from; tells the user
  // when it is not.
  bool FileUnchanged();

  OsServices& os_;
  Holidays edited_;
  std::optional<std::vector<uint8_t>> loaded_;  // the file's bytes; nothing for no file
  HolidayError refusal_;                         // why the file was refused, if it was
  std::vector<Date> listed_;  // the dates of the list's items, in order
  int firstYear_ = 0;         // the year of the year list's first item
  bool loading_ = false;      // the program is filling the controls
};

}  // namespace vesk::ui
