#pragma once
// What the user does during a simulated run, from a script file: one action
// per line, "YYYY-MM-DD HH:MM:SS action [arguments]", in time order. Blank
// lines and lines starting with '#' are skipped.
//
//   open                       double-click the program's tray icon
//   hotkey                     press Alt+J
//   hide                       the editor's close button (back to the tray)
//   close                      the title bar's close box (the window goes,
//                              the program runs its own exit)
//   select DAY                 a day button: 0..6 (0 = Sunday) or its name
//   phase N on HH:MM HH:MM     phase N (1..3) switched on, from .. to
//   phase N off                phase N switched off
//   save                       the save button
//   clear                      the clear button
//   postpone H:MM              open the warning, postpone by H hours, MM minutes
//   cancel                     open the warning, cancel the timetable
//   exit                       the tray icon's menu, "exit"
//   start                      start the program (again)
//   kill                       end the program's process abruptly
//   power                      press the power button of a machine that is off
//   set-clock "YYYY-MM-DD HH:MM:SS"
//                              set Windows' clock to this local time, as a
//                              user or time synchronisation would
//   chip-glitch [N]            the wake-up chip loses the next N (default 1)
//                              writes that would change one of its wake-up
//                              registers (minute, hour, day)
//   abort                      cancel the system shutdown counting down, as
//                              "shutdown -a" typed by the user would
//   holidays                   the main window's Holidays button
//   holiday add DATE off       in the holidays window: the date's lists,
//   holiday add DATE PERIODS   "off" or the periods (HH:MM-HH:MM[,...], as
//                              in Holidays.txt), then its add button
//   holiday remove DATE        the date chosen in its list, then remove
//   holiday save               its save button
//   holiday close              its close button
//   disk lock FILE SECONDS     another program holds the file of the program's
//                              folder for that long: opening it to read,
//                              replace or remove fails as a sharing violation
//   disk write FILE HOSTPATH   the file replaced by the host file's bytes (read
//                              when the script is), as a copy would
//   disk cut FILE BYTES        the file left cut to its first BYTES bytes, as a
//                              copy in progress leaves it
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "schedule/holidays.h"
#include "sim/os/virtual_clock.h"

namespace vesk::sim {

enum class UserAction {
  Open, HotKey, Hide, Close, Select, Phase, Save, Clear, Postpone, Cancel, Exit, Start, Kill, Power, Abort,
  Holidays, HolidayAdd, HolidayRemove, HolidaySave, HolidayClose,
  SetClock, ChipGlitch,
  DiskLock, DiskWrite, DiskCut,
};

struct ScriptStep {
  SimTime at;
  int line = 0;             // in the script file, from 1
  std::string text;         // the action and its arguments as written
  UserAction action = UserAction::Open;
  int day = 0;              // Select: 0..6
  int phase = 0;            // Phase: 1..3
  bool on = false;          // Phase
  int startMinutes = 0;     // Phase on: minutes after midnight
  int endMinutes = 0;
  int hours = 0;            // Postpone
  int minutes = 0;
  SimTime clock{};          // SetClock: the local time Windows' clock is set to
  int count = 1;            // ChipGlitch: how many writes are lost
  HolidayEntry holiday{};   // HolidayAdd: the date and its periods (all off = off); HolidayRemove: the date
  std::string file;         // Disk...: a file name of the program's folder
  int seconds = 0;          // DiskLock
  std::size_t bytes = 0;    // DiskCut
  std::vector<uint8_t> content;  // DiskWrite: the host file's bytes
};

// The steps of a script, or nothing and "line N: reason" in error. Steps
// must come in time order (equal times keep their order).
std::optional<std::vector<ScriptStep>> ParseScript(const std::string& text, std::string& error);

// "90s", "15m", "36h", "7d": a whole number and its unit. Nothing for
// anything else, zero or more than 400 days.
std::optional<Microseconds> ParseDuration(const std::string& text);

}  // namespace vesk::sim
