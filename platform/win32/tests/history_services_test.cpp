// What the program's history needs of Windows: appending to and renaming its
// file, entries in the Application event log, and the text viewer.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/tests/win32_scratch.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os_services.h"

namespace vesk::win32 {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Win32History, AppendsAndRenamesOverAnOlderFile) {
  Win32OsServices os;
  const testing::ScratchFolder folder{"历史"};
  const std::string log = folder.PathUtf8("VESK.log");
  const std::string older = folder.PathUtf8("VESK.old.log");
  ASSERT_TRUE(os.AppendToFile(log, Bytes("one\n")));
  ASSERT_TRUE(os.AppendToFile(log, Bytes("two\n")));
  EXPECT_EQ(testing::GetFile(ToWide(log)), Bytes("one\ntwo\n"));
  testing::PutFile(ToWide(older), Bytes("old\n"));
  ASSERT_TRUE(os.RenameFileReplacing(log, older));
  EXPECT_FALSE(testing::Exists(ToWide(log)));
  EXPECT_EQ(testing::GetFile(ToWide(older)), Bytes("one\ntwo\n"));
  EXPECT_FALSE(os.AppendToFile(folder.PathUtf8("missing\\VESK.log"), Bytes("x\n")));
}

// The entries of source "VESK" in the Application log whose text holds the
// marker, newest first, as "type text".
std::vector<std::wstring> ReadBack(const std::wstring& marker) {
  std::vector<std::wstring> found;
  const HANDLE log = OpenEventLogW(nullptr, L"Application");
  if (log == nullptr) return found;
  std::vector<BYTE> buffer(64 * 1024);
  DWORD read = 0;
  DWORD needed = 0;
  while (ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 0, buffer.data(),
                       static_cast<DWORD>(buffer.size()), &read, &needed)) {
    for (DWORD at = 0; at < read;) {
      const auto* record = reinterpret_cast<const EVENTLOGRECORD*>(buffer.data() + at);
      const auto* source = reinterpret_cast<const wchar_t*>(record + 1);
      const auto* text = reinterpret_cast<const wchar_t*>(buffer.data() + at + record->StringOffset);
      if (std::wstring(source) == kEventSourceName && std::wstring(text).find(marker) != std::wstring::npos) {
        found.push_back(std::to_wstring(record->EventType) + L" " + text);
      }
      at += record->Length;
    }
  }
  CloseEventLog(log);
  return found;
}

TEST(Win32History, EventLogEntriesAreWrittenAndReadBack) {
  Win32OsServices os;
  const std::string marker = "history-test-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(os.ReportToEventLog(EventLogType::Error, marker + " driver-failed attempt=1"));
  ASSERT_TRUE(os.ReportToEventLog(EventLogType::Information, marker + " wakeup at=\"1 07:30\""));
  const auto found = ReadBack(ToWide(marker));
  // Wine's event log takes the entries (to its debug channel) but keeps
  // none to read back; Windows gives both, newest first.
  if (found.empty() && GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    return;
  }
  EXPECT_EQ(found, (std::vector<std::wstring>{L"4 " + ToWide(marker) + L" wakeup at=\"1 07:30\"",
                                              L"1 " + ToWide(marker) + L" driver-failed attempt=1"}));
}

HWND WindowTitled(const std::wstring& part) {
  struct Search {
    std::wstring part;
    HWND found = nullptr;
  } search{part};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        if (std::wstring(title).find(s.part) == std::wstring::npos) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(Win32History, TheViewerOpensTheFile) {
  Win32OsServices os;
  const testing::ScratchFolder folder{"viewer"};
  const std::string name = "VESK-" + std::to_string(GetCurrentProcessId()) + ".log";
  testing::PutFile(folder.Path(name), Bytes("2026-12-07T07:00:00+00:00 start\n"));
  ASSERT_TRUE(os.OpenInViewer(folder.PathUtf8(name)));
  HWND viewer = nullptr;
  for (int i = 0; i < 200 && viewer == nullptr; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    viewer = WindowTitled(ToWide(name));
  }
  ASSERT_NE(viewer, nullptr) << "no window shows " << name;
  PostMessageW(viewer, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace vesk::win32
