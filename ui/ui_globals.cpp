#include "ui/ui_globals.h"

#include "hardware/hardware_globals.h"
#include "schedule/alarm/wake_alarm.h"
#include "ui/chat_action.h"
#include "ui/warning_wnd.h"

namespace vesk {

uint16_t LangID = 0;

namespace ui {

CDuiWarningWnd* g_WarningWnd = nullptr;

bool IsChinese(uint16_t langId) { return langId == kLangIdChinese; }

void ResetProcessWideState() {
  CDuiWarningWnd::DeleteAll();
  CChatAction::DeleteAll();
  g_WarningWnd = nullptr;
  LangID = 0;
  ResetHardwareGlobals();
  ResetAlarmGlobals();
}

NotifyIconData MakeTrayIcon(HWND owner, UINT iconResource, const std::string& tip) {
  NotifyIconData icon{};
  icon.cbSize = kNotifyIconDataSize;
  icon.hWnd = owner;
  icon.uID = 0;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = WM_TRAYNOTIFY;
  icon.hIcon = GetShell().LoadIconResource(iconResource);
  icon.szTip = tip;
  return icon;
}

}  // namespace ui
}  // namespace vesk
