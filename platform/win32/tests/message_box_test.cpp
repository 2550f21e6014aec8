// Message boxes on a real (Wine) desktop: a helper thread finds the box by its
// caption, reads it and presses its button, as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32/timed_message_box.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os_services.h"

namespace vesk::win32 {
namespace {

// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

HWND WaitForBox(const std::wstring& caption, DWORD timeoutMs) {
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < until) {
    if (const HWND box = FindWindowW(L"#32770", caption.c_str())) return box;
    ::Sleep(20);
  }
  return nullptr;
}

std::wstring TextOf(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, kMessageTextId, text, 512);
  return text;
}

struct Answer {
  std::wstring seenText;
  bool found = false;
};

// Presses OK on the box with `caption` after `delayMs` once it is up.
std::thread AnswerLater(const std::wstring& caption, DWORD delayMs, Answer& answer) {
  return std::thread([caption, delayMs, &answer] {
    const HWND box = WaitForBox(caption, 15'000);
    if (!box) return;
    answer.found = true;
    answer.seenText = TextOf(box);
    ::Sleep(delayMs);
    if (IsWindow(box)) PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
}

TEST(TimedMessageBox, ClosesItselfAfterItsTimeoutAndAnswersTimeout) {
  Win32OsServices os;
  const ULONGLONG start = GetTickCount64();
  const int answer = os.ShowTimedMessageBox("The computer will automatically shutdown within 5 minutes",
                                            "VESK timed box", kMbIconError, 1033, 800);
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_EQ(answer, kIdTimeout);
  EXPECT_GE(elapsed, 700u);
  EXPECT_LT(elapsed, 10'000u);
  EXPECT_EQ(FindWindowW(L"#32770", L"VESK timed box"), nullptr);
}

TEST(TimedMessageBox, ChineseBoxShowsItsTextAndAnAnswerBeforeTheTimeoutWins) {
  Win32OsServices os;
  Answer seen;
  std::thread user = AnswerLater(ToWide("提醒"), 100, seen);
  const ULONGLONG start = GetTickCount64();
  const int answer = os.ShowTimedMessageBox("将在五分钟内关机", "提醒", kMbIconError, kLangIdChinese, 30'000);
  const ULONGLONG elapsed = GetTickCount64() - start;
  user.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.seenText, ToWide("将在五分钟内关机"));
  EXPECT_EQ(answer, kIdOk);
  EXPECT_LT(elapsed, 20'000u);
}

TEST(TimedMessageBox, AnAnsweredBoxLeavesNoTimerForLaterBoxes) {
  Win32OsServices os;
  Answer first;
  std::thread user = AnswerLater(L"VESK first", 0, first);
  EXPECT_EQ(os.ShowTimedMessageBox("first", "VESK first", kMbOk, 1033, 1500), kIdOk);
  user.join();

  // A plain box up well past the first box's timeout is closed only by its user.
  Answer later;
  user = AnswerLater(L"VESK later", 3000, later);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(os.ShowMessageBox("later", "VESK later", kMbOk), kIdOk);
  EXPECT_GE(GetTickCount64() - start, 2500u);
  user.join();
}

struct NestedRun {
  int innerAnswer = 0;
  ULONGLONG innerElapsed = 0;
};
NestedRun* g_nested = nullptr;

void CALLBACK OpenInnerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  const ULONGLONG start = GetTickCount64();
  g_nested->innerAnswer = TimedMessageBox(L"inner", L"VESK inner", MB_OK, 1033, 500);
  g_nested->innerElapsed = GetTickCount64() - start;
}

TEST(TimedMessageBox, NestedBoxesEachCloseOnlyThemselves) {
  // A timer that fires while the outer box is up opens a second timed box,
  // as the program's own timers can.
  NestedRun run;
  g_nested = &run;
  SetTimer(nullptr, 0, 200, &OpenInnerBox);
  const ULONGLONG start = GetTickCount64();
  const int outer = TimedMessageBox(L"outer", L"VESK outer", MB_OK, 1033, 6000);
  const ULONGLONG outerElapsed = GetTickCount64() - start;
  g_nested = nullptr;
  // Closing a box takes up to 2 s more under Wine without a window manager.
  EXPECT_EQ(run.innerAnswer, kTimedOutAnswer);
  EXPECT_GE(run.innerElapsed, 400u);
  EXPECT_LT(run.innerElapsed, 4000u);
  EXPECT_EQ(outer, kTimedOutAnswer);
  EXPECT_GE(outerElapsed, 5800u);
}

TEST(PlainMessageBox, ShowsUtf8CaptionAndTextAndReturnsTheButton) {
  Win32OsServices os;
  Answer seen;
  std::thread user = AnswerLater(ToWide("提醒"), 0, seen);
  const int answer = os.ShowMessageBox("第1天\n设置的时间段有重叠冲突！", "提醒", kMbOk | kMbIconError);
  user.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.seenText, ToWide("第1天\n设置的时间段有重叠冲突！"));
  EXPECT_EQ(answer, kIdOk);
}

}  // namespace
}  // namespace vesk::win32
