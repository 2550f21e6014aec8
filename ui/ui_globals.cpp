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
  ResetWakeAlarmRecord();
}

}  // namespace ui
}  // namespace vesk
