// The entry routine on the simulated board and OS, with a main window that
// only records what is done to it: which ends come before the window, what
// each leaves behind, and the order of the exit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "hardware/hardware_globals.h"
#include "sim/board/board_rig.h"
#include "sim/firmware/firmware_tables.h"
#include "ui/framework/paint_manager.h"
#include "ui/ui_globals.h"

namespace vesk {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using Journal = std::vector<std::string>;

// Forwards to the simulated libraries and notes their start and release
// calls in the journal, so they can be ordered against everything else.
class JournalingDriver final : public DriverAccess {
 public:
  JournalingDriver(DriverAccess& inner, Journal& journal) : in_(inner), journal_(journal) {}
  bool InitializeOls() override { return Note("InitializeOls", in_.InitializeOls()); }
  bool InitializeWinIo() override { return Note("InitializeWinIo", in_.InitializeWinIo()); }
  void DeinitializeOls() override { Note("DeinitializeOls", true); in_.DeinitializeOls(); }
  void ShutdownWinIo() override { Note("ShutdownWinIo", true); in_.ShutdownWinIo(); }
  void WriteIoPortByte(uint16_t port, uint8_t v) override { in_.WriteIoPortByte(port, v); }
  bool ReadIoPortByteEx(uint16_t port, uint8_t& v) override { return in_.ReadIoPortByteEx(port, v); }
  void WriteIoPortDword(uint16_t port, uint32_t v) override { in_.WriteIoPortDword(port, v); }
  bool ReadIoPortWordEx(uint16_t port, uint16_t& v) override { return in_.ReadIoPortWordEx(port, v); }
  bool ReadIoPortDwordEx(uint16_t port, uint32_t& v) override { return in_.ReadIoPortDwordEx(port, v); }
  uint32_t ReadPciConfigDword(uint32_t a, uint8_t reg) override { return in_.ReadPciConfigDword(a, reg); }
  uint32_t FindPciDeviceByClass(uint8_t c, uint8_t s, uint8_t p, uint8_t i) override {
    return in_.FindPciDeviceByClass(c, s, p, i);
  }
  bool GetPhysLong(uint32_t a, uint32_t& v) override { return in_.GetPhysLong(a, v); }
  bool SetPhysLong(uint32_t a, uint32_t v) override { return in_.SetPhysLong(a, v); }

 private:
  bool Note(const char* call, bool result) {
    journal_.push_back(std::string(call) + (result ? "" : " failed"));
    return result;
  }
  DriverAccess& in_;
  Journal& journal_;
};

class JournalingCom final : public ComApartment {
 public:
  explicit JournalingCom(Journal& journal) : journal_(journal) {}
  void Initialize() override { journal_.push_back("CoInitialize"); }
  void Uninitialize() override { journal_.push_back("CoUninitialize"); }

 private:
  Journal& journal_;
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
  RecordingWindow(Journal& journal, WindowRecord& record, std::function<void()> whileModal, bool creates = true)
      : journal_(journal), record_(record), whileModal_(std::move(whileModal)), creates_(creates) {
    journal_.push_back("window made");
  }
  ~RecordingWindow() override { journal_.push_back("window destroyed"); }
  bool Create(const std::string& title, DWORD style, DWORD exStyle) override {
    record_ = {title, style, exStyle};
    journal_.push_back(creates_ ? "Create" : "Create failed");
    return creates_;
  }
  void CenterWindow() override { journal_.push_back("CenterWindow"); }
  void MinimizeToTray() override { journal_.push_back("MinimizeToTray"); }
  void ShowModal() override {
    journal_.push_back("ShowModal");
    if (whileModal_) whileModal_();
    journal_.push_back("modal loop ended");
  }

 private:
  Journal& journal_;
  WindowRecord& record_;
  std::function<void()> whileModal_;
  bool creates_;
};

const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));

struct StartupRig {
  explicit StartupRig(const char* profile = "mcu-intel-smbus", const char* table = "accepted")
      : machine(profile),
        firmware(sim::NamedFirmwareTable(table).value()),
        driver(machine.driver, journal),
        com(journal),
        host{machine.os, driver, firmware, com, kInstance, [this] {
               return std::make_unique<RecordingWindow>(journal, window, whileModal, windowCreates);
             }} {
    machine.os.SetModulePath("C:\\VESK\\VESK.exe");
    machine.os.SetCommandHook([this](const sim::CommandRecord& command) { journal.push_back(command.commandLine); });
    machine.board.SetAccessListener([this](const sim::BoardAccess& access) {
      const bool superIo = access.kind == sim::AccessKind::PortWrite && (access.address == 0x2E || access.address == 0x2F);
      const bool chip = access.kind == sim::AccessKind::BusWrite || access.kind == sim::AccessKind::BusRead ||
                        access.kind == sim::AccessKind::BusNoAck;
      if (superIo || chip) journal.push_back(sim::Describe(access));
    });
  }
  ~StartupRig() { ui::ResetProcessWideState(); }

  int Run() {
    try {
      return RunVesk(host);
    } catch (const sim::SimulatedProcessExit& exit) {
      ended = true;
      return exit.exitCode;
    }
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
  JournalingDriver driver;
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
  for (const Case& c : {Case{1033, "Notice: Notice that VESK driver cannot be loaded !"},
                        Case{1028, "Notice: Notice that VESK driver cannot be loaded !"},
                        Case{2052, "提示: 驱动加载失败！"}}) {
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
    EXPECT_THAT(rig.journal, ElementsAreArray(std::vector<std::string>(5, "InitializeOls failed")));
    EXPECT_FALSE(rig.WindowMade());
    // The Run values were written before the drivers were tried.
    EXPECT_EQ(rig.machine.os.RegistryWrites().size(), 2u);
  }
}

TEST(StartupEnds, MemoryLibraryFailingRestartsThePortLibraryEachAttempt) {
  StartupRig twice;
  twice.machine.driver.FailMemoryLibraryInit(2);
  EXPECT_EQ(twice.Run(), 0);
  EXPECT_FALSE(twice.ended);
  EXPECT_THAT(Journal(twice.journal.begin(), twice.journal.begin() + 6),
              ElementsAre("InitializeOls", "InitializeWinIo failed", "InitializeOls", "InitializeWinIo failed",
                          "InitializeOls", "InitializeWinIo"));
  EXPECT_EQ(twice.machine.os.MessageBoxes().size(), 2u);
  EXPECT_TRUE(twice.WindowMade());
}

TEST(StartupOrder, RunValuesProbeComAndWindowInOrderWithTheTitleByLanguage) {
  for (const auto& [langId, title] : {std::pair<uint16_t, const char*>{2052, "VESK系统管理软件"},
                                      {1028, "VESK Technology Manager"}, {1033, "VESK Technology Manager"}}) {
    StartupRig rig;
    rig.machine.os.SetLangId(langId);
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.window.title, title) << langId;
    EXPECT_EQ(LangID, langId);
    const auto& writes = rig.machine.os.RegistryWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].root, RegistryRoot::CurrentUser);
    EXPECT_EQ(writes[0].subKey, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_EQ(writes[1].root, RegistryRoot::LocalMachine);
    EXPECT_EQ(writes[1].subKey, "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run");
    for (const auto& write : writes) {
      EXPECT_EQ(write.valueName, "VESK");
      EXPECT_EQ(write.data, "C:\\VESK\\VESK.exe");
    }
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
                        Case{"mcu-amd", 0, {"bus-w 0xC2 0x09 0x00"}},
                        Case{"mcu+rtc-a2-amd", 0, {"bus-w 0xC2 0x09 0x00"}}}) {
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
