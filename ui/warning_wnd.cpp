#include "ui/warning_wnd.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "history/history.h"
#include "platform/calendar.h"
#include "resources/resource.h"

namespace vesk::ui {
namespace {

constexpr const char* kSkinFileChinese = "WarnWnd.xml";
constexpr const char* kSkinFileEnglish = "WarnWndE.xml";

constexpr const char* kCloseButton = "closebtn";
constexpr const char* kAcceptButton = "btnOk";
constexpr const char* kDelayButton = "btnDelay";
constexpr const char* kCancelButton = "btnCancel";
constexpr const char* kDelayHourList = "DelayHour";
constexpr const char* kDelayMinuteList = "DelayMinute";

constexpr UINT kCloseCode = 1;
// The longest postponement the message to the main window carries.
constexpr unsigned kMaxDelayMinutes = 0xFFFF;

struct Texts {
  const char* caption;
  const char* mainGone;
  const char* noDelay;
  const char* trayTip;
  const char* exitItem;
};
constexpr Texts kChinese{"提醒", "主程序已停止运行！", "未设置需要延迟的时间！", "关机提醒", "退出"};
constexpr Texts kEnglish{"Notice", "The VESK technology manager has stopped running !", "Not set delay time !",
                         "Notice", "exit"};
const Texts& TextsFor(uint16_t langId) { return IsChinese(langId) ? kChinese : kEnglish; }

std::vector<const CDuiWarningWnd*>& LiveWindows() {
  static std::vector<const CDuiWarningWnd*> live;
  return live;
}

// A list without a selection counts as 0.
unsigned ListValue(const CComboUI* list) {
  return list && list->GetCurSel() > 0 ? static_cast<unsigned>(list->GetCurSel()) : 0;
}

}  // namespace

CDuiWarningWnd::CDuiWarningWnd(OsServices& os) : os_(os) { LiveWindows().push_back(this); }

CDuiWarningWnd::~CDuiWarningWnd() {
  DetachFromSystem();
  auto& live = LiveWindows();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (g_WarningWnd == this) g_WarningWnd = nullptr;
}

bool CDuiWarningWnd::IsLive(const CDuiWarningWnd* window) {
  const auto& live = LiveWindows();
  return std::find(live.begin(), live.end(), window) != live.end();
}

void CDuiWarningWnd::DeleteAll() {
  while (!LiveWindows().empty()) delete LiveWindows().back();
}

CDuiString CDuiWarningWnd::GetSkinFile() {
  return IsChinese(os_.GetSystemDefaultLangID()) ? kSkinFileChinese : kSkinFileEnglish;
}

std::vector<RequiredControl> CDuiWarningWnd::GetRequiredControls() const {
  return {{kCloseButton, ControlKind::Button},   {kAcceptButton, ControlKind::Button},
          {kDelayButton, ControlKind::Button},   {kCancelButton, ControlKind::Button},
          {kDelayHourList, ControlKind::Combo}, {kDelayMinuteList, ControlKind::Combo}};
}

void CDuiWarningWnd::InitWindow() {
  if (CControlUI* close = m_PaintManager.FindControl(kCloseButton)) close->SetFocus();
  LangID = os_.GetSystemDefaultLangID();
}

LRESULT CDuiWarningWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
  if (uMsg == WM_COMMAND && wParam == ID_TRAY_EXIT) {
    Close(kCloseCode);
  } else if (uMsg == WM_TRAYNOTIFY) {
    OnTrayIcon(wParam, lParam);
  }
  return result;
}

// However the window goes, its icon goes with it.
LRESULT CDuiWarningWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  RemoveTrayIcon();
  bHandled = FALSE;
  return 0;
}

void CDuiWarningWnd::OnFinalMessage(HWND /*hWnd*/) { delete this; }

void CDuiWarningWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender) {
    const CDuiString& sender = msg.pSender->GetName();
    if (sender == kAcceptButton) {
      Close(kCloseCode);
    } else if (sender == kDelayButton) {
      OnDelayClick();
    } else if (sender == kCancelButton) {
      OnCancelClick();
    }
  }
  WindowImplBase::Notify(msg);
}

HWND CDuiWarningWnd::FindMainWindow() {
  const HWND main = GetShell().FindWindow(kMainWindowClass, nullptr);
  if (!main) {
    const Texts& texts = TextsFor(LangID);
    os_.ShowMessageBox(texts.mainGone, texts.caption, kMbIconError);
  }
  return main;
}

void CDuiWarningWnd::OnDelayClick() {
  const HWND main = FindMainWindow();
  if (!main) return;
  const unsigned hours = ListValue(m_PaintManager.FindControl<CComboUI>(kDelayHourList));
  const unsigned minutes = ListValue(m_PaintManager.FindControl<CComboUI>(kDelayMinuteList));
  const unsigned delay = std::min(hours * kMinutesPerHour + minutes, kMaxDelayMinutes);
  if (delay == 0) {
    const Texts& texts = TextsFor(LangID);
    os_.ShowMessageBox(texts.noDelay, texts.caption, kMbIconError);
    return;
  }
  GetShell().SendMessage(main, WM_DELAYSHUTDOWN, 0, static_cast<LPARAM>(delay));
  Close(kCloseCode);
}

void CDuiWarningWnd::OnCancelClick() {
  const HWND main = FindMainWindow();
  if (!main) return;
  history::Record("cancel", {{"from", "warning"}});
  GetShell().SendMessage(main, WM_CLEARSCHEDULE, 0, 0);
  Close(kCloseCode);
}

// ------------------------------------------------------ notification area

void CDuiWarningWnd::MinimizeToTray() {
  Shell& shell = GetShell();
  shell.NotifyIcon(NIM_DELETE, m_TrayIcon);
  m_TrayIcon = MakeTrayIcon(m_hWnd, IDI_VESK_WARNING, TextsFor(LangID).trayTip);
  shell.NotifyIcon(NIM_ADD, m_TrayIcon);
  ShowWindow(false);
}

void CDuiWarningWnd::RemoveTrayIcon() {
  if (m_TrayIcon.hWnd) GetShell().NotifyIcon(NIM_DELETE, m_TrayIcon);
}

LRESULT CDuiWarningWnd::OnTrayIcon(WPARAM /*wParam*/, LPARAM lParam) {
  Shell& shell = GetShell();
  switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDBLCLK:
      shell.NotifyIcon(NIM_DELETE, m_TrayIcon);
      ShowWindow(true, true);
      break;
    case WM_RBUTTONUP: {
      // Its item sends WM_COMMAND 1, which closes this window only.
      PopupMenu menu;
      menu.AppendItem(ID_TRAY_EXIT, TextsFor(LangID).exitItem);
      const POINT cursor = shell.GetCursorPos();
      shell.SetForegroundWindow(m_hWnd);
      shell.TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, m_hWnd);
      break;
    }
    default: break;
  }
  return 0;
}

}  // namespace vesk::ui
