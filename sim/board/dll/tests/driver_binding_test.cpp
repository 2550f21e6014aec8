// The Windows binding of the driver libraries, end to end under Wine: it
// loads the stand-in libraries beside this program by full path, and the
// program's own bus and chip code finds the simulated chip through them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "hardware/hardware_globals.h"
#include "hardware/bus_lock.h"
#include "hardware/smbus_control.h"
#include "hardware/wake_chip.h"
#include "hardware/win32/win_driver_libraries.h"
#include "platform/win32/shared_mutexes.h"

namespace vesk {
namespace {

// Real waits and the real clock, as the product has them on Windows;
// commands are only recorded.
class RealTimeOs final : public OsServices {
 public:
  LocalTime GetLocalTime() override {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
  }
  LocalTime GetSystemTime() override { return GetLocalTime(); }
  int32_t GetUtcOffsetMinutes(const LocalTime&) override { return 0; }
  uint64_t GetTickCount64() override { return ::GetTickCount64(); }
  uint16_t GetSystemDefaultLangID() override { return ::GetSystemDefaultLangID(); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
  // Whole milliseconds, never shorter than asked: the board only needs the time to have passed.
  void DelayMicroseconds(uint32_t microseconds) override { ::Sleep((microseconds + 999) / 1000); }
  std::string GetModulePath() override { return {}; }
  std::string GetModuleDirectory() override { return {}; }
  std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string&, std::size_t) override { return {}; }
  FileResult ReplaceFileAtomically(const std::string&, std::span<const uint8_t>) override { return FileResult::Failed({}); }
  FileResult RemoveFile(const std::string&) override { return FileResult::Missing(); }
  int ShowMessageBox(const std::string&, const std::string&, unsigned) override { return kIdOk; }
  int ShowTimedMessageBox(const std::string&, const std::string&, unsigned, uint16_t, uint32_t) override {
    return kIdTimeout;
  }
  bool RunHidden(const std::string& commandLine) override {
    commands.push_back(commandLine);
    return true;
  }
  void DebugOutput(const std::string&) override {}
  bool CreateSingleInstanceMutex(const std::string&) override { return false; }
  bool WriteRegistryString(RegistryRoot, const std::string&, const std::string&, const std::string&) override {
    return false;
  }
  [[noreturn]] void EndProcess(int exitCode) override { ExitProcess(static_cast<UINT>(exitCode)); }
  // The bus locks are the product's own, kernel mutexes shared by name.
  LockWait AcquireNamedLock(const std::string& name, uint32_t timeoutMs) override {
    return mutexes.Acquire(name, timeoutMs);
  }
  void ReleaseNamedLock(const std::string& name) override { mutexes.Release(name); }

  std::vector<std::string> commands;
  win32::SharedMutexes mutexes;
};

// Each test picks its board; the libraries are loaded afresh by each
// binding and unloaded when it goes, so the next one sees a new board.
class DriverBinding : public ::testing::Test {
 protected:
  static void Board(const wchar_t* profile, const wchar_t* failure = nullptr) {
    SetEnvironmentVariableW(L"VESK_SIM_BOARD", profile);
    SetEnvironmentVariableW(L"VESK_SIM_DRIVER_FAIL", failure);
  }
  void TearDown() override {
    ResetHardwareGlobals();
    Board(nullptr);
  }
  RealTimeOs os;
};

TEST_F(DriverBinding, FindsTheChipThroughTheLibrariesInEitherBusMode) {
  struct Case {
    const wchar_t* profile;
    int mode;
    int smbusBase;  // on Braswell found by class search and register 0x20
    uint32_t chip;
  };
  for (const Case& c : {Case{L"mcu-intel-i2c", kControllerModeI2c, 0, kMcuAddress},
                        Case{L"rtc-d0-intel-smbus", kControllerModeSmbus, 0xF040, kRtcAddressD0},
                        Case{L"none-amd", kControllerModeSmbus, 0x0B20, kNoWakeChip}}) {
    Board(c.profile);
    WinDriverLibraries libraries;
    ASSERT_TRUE(StartDrivers(libraries));
    BindHardware(libraries, os);
    EXPECT_EQ(g_Bus.Init(), c.mode);
    EXPECT_EQ(g_Bus.SmbusBase(), c.smbusBase);
    EXPECT_EQ(DetectWakeChip(), c.chip);
    if (c.chip == kMcuAddress) {  // data goes both ways, through physical memory
      EXPECT_EQ(g_Bus.WriteByteData(0xC2, mcu::kWakeMinute, 42), 1);
      uint8_t value = 0;
      EXPECT_EQ(g_Bus.ReadByteData(0xC2, mcu::kWakeMinute, value), 1);
      EXPECT_EQ(value, 42);
    }
    EXPECT_TRUE(os.commands.empty());
    ReleaseDrivers(libraries);
    ResetHardwareGlobals();
  }
}

// Another program's thread opens the SMBus lock by name through a handle of
// its own and takes it; it gives it back when `release` is set, or ends
// holding it when it is not (the lock is then abandoned).
std::thread OtherToolHolding(HANDLE taken, HANDLE release) {
  return std::thread([=] {
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Global\\Access_SMBUS.HTP.Method");
    if (mutex != nullptr) WaitForSingleObject(mutex, INFINITE);
    SetEvent(taken);
    if (mutex != nullptr && release != nullptr && WaitForSingleObject(release, INFINITE) == WAIT_OBJECT_0) {
      ReleaseMutex(mutex);
    }
  });
}

TEST_F(DriverBinding, TransfersWaitForTheSmbusLockOfOtherTools) {
  Board(L"mcu-amd");
  WinDriverLibraries libraries;
  ASSERT_TRUE(StartDrivers(libraries));
  CSMBusControl bus{libraries, os};
  bus.Init();  // makes the lock under its shared name
  const HANDLE taken = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const HANDLE release = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  uint8_t value = 0;
  for (const uint8_t minute : {uint8_t{17}, uint8_t{18}}) {
    std::thread holder = OtherToolHolding(taken, minute == 17 ? release : nullptr);
    WaitForSingleObject(taken, INFINITE);
    if (minute == 17) {
      const ULONGLONG start = GetTickCount64();
      EXPECT_EQ(bus.WriteByteData(0xC2, mcu::kWakeMinute, minute), 0);  // the bounded wait ran out
      EXPECT_GE(GetTickCount64() - start + 20, kBusLockWaitMs);          // the system's tick is coarse
      SetEvent(release);
    }
    holder.join();
    EXPECT_EQ(bus.WriteByteData(0xC2, mcu::kWakeMinute, minute), 1);  // released, or abandoned: taken
    EXPECT_EQ(bus.ReadByteData(0xC2, mcu::kWakeMinute, value), 1);
    EXPECT_EQ(value, minute);
  }
  CloseHandle(taken);
  CloseHandle(release);
  ReleaseDrivers(libraries);
}

TEST_F(DriverBinding, FailedMemoryLibraryStartIsReported) {
  Board(L"mcu-amd", L"winio");
  WinDriverLibraries libraries;
  EXPECT_TRUE(libraries.InitializeOls());
  EXPECT_FALSE(libraries.InitializeWinIo());
  EXPECT_FALSE(StartDrivers(libraries));
}

TEST_F(DriverBinding, LibrariesAreNeverSearchedForOutsideTheGivenFolder) {
  // The libraries sit beside this program, first in the search order; a
  // binding told to use another folder must still not find them.
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  WinDriverLibraries elsewhere{std::wstring(temp)};
  EXPECT_FALSE(elsewhere.InitializeOls());
  EXPECT_FALSE(elsewhere.InitializeWinIo());
  WinDriverLibraries relative{L"."};
  EXPECT_FALSE(relative.InitializeOls());
  // Operations on a library that never loaded do nothing.
  uint8_t value = 0x5A;
  EXPECT_FALSE(elsewhere.ReadIoPortByteEx(0x2E, value));
  EXPECT_EQ(value, 0x5A);
  EXPECT_EQ(elsewhere.FindPciDeviceByClass(0x06, 0x01, 0x00, 0), kPciNoDevice);
}

}  // namespace
}  // namespace vesk
