// The entry routine's main window: the program's CDuiFrameWnd.
#include "app/startup.h"
#include "ui/frame_wnd.h"

namespace vesk {

namespace {

class FrameWindow final : public MainWindow {
 public:
  FrameWindow(OsServices& os, DriverAccess& driver, WakeAlarm::CheckListener onWakeCheck)
      : frame_(os, driver, std::move(onWakeCheck)) {}

  bool Create(const std::string& title, DWORD style, DWORD exStyle) override {
    return frame_.Create(nullptr, title.c_str(), style, exStyle) != nullptr;
  }
  void CenterWindow() override { frame_.CenterWindow(); }
  void MinimizeToTray() override { frame_.MinimizeToTray(); }
  void ShowModal() override { frame_.ShowModal(); }

 private:
  ui::CDuiFrameWnd frame_;
};

}  // namespace

std::unique_ptr<MainWindow> MakeFrameWindow(OsServices& os, DriverAccess& driver,
                                            std::function<void(WakeCheck)> onWakeCheck) {
  return std::make_unique<FrameWindow>(os, driver, std::move(onWakeCheck));
}

}  // namespace vesk
