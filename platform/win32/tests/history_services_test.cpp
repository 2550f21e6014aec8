// What the program's history needs of Windows: appending to and renaming its
// file, entries in the Application event log, and the text viewer.
#include <gtest/gtest.h>

#include "platform/win32/tests/win32_scratch.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os_services.h"

namespace vesk::win32 {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Win32History, AppendsThenRenamesOverAnOlderFile) {
  Win32OsServices os;
  const testing::ScratchFolder folder{"历史"};
  const std::string log = folder.PathUtf8("VESK.log"), older = folder.PathUtf8("VESK.old.log");
  testing::PutFile(ToWide(older), Bytes("old\n"));
  ASSERT_TRUE(os.AppendToFile(log, Bytes("one\n")) && os.AppendToFile(log, Bytes("two\n")));
  ASSERT_TRUE(os.RenameFileReplacing(log, older));
  EXPECT_FALSE(testing::Exists(ToWide(log)));
  EXPECT_EQ(testing::GetFile(ToWide(older)), Bytes("one\ntwo\n"));
}

// Wine's event log takes the entries (to its debug channel) but keeps none
// to read back, so only the report itself can be seen here.
TEST(Win32History, EventLogTakesEntriesOfBothKinds) {
  Win32OsServices os;
  EXPECT_TRUE(os.ReportToEventLog(EventLogType::Error, 132, "history-test no-chip"));
  EXPECT_TRUE(os.ReportToEventLog(EventLogType::Information, 120, "history-test wakeup"));
}

TEST(Win32History, TheViewerShowsTheFile) {
  Win32OsServices os;
  const testing::ScratchFolder folder{"viewer"};
  const std::wstring name = L"VESK-" + std::to_wstring(GetCurrentProcessId()) + L".log";
  testing::PutFile(folder.Path(ToUtf8(name)), Bytes("2026-12-07T07:00:00+00:00 start\n"));
  ASSERT_TRUE(os.OpenInViewer(folder.PathUtf8(ToUtf8(name))));
  static HWND viewer;
  static std::wstring wanted;
  wanted = name;
  for (int i = 0; i < 200 && viewer == nullptr; ++i) {
    Sleep(50);
    EnumWindows(
        [](HWND window, LPARAM) -> BOOL {
          wchar_t title[256] = {};
          GetWindowTextW(window, title, 256);
          if (std::wstring(title).find(wanted) != std::wstring::npos) viewer = window;
          return viewer == nullptr;
        },
        0);
  }
  ASSERT_NE(viewer, nullptr) << "no window shows the file";
  PostMessageW(viewer, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace vesk::win32
