// The main window's side of a wake-up that must be right: a chip that does
// not take the wake-up is reported to the user, once until it does again,
// and to the history at the start and the end of a spell of failures.
#include "ui/frame_wnd.h"
#include "ui/history_events.h"

namespace vesk::ui {
namespace {

struct WakeNotice {
  const char* caption;
  const char* text;
};
constexpr WakeNotice kWakeNoticeChinese{"提示", "下次开机时间未能写入唤醒芯片！VESK会继续尝试。"};
constexpr WakeNotice kWakeNoticeEnglish{
    "Notice", "The next power-on time could not be written into the wake-up chip ! VESK keeps trying."};

}  // namespace

// A chip that keeps failing is tried at every refresh; the history and the
// event log get the spell's start and its end, not every try.
void CDuiFrameWnd::NoteWakeCheck(std::optional<WakeCheck> result) {
  if (!result) return;
  if (*result == WakeCheck::Failed) {
    if (m_WakeChecksFailed++ == 0) RecordWakeCheck(*result);
    if (!m_WakeNoticeShown) m_WakeNoticePending = true;
    return;
  }
  RecordWakeCheck(*result, m_WakeChecksFailed);
  m_WakeChecksFailed = 0;
  m_WakeNoticePending = false;
  m_WakeNoticeShown = false;
}

void CDuiFrameWnd::ShowWakeNoticeIfDue() {
  if (!m_WakeNoticePending) return;
  m_WakeNoticePending = false;
  m_WakeNoticeShown = true;
  const WakeNotice& notice = IsChinese(LangID) ? kWakeNoticeChinese : kWakeNoticeEnglish;
  os_.ShowMessageBox(notice.text, notice.caption, kMbIconError);
}

}  // namespace vesk::ui
