#include "sim/machine/machine.h"

#include <cstdio>
#include <string_view>

#include "app/startup.h"
#include "hardware/hardware_globals.h"
#include "schedule/alarm/wake_alarm.h"
#include "schedule/holidays.h"
#include "schedule/next_events.h"
#include "schedule/schedule_file.h"
#include "sim/board/board.h"
#include "sim/board/simulated_driver_access.h"
#include "hardware/pawnio/pawnio_path.h"
#include "sim/board/simulated_pawnio.h"
#include "sim/machine/chip_watcher.h"
#include "sim/machine/disk_actions.h"
#include "sim/machine/event_log.h"
#include "sim/machine/machine_desktop.h"
#include "sim/machine/machine_os.h"
#include "sim/machine/window_actions.h"
#include "sim/os/simulated_os.h"
#include "ui/frame_wnd.h"
#include "ui/ui_globals.h"

namespace vesk::sim {

namespace {

// Unwind a simulated process that the machine ends from outside (power
// lost, reset, killed) or the whole run at its end. Like SimulatedProcessExit
// they belong to the simulator only.
struct ProcessKilled {};
struct RunOver {};

// The watchdog's feed, every 40 seconds: routine, not news.
constexpr std::string_view kWatchdogFeed = "watchdog action=kick";

std::string Hex2(uint32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
  return text;
}

// "D HH:MM": weekday number, hour and minute of a local time.
std::string WeekTime(const LocalTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%u %02u:%02u", time.wDayOfWeek % 10u, time.wHour % 100u, time.wMinute % 100u);
  return text;
}

std::string RootName(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

bool IsBusTransfer(AccessKind kind) {
  return kind == AccessKind::BusWrite || kind == AccessKind::BusRead || kind == AccessKind::BusNoAck;
}

// Nothing of the simulated program needs COM.
class NoCom final : public ComApartment {
 public:
  void Initialize() override {}
  void Uninitialize() override {}
};

const char* CheckName(WakeCheck check) {
  switch (check) {
    case WakeCheck::Ok: return "ok";
    case WakeCheck::Rewritten: return "rewritten";
    case WakeCheck::Failed: return "failed";
  }
  return "?";
}

std::string SignedSeconds(Microseconds amount) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(amount).count();
  // Built by appending: GCC 12 sees a false overlap in "+" + string.
  std::string text(seconds >= 0 ? "+" : "");
  text += std::to_string(seconds);
  return text;
}

template <class T>
void Earliest(std::optional<SimTime>& best, const std::optional<T>& candidate) {
  if (candidate && (!best || *candidate < *best)) best = *candidate;
}

}  // namespace

class Machine::Impl {
 public:
  Impl(MachineOptions options, Sink sink)
      : options_(std::move(options)),
        log_(std::move(sink), [this](SimTime at) { return FormatSimTime(os_.LocalAt(at)); }),
        clock_(options_.zone.ToUtc(options_.from)),
        os_(clock_, OsHooks()),
        board_(clock_, options_.profile, options_.zone.OffsetAt(clock_.Now())),
        firmware_(options_.table),
        watcher_([this](SimTime at, std::string text) { Emit(at, std::move(text)); }) {
    // The virtual clock counts UTC; the run's times are local.
    end_ = clock_.Now() + options_.duration;
    for (ScriptStep& step : options_.script) step.at = options_.zone.ToUtc(step.at);
    os_.SetTimeZone(options_.zone);
    os_.SetLangId(options_.langId);
    board_.KeepLog(false);
    board_.SetAccessListener([this](const BoardAccess& access) { OnAccess(access); });
    board_.SetEventListener([this](const BoardEvent& event) { OnBoardEvent(event); });
    if (options_.timetable) os_.Files()[ScheduleFilePath(os_)] = *options_.timetable;
    if (options_.holidays) os_.Files()[HolidaysFilePath(os_)] = *options_.holidays;
    if (options_.pawnio) {
      for (const char* name : {kSmbusI801Module, kSmbusPiix4Module, kLpcIoModule}) {
        os_.Files()[os_.GetModuleDirectory() + name + kModuleFileExtension] = TestModuleImage(name);
      }
    }
  }

  std::optional<std::vector<uint8_t>> DiskFile(const std::string& name) {
    const auto it = os_.Files().find(os_.GetModuleDirectory() + name);
    if (it == os_.Files().end()) return std::nullopt;
    return it->second;
  }

  void Run() {
    Emit(clock_.Now(), "on cause=power");
    bootPending_ = true;
    try {
      for (;;) {
        if (bootPending_ && board_.Power() == PowerState::On) {
          bootPending_ = false;
          RunProcess();
        } else {
          Idle();
        }
      }
    } catch (const RunOver&) {
    }
    watcher_.Settle();
    if (options_.busTotals) {
      Emit("bus-totals transfers=" + std::to_string(busTransfers_) +
           " blocked=" + std::to_string(os_.Delayed().count()) + "us");
    }
    log_.Flush();
  }

 private:
  // ------------------------------------------------------------- events

  // Routine events (watchdog feeds, bus traces) do not count as news for
  // the coalesced ticks; everything else does.
  uint64_t Emit(SimTime at, std::string text, bool news = true) {
    const bool routine = std::string_view(text).starts_with(kWatchdogFeed);
    if (news && !routine && desktop_) desktop_->Disturb();
    return log_.Add(at, std::move(text));
  }
  uint64_t Emit(std::string text) { return Emit(clock_.Now(), std::move(text)); }

  MachineOs::Hooks OsHooks() {
    MachineOs::Hooks hooks;
    hooks.message = [this](const std::string& caption, const std::string& text) {
      Emit("message caption=" + Quoted(caption) + " text=" + Quoted(text));
    };
    hooks.command = [this](const std::string& line) { OnCommand(line); };
    hooks.registry = [this](RegistryRoot root, const std::string& key, const std::string& name,
                            const std::string& data) {
      Emit("registry key=" + Quoted(RootName(root) + "\\" + key) + " value=" + Quoted(name) + " data=" + Quoted(data));
    };
    hooks.saved = [this] { Emit("save"); };
    hooks.removed = [this] { Emit("clear"); };
    hooks.holidaysSaved = [this] { Emit("holidays-save"); };
    hooks.eventLogged = [this](EventLogType type, uint16_t id, const std::string& text) {
      Emit("eventlog id=" + std::to_string(id) + " level=" + (type == EventLogType::Error ? "error" : "information") +
           " text=" + Quoted(text));
    };
    return hooks;
  }

  void OnCommand(const std::string& line) {
    Emit("command line=" + Quoted(line));
    const auto request = ParseShutdown(line);
    if (!request) return;
    const SimTime at = clock_.Now() + std::chrono::seconds{request->delaySeconds};
    switch (request->kind) {
      case ShutdownRequest::Kind::Abort: shutdownAt_.reset(); break;
      case ShutdownRequest::Kind::PowerOff:
        // A shutdown already counting down is not replaced.
        if (!shutdownAt_) {
          shutdownAt_ = at;
          restart_ = false;
        }
        break;
      case ShutdownRequest::Kind::Restart:
        if (!shutdownAt_) {
          shutdownAt_ = at;
          restart_ = true;
        }
        break;
    }
  }

  void OnAccess(const BoardAccess& access) {
    if (IsBusTransfer(access.kind)) ++busTransfers_;
    if (processRunning_ && !chipReported_ && g_ChipAddress != 0) {
      chipReported_ = true;
      const char* mode = g_ControllerMode == static_cast<uint32_t>(kControllerModeI2c) ? "i2c" : "smbus";
      Emit(access.at, "chip address=" + Hex2(g_ChipAddress) + " mode=" + mode);
    }
    if (options_.traceBus) {
      if (auto line = TraceLine(access)) Emit(access.at, std::move(*line), false);
    }
    watcher_.Observe(access);
  }

  void OnBoardEvent(const BoardEvent& event) {
    switch (event.kind) {
      case BoardEventKind::PowerOn:
        Emit(event.at, event.cause == EventCause::Alarm ? "on cause=alarm" : "on cause=power");
        bootPending_ = true;
        break;
      case BoardEventKind::PowerOff:
        watcher_.BoardReset();
        Emit(event.at, "off");
        shutdownAt_.reset();
        if (processRunning_) killPending_ = true;
        break;
      case BoardEventKind::Reset:
        watcher_.BoardReset();
        Emit(event.at, "reset cause=watchdog");
        Emit(event.at, "on cause=watchdog");
        shutdownAt_.reset();
        bootPending_ = true;
        if (processRunning_) killPending_ = true;
        break;
    }
  }

  // --------------------------------------------------------------- time

  std::optional<SimTime> NextStepAt() const {
    if (nextStep_ >= options_.script.size()) return std::nullopt;
    return options_.script[nextStep_].at;
  }

  void AdvanceTo(SimTime t) {
    const SimTime now = clock_.Now();
    ReportDaylightSaving(now, t);
    if (t > now) clock_.Advance(t - now);
    board_.Update();
  }

  // Daylight saving moves Windows' local clock, not the machine's time.
  void ReportDaylightSaving(SimTime from, SimTime to) {
    const TimeZone& zone = os_.Zone();
    for (auto change = zone.NextChange(from, to); change; change = zone.NextChange(*change, to)) {
      Emit(*change, "timechange seconds=" +
                        SignedSeconds(zone.OffsetAt(*change) - zone.OffsetAt(*change - Microseconds{1})));
    }
  }

  // Switches the machine off (or restarts it) when the system's shutdown has
  // counted down.
  void ShutdownIfDue() {
    if (!shutdownAt_ || clock_.Now() < *shutdownAt_) return;
    const bool restart = restart_;
    shutdownAt_.reset();
    board_.SwitchOff();
    if (restart) board_.PressPowerButton();
  }

  // The machine with no program running: on (the program ended) or off.
  void Idle() {
    std::optional<SimTime> next = end_;
    Earliest(next, NextStepAt());
    if (board_.Power() == PowerState::On) {
      Earliest(next, shutdownAt_);
      Earliest(next, board_.NextWatchdogReset());
    } else {
      Earliest(next, board_.NextAlarmPowerOn());
    }
    AdvanceTo(*next);
    if (clock_.Now() >= end_) throw RunOver{};
    ShutdownIfDue();
    PerformDueSteps();
    log_.Flush();
  }

  // The program's message loop has nothing to do: move time on to the next
  // thing that happens and let it happen.
  bool Drive() {
    if (killPending_) throw ProcessKilled{};
    watcher_.Settle();
    log_.Flush();

    std::optional<SimTime> next = end_;
    Earliest(next, shutdownAt_);
    Earliest(next, board_.NextWatchdogReset());
    Earliest(next, NextStepAt());
    Earliest(next, desktop_->NextTimerDue());
    Earliest(next, desktop_->NextCoalescedTick());
    const std::optional<SimTime> chipAlarm = board_.NextAlarmPowerOn();
    Earliest(next, chipAlarm);

    AdvanceTo(*next);
    const SimTime now = clock_.Now();
    if (now >= end_) throw RunOver{};
    if (killPending_) throw ProcessKilled{};
    ShutdownIfDue();
    if (killPending_) throw ProcessKilled{};
    // The chip's wake-up fired while the machine ran: news for the ticks.
    if (chipAlarm && *chipAlarm <= now) desktop_->Disturb();
    if (PerformDueSteps()) {
      if (killPending_) throw ProcessKilled{};
      return true;
    }
    const auto timerDue = desktop_->NextTimerDue();
    const auto tickDue = desktop_->NextCoalescedTick();
    const bool timerReady = timerDue && *timerDue <= now;
    const bool tickReady = tickDue && *tickDue <= now;
    if (tickReady && (!timerReady || desktop_->CoalescedTickFirst(*timerDue))) {
      desktop_->DeliverCoalescedTick();
    } else if (timerReady) {
      desktop_->RunUntil(*timerDue);
    }
    // A file that cannot be read yet, or a changed holidays file that counts
    // once the next refresh reads it alike, is read again five seconds on,
    // as without coalescing.
    if (const auto* frame = MainFrame(); frame && !frame->FilesSettled()) desktop_->Disturb();
    return true;
  }

  // ------------------------------------------------------------ process

  void RunProcess() {
    ui::ResetProcessWideState();
    os_.ReleaseMutexes();
    os_.ClearRecords();
    driver_ = std::make_unique<SimulatedDriverAccess>(board_);
    if (options_.pawnio) {
      pawnio_ = std::make_unique<SimulatedPawnIo>(
          board_, [this](Microseconds wait) { os_.DelayMicroseconds(static_cast<uint32_t>(wait.count())); });
    }
    MachineDesktop::Observer observer;
    observer.warningCreated = [this](HWND) { Emit("warning shutdown=" + Quoted(WarnedShutdownText())); };
    observer.noticeShown = [this] { Emit("notice"); };
    observer.postponed = [this](unsigned minutes) {
      Emit("postpone minutes=" + std::to_string(minutes) + " shutdown=" + Quoted(NextShutdownText()));
    };
    desktop_ = std::make_unique<MachineDesktop>(os_, options_.skinRoot, std::move(observer), options_.coalesceTicks);
    desktop_->SetModalDriver([this](ui::headless::HeadlessDesktop&) { return Drive(); });
    processRunning_ = true;
    chipReported_ = false;
    killPending_ = false;
    Emit("start");

    bool over = false;
    const auto makeWindow = [this](DriverAccess& chosen) {
      return MakeFrameWindow(os_, chosen, [this](WakeCheck check) { Emit(std::string("verify result=") + CheckName(check)); });
    };
    AppHost host{os_, *driver_, firmware_, com_, nullptr, makeWindow, pawnio_.get()};
    try {
      const int code = RunVesk(host);
      Emit("exit code=" + std::to_string(code));
    } catch (const SimulatedProcessExit& exit) {
      Emit("exit code=" + std::to_string(exit.exitCode));
    } catch (const ProcessKilled&) {
    } catch (const RunOver&) {
      over = true;
    }

    // What the operating system does when a process is gone: its windows,
    // its libraries and its mutex go with it.
    processRunning_ = false;
    watcher_.Settle();
    ui::ResetProcessWideState();
    desktop_.reset();
    driver_.reset();
    pawnio_.reset();
    os_.ReleaseMutexes();
    log_.Flush();
    if (over) throw RunOver{};
  }

  // A second start while the program runs: the new process finds the
  // mutex taken and leaves at once.
  void StartSecondInstance() {
    Emit("start");
    SimulatedDriverAccess driver{board_};
    AppHost host{os_, driver, firmware_, com_, nullptr, [this](DriverAccess& chosen) { return MakeFrameWindow(os_, chosen); }};
    try {
      Emit("exit code=" + std::to_string(RunVesk(host)));
    } catch (const SimulatedProcessExit& exit) {
      Emit("exit code=" + std::to_string(exit.exitCode));
    }
  }

  const ui::CDuiFrameWnd* MainFrame() {
    const HWND main = desktop_ ? desktop_->FindWindow(ui::kMainWindowClass) : nullptr;
    return main ? dynamic_cast<ui::CDuiFrameWnd*>(desktop_->WindowObject(main)) : nullptr;
  }

  std::string NextShutdownText() {
    const auto* frame = MainFrame();
    if (!frame) return "?";
    return WeekTime(NextShutdownAt(frame->ActiveSchedule(), frame->CurrentPostponement(), os_.GetLocalTime(),
                                   frame->InForceHolidays()));
  }

  // The shutdown a warning is about, as the program raised it.
  std::string WarnedShutdownText() {
    const auto* frame = MainFrame();
    return frame ? WeekTime(frame->WarnedShutdown()) : "?";
  }

  // -------------------------------------------------------- the user

  bool PerformDueSteps() {
    bool any = false;
    while (nextStep_ < options_.script.size() && options_.script[nextStep_].at <= clock_.Now()) {
      const ScriptStep& step = options_.script[nextStep_++];
      const uint64_t entry = Emit("action line=" + std::to_string(step.line) + " do=" + Quoted(step.text));
      const std::string failure = Perform(step);
      if (!failure.empty()) log_.Amend(entry, " failed=" + Quoted(failure));
      if (desktop_) desktop_->Disturb();
      any = true;
      if (killPending_) break;
    }
    return any;
  }

  // Empty when the user could do it, else why not.
  std::string Perform(const ScriptStep& step) {
    switch (step.action) {
      case UserAction::Power:
        if (board_.Power() == PowerState::On) return "the machine is on";
        board_.PressPowerButton();
        return {};
      case UserAction::Start:
        if (board_.Power() == PowerState::Off) return "the machine is off";
        if (processRunning_) {
          StartSecondInstance();
        } else {
          bootPending_ = true;
        }
        return {};
      case UserAction::Kill:
        if (!processRunning_) return "the program is not running";
        killPending_ = true;
        return {};
      case UserAction::SetClock: return SetClock(step.clock);
      case UserAction::ChipGlitch:
        // The chip the program uses: the micro-controller wins over a clock.
        if (McuChip* mcu = board_.Mcu()) {
          mcu->LoseWakeWrites(static_cast<unsigned>(step.count));
        } else if (Pcf8563Chip* rtc = board_.Rtc()) {
          rtc->LoseWakeWrites(static_cast<unsigned>(step.count));
        } else {
          return "the board has no wake-up chip";
        }
        return {};
      case UserAction::DiskLock:
      case UserAction::DiskWrite:
      case UserAction::DiskCut: return PerformDiskAction(os_, step);
      case UserAction::Abort:
        // The operating system's own answer when nothing counts down.
        if (!shutdownAt_) return "no system shutdown is in progress";
        shutdownAt_.reset();
        return {};
      default: break;
    }
    if (!processRunning_ || !desktop_) return "the program is not running";
    const HWND main = desktop_->FindWindow(ui::kMainWindowClass);
    if (!main) return "the program has no main window";
    return PerformInWindows(*desktop_, step, main);
  }

  // Windows' clock set while it runs; the system tells every top-level
  // window.
  std::string SetClock(SimTime local) {
    if (board_.Power() == PowerState::Off) return "the machine is off";
    const SimTime before = os_.LocalAt(clock_.Now());
    os_.SetLocalClock(local);
    Emit("timechange seconds=" + SignedSeconds(os_.LocalAt(clock_.Now()) - before));
    if (processRunning_ && desktop_) {
      for (const char* windowClass : {ui::kMainWindowClass, ui::kWarningWindowClass}) {
        if (const HWND window = desktop_->FindWindow(windowClass)) desktop_->SendMessage(window, WM_TIMECHANGE, 0, 0);
      }
    }
    return {};
  }

  MachineOptions options_;
  EventLog log_;
  VirtualClock clock_;
  MachineOs os_;
  Board board_;
  FirmwareTableSource firmware_;
  ChipWatcher watcher_;
  NoCom com_;
  std::unique_ptr<SimulatedDriverAccess> driver_;
  std::unique_ptr<SimulatedPawnIo> pawnio_;
  std::unique_ptr<MachineDesktop> desktop_;
  SimTime end_;
  std::size_t nextStep_ = 0;
  std::optional<SimTime> shutdownAt_;
  bool restart_ = false;
  bool bootPending_ = false;
  bool processRunning_ = false;
  bool killPending_ = false;
  bool chipReported_ = false;
  uint64_t busTransfers_ = 0;
};

std::string DefaultSkinRoot() {
  if (const char* root = std::getenv("VESK_SKIN_ROOT"); root != nullptr && *root != '\0') return root;
  return VESK_DEFAULT_SKIN_ROOT;
}

Machine::Machine(MachineOptions options, Sink sink) : impl_(std::make_unique<Impl>(std::move(options), std::move(sink))) {}

Machine::~Machine() = default;

void Machine::Run() { impl_->Run(); }

std::optional<std::vector<uint8_t>> Machine::DiskFile(const std::string& name) { return impl_->DiskFile(name); }

}  // namespace vesk::sim
