// The entry routine on the simulated board and OS, with a main window that
// only records what is done to it: which ends come before the window, what
// each leaves behind, and the order of the exit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "hardware/hardware_globals.h"
#include "hardware/pawnio/pawnio_path.h"
#include "history/history.h"
#include "sim/board/board_rig.h"
#include "sim/board/simulated_pawnio.h"
#include "sim/firmware/firmware_tables.h"
#include "ui/framework/paint_manager.h"
#include "ui/ui_globals.h"

namespace vesk {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using Journal = std::vector<std::string>;

// Every entry first takes in the driver library calls made since the last
// one, so that they are ordered against everything else.
struct DriverJournal {
  DriverJournal(sim::SimulatedDriverAccess& driver, Journal& journal) : driver_(driver), journal_(journal) {}
  void Note(const std::string& entry) {
    static constexpr const char* kNames[] = {"InitializeOls", "DeinitializeOls", "InitializeWinIo", "ShutdownWinIo"};
    const auto& calls = driver_.LibraryCalls();
    for (; taken_ < calls.size(); ++taken_) journal_.push_back(kNames[static_cast<int>(calls[taken_])]);
    if (!entry.empty()) journal_.push_back(entry);
  }

 private:
  sim::SimulatedDriverAccess& driver_;
  Journal& journal_;
  std::size_t taken_ = 0;
};

class JournalingCom final : public ComApartment {
 public:
  explicit JournalingCom(DriverJournal& journal) : journal_(journal) {}
  void Initialize() override { journal_.Note("CoInitialize"); }
  void Uninitialize() override { journal_.Note("CoUninitialize"); }

 private:
  DriverJournal& journal_;
};

struct WindowRecord {
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
};

// Stands for the main window; what runs "inside" its modal loop is up to
// the test.
class RecordingWindow final : public MainWindow {
 public:
  RecordingWindow(DriverJournal& journal, WindowRecord& record, std::function<void()> whileModal, bool creates = true)
      : journal_(journal), record_(record), whileModal_(std::move(whileModal)), creates_(creates) {
    journal_.Note("window made");
  }
  ~RecordingWindow() override { journal_.Note("window destroyed"); }
  bool Create(const std::string& title, DWORD style, DWORD exStyle) override {
    record_ = {title, style, exStyle};
    journal_.Note(creates_ ? "Create" : "Create failed");
    return creates_;
  }
  void CenterWindow() override { journal_.Note("CenterWindow"); }
  void MinimizeToTray() override { journal_.Note("MinimizeToTray"); }
  void ShowModal() override {
    journal_.Note("ShowModal");
    if (whileModal_) whileModal_();
    journal_.Note("modal loop ended");
  }

 private:
  DriverJournal& journal_;
  WindowRecord& record_;
  std::function<void()> whileModal_;
  bool creates_;
};

const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));

struct StartupRig {
  explicit StartupRig(const char* profile = "mcu-intel-smbus", const char* table = "accepted")
      : machine(profile),
        firmware(sim::NamedFirmwareTable(table).value()),
        notes(machine.driver, journal),
        com(notes),
        host{machine.os, machine.driver, firmware, com, kInstance, [this](DriverAccess&) {
               return std::make_unique<RecordingWindow>(notes, window, whileModal, windowCreates);
             }} {
    machine.os.SetModulePath("C:\\VESK\\VESK.exe");
    machine.os.SetCommandHook([this](const sim::CommandRecord& command) { notes.Note(command.commandLine); });
    machine.board.SetAccessListener([this](const sim::BoardAccess& access) {
      const bool superIo = access.kind == sim::AccessKind::PortWrite && (access.address == 0x2E || access.address == 0x2F);
      const bool chip = access.kind == sim::AccessKind::BusWrite || access.kind == sim::AccessKind::BusRead ||
                        access.kind == sim::AccessKind::BusNoAck;
      if (superIo || chip) notes.Note(sim::Describe(access));
    });
  }
  ~StartupRig() { ui::ResetProcessWideState(); }

  int Run() {
    int code = 0;
    try {
      code = RunVesk(host);
    } catch (const sim::SimulatedProcessExit& exit) {
      ended = true;
      code = exit.exitCode;
    }
    notes.Note("");
    return code;
  }

  bool WindowMade() const { return std::find(journal.begin(), journal.end(), "window made") != journal.end(); }
  // The journal from the first line equal to `from` on.
  Journal From(const std::string& from) const {
    const auto start = std::find(journal.begin(), journal.end(), from);
    return Journal(start, journal.end());
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> boxes;
    for (const auto& box : machine.os.MessageBoxes()) boxes.push_back(box.caption + ": " + box.text);
    return boxes;
  }

  sim::BoardRig machine;
  sim::FirmwareTableSource firmware;
  Journal journal;
  DriverJournal notes;
  JournalingCom com;
  WindowRecord window;
  std::function<void()> whileModal;
  bool windowCreates = true;
  AppHost host;
  bool ended = false;
};

const std::vector<std::string> kDisableSuperIoWatchdog{
    "out8 0x2E 0x87", "out8 0x2E 0x01", "out8 0x2E 0x55", "out8 0x2E 0x55", "out8 0x2E 0x07",
    "out8 0x2F 0x07", "out8 0x2E 0x72", "out8 0x2F 0x00", "out8 0x2E 0x02", "out8 0x2F 0x02"};

TEST(StartupEnds, SecondInstanceAndRefusedBoardLeaveBeforeAnyRunValueDriverOrWindow) {
  // A second instance leaves silently, even before the board check; a
  // refused board ends the process after its one error box.
  for (const auto& [table, second] : {std::pair{"accepted", true}, {"no-model", true}, {"switch-off", false}}) {
    StartupRig rig{"mcu-intel-smbus", table};
    if (second) rig.machine.os.HoldMutexElsewhere("VESK");
    EXPECT_EQ(rig.Run(), 0) << table;
    EXPECT_EQ(rig.ended, !second) << table;
    EXPECT_EQ(rig.firmware.Reads() == 0, second) << table;
    EXPECT_EQ(rig.machine.os.MessageBoxes().size(), second ? 0u : 1u) << table;
    for (const auto& box : rig.machine.os.MessageBoxes()) EXPECT_EQ(box.type, kMbIconError);
    EXPECT_THAT(rig.machine.os.RegistryWrites(), IsEmpty());
    EXPECT_THAT(rig.journal, IsEmpty()) << "no driver, chip, command or window";
    EXPECT_TRUE(rig.machine.board.Log().empty());
  }
}

TEST(StartupEnds, FiveFailedDriverStartsThenNoWindow) {
  struct Case {
    uint16_t langId;
    const char* box;
  };
  // The box names both ways to the hardware: what to install, what to put
  // beside the program.
  for (const Case& c : {Case{1033, "Notice: Notice that VESK driver cannot be loaded ! Install PawnIO and put "
                                   "SmbusI801.bin, SmbusPIIX4.bin and LpcIO.bin beside VESK.exe, or put "
                                   "WinRing0x64.dll and WinIo64.dll beside VESK.exe."},
                        Case{2052, "提示: 驱动加载失败！请安装 PawnIO 并把 SmbusI801.bin、SmbusPIIX4.bin 和 LpcIO.bin "
                                   "放在 VESK.exe 旁边，或把 WinRing0x64.dll 和 WinIo64.dll 放在 VESK.exe 旁边。"}}) {
    StartupRig rig;
    rig.machine.os.SetLangId(c.langId);
    rig.machine.driver.FailPortLibraryInit();
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_TRUE(rig.ended);
    EXPECT_THAT(rig.Boxes(), ElementsAreArray(std::vector<std::string>(5, c.box))) << c.langId;
    for (const auto& box : rig.machine.os.MessageBoxes()) {
      EXPECT_EQ(box.type, kMbIconError);
      EXPECT_EQ(box.timeoutMs, 5000u);
      EXPECT_EQ(box.langId, c.langId);
    }
    // The port library alone, five times: the memory library waits for it.
    EXPECT_THAT(rig.journal, ElementsAreArray(std::vector<std::string>(5, "InitializeOls")));
    EXPECT_FALSE(rig.WindowMade());
    // The Run values were written before the drivers were tried.
    EXPECT_EQ(rig.machine.os.RegistryWrites().size(), 2u);
    std::vector<uint16_t> logged;
    for (const auto& entry : rig.machine.os.EventLogEntries()) logged.push_back(entry.eventId);
    EXPECT_THAT(logged, ElementsAre(100, 131, 131, 131, 131, 131));
  }
}

TEST(StartupOrder, RunValuesProbeComAndWindowInOrderWithTheTitleByLanguage) {
  for (const auto& [langId, title] :
       {std::pair<uint16_t, const char*>{2052, "VESK系统管理软件"}, {1028, "VESK Technology Manager"}}) {
    StartupRig rig;
    rig.machine.os.SetLangId(langId);
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.window.title, title) << langId;
    EXPECT_EQ(LangID, langId);
    EXPECT_EQ(rig.machine.os.RegistryWrites().size(), 2u);  // the values themselves: the whole-machine runs
    // Drivers, then start-up's own probe of the micro-controller (and nothing
    // else on the bus), then COM, then the window.
    EXPECT_THAT(Journal(rig.journal.begin(), rig.journal.begin() + 10),
                ElementsAre("InitializeOls", "InitializeWinIo", "bus-r 0xC2 0x00 0x00", "CoInitialize", "window made",
                            "Create", "CenterWindow", "MinimizeToTray", "ShowModal", "modal loop ended"));
    EXPECT_EQ(ui::CPaintManagerUI::GetInstance(), kInstance);
    EXPECT_EQ(rig.window.style, 0x10CE0000u);
    EXPECT_EQ(rig.window.exStyle, 0x100u);
  }
}

// A folder others can change is an error on record at once and one notice
// once the window runs; the drivers are still loaded and the board served.
TEST(StartupOrder, AProgramFolderOthersCanChangeIsRecordedAndToldOnceTheWindowRuns) {
  struct Case {
    uint16_t langId;
    const char* openPath;
    const char* box;
  };
  for (const Case& c : {Case{1033, "C:\\VESK\\", "Notice: Users who are not administrators can change VESK's "
                                                   "folder C:\\VESK\\ or the drivers in it."},
                        Case{2052, "C:\\VESK\\WinIo64.sys", "提示: 非管理员用户可以更改VESK的文件夹 C:\\VESK\\ 或"}}) {
    StartupRig rig;
    rig.machine.os.SetLangId(c.langId);
    rig.host.loadedFiles = {"C:\\VESK\\WinRing0x64.dll", "C:\\VESK\\WinIo64.sys"};
    rig.machine.os.OpenToOthers(c.openPath, "BUILTIN\\Users (S-1-5-32-545): may write");
    rig.machine.os.SetMessageBoxHook([&](const sim::MessageBoxRecord&) {
      rig.notes.Note("notice");
      return kIdOk;
    });
    EXPECT_EQ(rig.Run(), 0);
    ASSERT_EQ(rig.Boxes().size(), 1u) << c.langId;
    EXPECT_EQ(rig.Boxes()[0].rfind(c.box, 0), 0u) << rig.Boxes()[0];
    const Journal fromTray = rig.From("MinimizeToTray");
    EXPECT_THAT(Journal(fromTray.begin(), fromTray.begin() + 3), ElementsAre("MinimizeToTray", "notice", "ShowModal"));
    EXPECT_EQ(rig.journal.front(), "InitializeOls") << "the drivers are loaded all the same";
    // The start has its own entry; the open folder is an error of its own kind.
    const auto& events = rig.machine.os.EventLogEntries();
    const auto open = std::find_if(events.begin(), events.end(), [](const auto& event) {
      return event.eventId == history::EventIdOf(history::EventKind::FolderOpen);
    });
    ASSERT_NE(open, events.end());
    EXPECT_EQ(open->type, EventLogType::Error);
    EXPECT_NE(open->text.find("folder-open folder=C:\\VESK\\ path=" + std::string(c.openPath)), std::string::npos)
        << open->text;
  }
}

TEST(StartupOrder, RunValueQuotesAPathWithBlanksAndFailuresAreIgnored) {
  StartupRig rig;
  rig.machine.os.SetModulePath("C:\\Program Files\\VESK 2\\VESK.exe");
  EXPECT_EQ(rig.Run(), 0);
  ASSERT_EQ(rig.machine.os.RegistryWrites().size(), 2u);
  EXPECT_EQ(rig.machine.os.RegistryWrites()[1].data, "\"C:\\Program Files\\VESK 2\\VESK.exe\"");

  StartupRig refused;
  refused.machine.os.FailRegistryWrites(true);
  EXPECT_EQ(refused.Run(), 0);
  EXPECT_THAT(refused.Boxes(), IsEmpty());
  EXPECT_TRUE(refused.WindowMade());
}

TEST(StartupExit, RunsInOrderAndStopsTheWatchdogStartupsOwnProbeFound) {
  // Whatever the windows chose: no micro-controller answered start-up on the
  // RTC board (I2C mode), so the Super I/O's is stopped; on the MCU boards
  // the micro-controller's is.
  struct Case {
    const char* profile;
    uint32_t windowsMode;
    Journal stop;
  };
  for (const Case& c : {Case{"rtc-a2-intel-i2c", 1, kDisableSuperIoWatchdog},
                        Case{"mcu-amd", 0, {"bus-w 0xC2 0x09 0x00"}}}) {
    StartupRig rig{c.profile};
    rig.whileModal = [&] {
      g_ControllerMode = c.windowsMode;
      g_ChipAddress = 0xA2;
    };
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_FALSE(rig.ended);
    Journal expected{"modal loop ended", "CoUninitialize"};
    expected.insert(expected.end(), c.stop.begin(), c.stop.end());
    expected.insert(expected.end(), {"Cmd.exe /C shutdown -a", "DeinitializeOls", "ShutdownWinIo", "window destroyed"});
    EXPECT_THAT(rig.From("modal loop ended"), ElementsAreArray(expected)) << c.profile;
  }
}

// PawnIO where its modules serve the board (and LpcIO is there when the
// watchdog is the Super I/O's), the libraries otherwise; the history names
// the way taken, and the exit releases that way only.
TEST(StartupDrivers, PawnIoWhereItsModulesServeTheBoardOtherwiseTheLibraries) {
  struct Case {
    const char* profile;
    std::vector<const char*> modules;
    const char* line;
  };
  const std::vector<const char*> all{kSmbusI801Module, kSmbusPiix4Module, kLpcIoModule};
  for (const Case& c : {Case{"mcu-intel-smbus", {kSmbusI801Module}, "drivers path=pawnio module=SmbusI801"},
                        Case{"rtc-a2-amd", all, "drivers path=pawnio module=SmbusPIIX4"},
                        Case{"rtc-a2-amd", {kSmbusPiix4Module}, "drivers path=libraries"},
                        Case{"mcu-nvidia", all, "drivers path=libraries"}}) {
    StartupRig rig{c.profile};
    sim::SimulatedPawnIo pawnio{rig.machine.board, [&](sim::Microseconds wait) {
                                  rig.machine.os.DelayMicroseconds(static_cast<uint32_t>(wait.count()));
                                }};
    rig.host.pawnio = &pawnio;
    for (const char* name : c.modules) {
      rig.machine.os.Files()[std::string("C:\\VESK\\") + name + kModuleFileExtension] = sim::TestModuleImage(name);
    }
    std::size_t handlesWhileRunning = 0;
    rig.whileModal = [&] { handlesWhileRunning = pawnio.OpenHandles(); };
    EXPECT_EQ(rig.Run(), 0);
    const auto& log = rig.machine.os.Files()["C:\\VESK\\" + std::string(history::kFileName)];
    EXPECT_THAT(std::string(log.begin(), log.end()), ::testing::HasSubstr(std::string(" ") + c.line + "\n"));
    const bool pawnioUsed = std::string(c.line).find("pawnio") != std::string::npos;
    EXPECT_EQ(handlesWhileRunning, pawnioUsed ? c.modules.size() == 1 ? 1u : 2u : 0u) << c.profile;
    EXPECT_EQ(pawnio.OpenHandles(), 0u) << "nothing left open";
    const bool librariesTouched = !rig.machine.driver.LibraryCalls().empty();
    EXPECT_EQ(librariesTouched, !pawnioUsed) << c.profile;
    EXPECT_EQ(rig.machine.driver.UnreadyAccesses(), 0u);
  }
}

TEST(StartupExit, AWindowThatFailsToBeCreatedGetsNoIconAndEndsInOrder) {
  StartupRig rig;
  rig.windowCreates = false;
  EXPECT_EQ(rig.Run(), 0);
  EXPECT_FALSE(rig.ended);
  EXPECT_THAT(rig.From("Create failed"), ElementsAre("Create failed", "CoUninitialize", "bus-w 0xC2 0x09 0x00",
                                                     "Cmd.exe /C shutdown -a", "DeinitializeOls", "ShutdownWinIo",
                                                     "window destroyed"));
}

}  // namespace
}  // namespace vesk
