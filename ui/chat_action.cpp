#include "ui/chat_action.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "ui/framework/shell.h"

namespace vesk::ui {
namespace {

std::vector<const CChatAction*>& LiveNotices() {
  static std::vector<const CChatAction*> live;
  return live;
}

}  // namespace

CChatAction::CChatAction(std::string text) : CDialog(IDD_NOTICE), m_Text(std::move(text)) {
  LiveNotices().push_back(this);
}

CChatAction::~CChatAction() {
  auto& live = LiveNotices();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

bool CChatAction::IsLive(const CChatAction* notice) {
  const auto& live = LiveNotices();
  return std::find(live.begin(), live.end(), notice) != live.end();
}

void CChatAction::DeleteAll() {
  while (!LiveNotices().empty()) delete LiveNotices().back();
}

// Right-aligned just below the bottom edge of the screen, then rising.
BOOL CChatAction::OnInitDialog() {
  const SIZE screen = GetShell().GetDisplaySize();
  const RECT own = GetWindowRect();
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  m_ScreenHeight = screen.cy;
  m_Rect = {screen.cx - width, screen.cy, screen.cx, screen.cy + height};
  MoveWindow(m_Rect);
  SetDlgItemText(IDC_NOTICE_BUTTON, m_Text + "!");
  SetTimer(kSlideTimer, kSlidePeriodMs);
  return TRUE;
}

void CChatAction::OnTimer(UINT_PTR id) {
  if (id != kSlideTimer) return;
  m_Rect.top -= kSlideStep;
  m_Rect.bottom -= kSlideStep;
  MoveWindow(m_Rect);
  if (m_Rect.top < m_ScreenHeight - kRiseLimit) KillTimer(kSlideTimer);
}

void CChatAction::PostNcDestroy() { delete this; }

}  // namespace vesk::ui
