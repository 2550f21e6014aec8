#pragma once
// The simulated machine running the whole program: a board of a given
// profile with its firmware table, a disk that keeps the timetable across
// power cycles, a virtual clock, and the program itself (the entry routine,
// its windows on the headless desktop) started at power-on, ended by the
// shutdown command's power-off, woken by the chip, reset by a watchdog
// nobody feeds, and driven by a script of user actions.
//
//   MachineOptions options;
//   options.profile = *ParseBoardProfile("mcu-intel-i2c");
//   options.table = *NamedFirmwareTable("accepted");
//   options.from = *ParseSimTime("2026-12-07 07:00:00");
//   options.duration = std::chrono::hours{24 * 7};
//   Machine machine{options, [](const std::string& line) { std::cout << line << '\n'; }};
//   machine.Run();
//
// Events, one line each, "YYYY-MM-DD HH:MM:SS event key=value ...":
//   on cause=power|alarm|watchdog, off, reset cause=watchdog, start,
//   exit code=N, registry key=".." value=".." data="..", message caption=".."
//   text="..", command line="..", chip address=0xNN mode=smbus|i2c,
//   alarm weekday=D hour=H minute=M day=V, alarm-clear,
//   watchdog action=start|kick|stop kind=mcu|superio,
//   warning shutdown="D HH:MM", notice, postpone minutes=N shutdown="D HH:MM",
//   save, clear, holidays-save, action line=N do=".." [failed=".."],
//   timechange seconds=N (Windows' local clock jumped: set, or daylight
//   saving), verify result=ok|rewritten|failed (the wake-up read back),
//   eventlog id=N level=information|error text=".." (an entry the program
//   wrote to the system's event log);
//   with traceBus also "bus op=.. addr=.. reg=.. value=.." and
//   "port port=0xNN value=0xNN"; with busTotals, at the end of the run,
//   "bus-totals transfers=N blocked=Nus".
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/board/board_profile.h"
#include "sim/firmware/firmware_tables.h"
#include "sim/machine/script.h"
#include "sim/os/time_zone.h"
#include "sim/os/virtual_clock.h"

namespace vesk::sim {

struct MachineOptions {
  BoardProfile profile;
  FirmwareTable table;
  std::optional<std::vector<uint8_t>> timetable;  // "TimeSetting.bin" on the disk at the start
  std::optional<std::vector<uint8_t>> holidays;   // "Holidays.txt" on the disk at the start
  SimTime from;               // local time in `zone`, as are the script's times
  Microseconds duration{};
  TimeZone zone;              // of the simulated Windows; UTC unless given
  uint16_t langId = 1033;
  bool traceBus = false;
  std::vector<ScriptStep> script;
  std::string skinRoot;        // the folder that holds "skin"
  bool coalesceTicks = true;   // see MachineDesktop
  // Ends the run with what the program's bus work came to: the register
  // transfers the chips saw (written, read, not acknowledged) and the time
  // the program spent in its delays (the SMBus settle, the I2C waits),
  // during which its one thread, the window's, is blocked.
  bool busTotals = false;
  // The hardware through PawnIO (its stand-in, with the test modules beside
  // the program) instead of the driver libraries.
  bool pawnio = false;
};

// The folder holding the program's "skin" folder: $VESK_SKIN_ROOT when set,
// else the source tree the simulator was built from.
std::string DefaultSkinRoot();

class Machine {
 public:
  using Sink = std::function<void(const std::string& line)>;
  Machine(MachineOptions options, Sink sink);
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // Plays the run from `from` for `duration`; every event goes to the sink.
  void Run();
  // A file of the program's folder on the simulated disk, which keeps its
  // files across power cycles (the timetable, the history "VESK.log").
  std::optional<std::vector<uint8_t>> DiskFile(const std::string& name);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vesk::sim
