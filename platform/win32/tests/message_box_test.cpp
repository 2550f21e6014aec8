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

struct Answer {
  std::wstring seenText;
  bool found = false;
};

// Waits up to 15 s for the box with `caption`, reads its text and presses
// OK `delayMs` later.
std::thread AnswerLater(const std::wstring& caption, DWORD delayMs, Answer& answer) {
  return std::thread([caption, delayMs, &answer] {
    HWND box = nullptr;
    for (const ULONGLONG until = GetTickCount64() + 15'000; !box && GetTickCount64() < until; ::Sleep(20)) {
      box = FindWindowW(L"#32770", caption.c_str());
    }
    if (!box) return;
    answer.found = true;
    wchar_t text[512] = {};
    GetDlgItemTextW(box, kMessageTextId, text, 512);
    answer.seenText = text;
    ::Sleep(delayMs);
    if (IsWindow(box)) PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
}

// With its timer, or without when that cannot be set, a box closes itself in time.
TEST(TimedMessageBox, ClosesItselfAfterItsTimeoutAndAnswersTimeout) {
  Win32OsServices os;
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(os.ShowTimedMessageBox("The computer will automatically shutdown within 5 minutes", "VESK timed box",
                                   kMbIconError, 1033, 800),
            kIdTimeout);
  EXPECT_GE(GetTickCount64() - start, 700u);
  EXPECT_EQ(FindWindowW(L"#32770", L"VESK timed box"), nullptr);
  start = GetTickCount64();
  TimedBoxCalls noTimer;
  noTimer.setTimer = [](HWND, UINT_PTR, UINT, TIMERPROC) -> UINT_PTR { return 0; };
  EXPECT_EQ(TimedMessageBox(L"no timer", L"VESK no timer", MB_OK, 1033, 500, noTimer), kTimedOutAnswer);
  EXPECT_LT(GetTickCount64() - start, 10'000u);
  EXPECT_EQ(FindWindowW(L"#32770", L"VESK no timer"), nullptr);
}

// A Chinese timed box answered before its timeout, and a plain box: both
// show their UTF-8 texts and return the button.
TEST(MessageBoxes, ShowUtf8CaptionAndTextAndReturnTheButton) {
  Win32OsServices os;
  const std::string timedText = "将在五分钟内关机", plainText = "第1天\n设置的时间段有重叠冲突！";
  for (const bool timed : {true, false}) {
    Answer seen;
    std::thread user = AnswerLater(ToWide("提醒"), 100, seen);
    const int answer = timed ? os.ShowTimedMessageBox(timedText, "提醒", kMbIconError, kLangIdChinese, 30'000)
                             : os.ShowMessageBox(plainText, "提醒", kMbOk | kMbIconError);
    user.join();
    ASSERT_TRUE(seen.found) << timed;
    EXPECT_EQ(seen.seenText, ToWide(timed ? timedText : plainText));
    EXPECT_EQ(answer, kIdOk);
  }
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

int g_innerAnswer = 0;
ULONGLONG g_innerElapsed = 0;

void CALLBACK OpenInnerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  const ULONGLONG start = GetTickCount64();
  g_innerAnswer = TimedMessageBox(L"inner", L"VESK inner", MB_OK, 1033, 500);
  g_innerElapsed = GetTickCount64() - start;
}

TEST(TimedMessageBox, NestedBoxesEachCloseOnlyThemselves) {
  // A timer that fires while the outer box is up opens a second timed box,
  // as the program's own timers can.
  SetTimer(nullptr, 0, 200, &OpenInnerBox);
  const ULONGLONG start = GetTickCount64();
  const int outer = TimedMessageBox(L"outer", L"VESK outer", MB_OK, 1033, 6000);
  const ULONGLONG outerElapsed = GetTickCount64() - start;
  // Closing a box takes up to 2 s more under Wine without a window manager.
  EXPECT_EQ(g_innerAnswer, kTimedOutAnswer);
  EXPECT_GE(g_innerElapsed, 400u);
  EXPECT_LT(g_innerElapsed, 4000u);
  EXPECT_EQ(outer, kTimedOutAnswer);
  EXPECT_GE(outerElapsed, 5800u);
}

}  // namespace
}  // namespace vesk::win32
