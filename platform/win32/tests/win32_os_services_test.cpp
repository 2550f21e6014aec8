#include "platform/win32/win32_os_services.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/tests/win32_scratch.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace vesk::win32 {
namespace {

using testing::Exists;
using testing::GetFile;
using testing::Pattern;
using testing::PutFile;

TEST(Win32Files, ReadReplaceAndRemoveThroughAChinesePath) {
  Win32OsServices os;
  const testing::ScratchFolder folder{"定时开关机"};
  const std::string path = folder.PathUtf8("TimeSetting.bin");
  EXPECT_FALSE(os.ReadFileBytes(path, 126).has_value());

  const auto content = Pattern(200, 3);
  ASSERT_TRUE(os.ReplaceFileAtomically(path, content));
  const auto head = os.ReadFileBytes(path, 126);
  ASSERT_TRUE(head.has_value());
  EXPECT_EQ(*head, std::vector<uint8_t>(content.begin(), content.begin() + 126));
  EXPECT_EQ(os.ReadFileBytes(path, 1000), content);

  EXPECT_TRUE(os.RemoveFile(path));
  EXPECT_FALSE(Exists(ToWide(path)));
  EXPECT_FALSE(os.RemoveFile(path));

  PutFile(folder.Path("empty.bin"), {});  // no bytes, not missing
  EXPECT_EQ(os.ReadFileBytes(folder.PathUtf8("empty.bin"), 126), std::vector<uint8_t>{});
}

TEST(Win32Clock, MicrosecondDelayWaitsAtLeastItsTime) {
  Win32OsServices os;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  for (const uint32_t micros : {0u, 50u, 2500u, 20000u}) {
    QueryPerformanceCounter(&start);
    os.DelayMicroseconds(micros);
    QueryPerformanceCounter(&end);
    const double elapsed = static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                           static_cast<double>(frequency.QuadPart);
    EXPECT_GE(elapsed, micros) << micros;
    EXPECT_LT(elapsed, micros + 200'000.0) << micros;
  }
}

TEST(Win32Process, SecondClaimOfTheMutexSeesTheFirst) {
  Win32OsServices os;
  const std::string name = "VESK-test-mutex-" + std::to_string(GetCurrentProcessId());
  EXPECT_FALSE(os.CreateSingleInstanceMutex(name));
  EXPECT_TRUE(os.CreateSingleInstanceMutex(name));

  // A first instance running elevated: its mutex (an empty access list) denies this one.
  SECURITY_DESCRIPTOR denyAll;
  ACL emptyAcl;
  InitializeSecurityDescriptor(&denyAll, SECURITY_DESCRIPTOR_REVISION);
  InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
  SetSecurityDescriptorDacl(&denyAll, TRUE, &emptyAcl, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &denyAll, FALSE};
  ASSERT_NE(CreateMutexW(&attributes, FALSE, ToWide(name + "-elevated").c_str()), nullptr);
  EXPECT_TRUE(os.CreateSingleInstanceMutex(name + "-elevated"));
}

// A file another program holds open fails with the system's reason.
TEST(Win32Files, AFileThatCannotBeChangedFailsWithTheSystemsReason) {
  Win32OsServices os;
  const testing::ScratchFolder folder{"占用"};
  const std::string path = folder.PathUtf8("TimeSetting.bin");
  PutFile(ToWide(path), Pattern(126, 1));
  const UniqueHandle held{CreateFileW(ToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
  for (const FileResult& result : {os.ReplaceFileAtomically(path, Pattern(126, 2)), os.RemoveFile(path)}) {
    EXPECT_EQ(result.status, FileResult::Status::kFailed);
    EXPECT_FALSE(result.reason.empty());
  }
}

TEST(Win32Registry, WritesAStringValueUnderAThrowawayKey) {
  Win32OsServices os;
  const std::string subKey = "Software\\VESK-test\\" + std::to_string(GetCurrentProcessId()) + "\\Run";
  const std::string data = "C:\\定时开关机\\VESK.exe";
  ASSERT_TRUE(os.WriteRegistryString(RegistryRoot::CurrentUser, subKey, "VESK", data));

  DWORD type = 0;
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof value;
  const LSTATUS read = RegGetValueW(HKEY_CURRENT_USER, ToWide(subKey).c_str(), L"VESK", RRF_RT_ANY, &type, value, &size);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VESK-test");
  ASSERT_EQ(read, ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(ToUtf8(value), data);
  EXPECT_EQ(size, (ToWide(data).size() + 1) * sizeof(wchar_t));
}

// A "Cmd.exe" planted in the test program's own folder, which is also the
// current folder: the first places a search by name would look.
class PlantedCmd : public ::testing::Test {
 protected:
  void SetUp() override {
    TearDown();
    ASSERT_TRUE(CopyFileW((dir + L"" VESK_PLANTED_CMD_NAME).c_str(), planted.c_str(), FALSE));
  }
  void TearDown() override {
    for (const auto* file : {&planted, &plantedMarker, &systemMarker}) DeleteFileW(file->c_str());
  }

  Win32OsServices os;
  const std::wstring dir = ToWide(os.GetModuleDirectory());
  const std::wstring planted = dir + L"Cmd.exe";
  const std::wstring plantedMarker = dir + L"planted-cmd-ran.txt";
  const std::wstring systemMarker = dir + L"system-cmd-ran.txt";
};

TEST_F(PlantedCmd, RunHiddenRunsTheSystemCmdWithTheSameArguments) {
  const std::string command = "Cmd.exe /C echo system arguments>\"" + ToUtf8(systemMarker) + "\"";
  ASSERT_TRUE(os.RunHidden(command));
  std::vector<uint8_t> marker;
  for (int wait = 0; wait < 400 && marker.size() < 16; ++wait, ::Sleep(50)) marker = GetFile(systemMarker);
  EXPECT_EQ(std::string(marker.begin(), marker.end()).substr(0, 16), "system arguments");
  EXPECT_FALSE(Exists(plantedMarker));
}

// A "shutdown.bat" beside the program, whose folder is also the one the
// logon task starts it in: Cmd.exe looks in its working folder first. The
// working folder is written only after the system's shutdown succeeded.
TEST_F(PlantedCmd, TheShutdownCommandRunsInTheSystemFolderAndFindsTheSystemsShutdown) {
  const std::wstring batchMarker = dir + L"planted-shutdown-ran.txt";
  const std::string batch = "@echo planted>\"" + ToUtf8(batchMarker) + "\"\r\n";
  testing::PutFile(dir + L"shutdown.bat", std::vector<uint8_t>(batch.begin(), batch.end()));
  ASSERT_TRUE(SetCurrentDirectoryW(dir.c_str()));
  ASSERT_TRUE(os.RunHidden("Cmd.exe /C shutdown -a && cd>\"" + ToUtf8(systemMarker) + "\""));
  for (int wait = 0; wait < 400 && !Exists(systemMarker) && !Exists(batchMarker); ++wait) ::Sleep(50);
  ::Sleep(200);  // the marker's line is written whole
  wchar_t system[MAX_PATH] = {};
  const std::vector<uint8_t> ran = GetFile(systemMarker);
  const std::string workingFolder(ran.begin(), std::find(ran.begin(), ran.end(), '\r'));
  EXPECT_EQ(CompareStringOrdinal(ToWide(workingFolder).c_str(), -1, system, GetSystemDirectoryW(system, MAX_PATH), TRUE),
            CSTR_EQUAL) << workingFolder;
  EXPECT_FALSE(Exists(batchMarker));
  for (const std::wstring& file : {dir + L"shutdown.bat", batchMarker}) DeleteFileW(file.c_str());
}

TEST(Win32Process, ABareNameMissingFromTheSystemFolderIsNotSearchedElsewhere) {
  wchar_t system[MAX_PATH] = {};
  const std::wstring systemDir(system, GetSystemDirectoryW(system, MAX_PATH));
  EXPECT_EQ(ResolveCommandProgram(L"\"cmd\" /C exit"), systemDir + L"\\cmd.exe");
  Win32OsServices os;
  EXPECT_FALSE(os.RunHidden("vesk-no-such-program.exe /C exit"));
}

// The test runs with TZ=Europe/Berlin (see CMakeLists.txt), which Wine
// maps to Windows' "Central Europe Standard Time".
TEST(Win32Clock, OffsetFromUtcFollowsTheZonesRulesOfThatYear) {
  Win32OsServices os;
  const std::pair<LocalTime, int32_t> cases[] = {
      {{2026, 1, 0, 15, 12, 0, 0, 0}, 60},    // winter
      {{2026, 10, 0, 25, 0, 59, 0, 0}, 120},  // the last summer minute
      {{2026, 10, 0, 25, 1, 0, 0, 0}, 60},    // falling back at 01:00 UTC
      {{2027, 3, 0, 28, 1, 0, 0, 0}, 120},    // next year's spring, on its own date
  };
  for (const auto& [utc, minutes] : cases) {
    EXPECT_EQ(os.GetUtcOffsetMinutes(utc), minutes) << utc.wYear << "-" << utc.wMonth << "-" << utc.wDay;
  }
}

}  // namespace
}  // namespace vesk::win32
