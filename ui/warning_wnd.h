#pragma once
// The shutdown warning: made hidden five minutes before a shutdown, with an
// icon of its own in the notification area. Opened from that icon, it lets
// the user accept the shutdown, postpone it by hours and minutes, or cancel
// the timetable. It reaches the main window only through the window class
// name and two private messages, and frees itself when its window is gone.
#include <string>

#include "platform/os_services.h"
#include "ui/framework/shell.h"
#include "ui/framework/window.h"
#include "ui/ui_globals.h"

namespace vesk::ui {

class CDuiWarningWnd : public WindowImplBase {
 public:
  // Made with new; the object deletes itself after its window is destroyed.
  explicit CDuiWarningWnd(OsServices& os);
  ~CDuiWarningWnd() override;

  const char* GetWindowClassName() const override { return kWarningWindowClass; }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;
  void InitWindow() override;
  CDuiString GetSkinFolder() override { return kSkinFolder; }
  CDuiString GetSkinFile() override;
  std::vector<RequiredControl> GetRequiredControls() const override;
  LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void Notify(TNotifyUI& msg) override;

  void MinimizeToTray();
  LRESULT OnTrayIcon(WPARAM wParam, LPARAM lParam);
  // Takes the window's icon out of the notification area, if it is there.
  void RemoveTrayIcon();

  // Whether the object still exists (it may have freed itself), and the
  // release of every one left over when a simulated process ends.
  static bool IsLive(const CDuiWarningWnd* window);
  static void DeleteAll();

 private:
  void OnDelayClick();
  void OnCancelClick();
  HWND FindMainWindow();

  OsServices& os_;
  NotifyIconData m_TrayIcon{};
};

}  // namespace vesk::ui
