// vesk-skin-preview: shows one skin with the Win32 backend, filled the way
// the program fills it on a working day, so that the skins can be looked
// at (and photographed by scripts/screenshot-skins.sh) without a board.
//
//   vesk-skin-preview.exe SKIN.xml [--seconds N] [--notice]
//
// SKIN.xml is looked up in the folder "skin" beside the executable. The
// window closes itself after N seconds (default 30). --notice also shows
// the sliding notice at the place where it comes to rest.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32_os_services.h"
#include "resources/resource.h"
#include "ui/framework/dialog.h"
#include "ui/framework/win32/win32_desktop.h"
#include "ui/framework/window.h"

using namespace vesk::ui;

namespace {

constexpr UINT_PTR kCloseTimer = 1;

class PreviewWindow : public WindowImplBase {
 public:
  explicit PreviewWindow(std::string skin) : skin_(std::move(skin)) {}
  const char* GetWindowClassName() const override { return "VESKSkinPreview"; }
  CDuiString GetSkinFolder() override { return "skin"; }
  CDuiString GetSkinFile() override { return skin_; }
  void InitWindow() override {
    SetIcon(IDI_VESK);
    if (m_PaintManager.FindControl("CurrentTime")) FillMainWindow();
  }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_TIMER && wParam == kCloseTimer) Close(IDOK);
    if (uMsg == WM_DESTROY) PostQuitMessage(0);
    return result;
  }

 private:
  bool Chinese() const { return skin_.find('E') == std::string::npos; }

  void Set(const char* name, const std::string& text) {
    if (auto* control = m_PaintManager.FindControl(name)) control->SetText(text.c_str());
  }
  void Select(const char* name, int index) {
    if (auto* combo = m_PaintManager.FindControl<CComboUI>(name)) combo->SelectItem(index);
  }

  // A Monday morning with a weekday timetable, one unsaved Saturday.
  void FillMainWindow() {
    const bool zh = Chinese();
    Set("CurrentTime", zh ? "{f 1}{c #49A832}12月07日   08:00:00   周一{/c}{/f}"
                          : "{f 1}{c #49A832}2026.12.07   08:00:00   Mon.{/c}{/f}");
    Set("LastShutdownTime", zh ? "{f 1}{c #1974F0}12:00  周一{/c}{/f}" : "{f 1}{c #1974F0}12:00  Mon{/c}{/f}");
    Set("LastPoweronTime", zh ? "{f 1}{c #1974F0}13:30  周一{/c}{/f}" : "{f 1}{c #1974F0}13:30  Mon{/c}{/f}");
    const char* names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    const char* english[] = {"Sun", "Mon", "Tue", "Wed", "Thur", "Fri", "Sat"};
    const char* chinese[] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
    for (int day = 0; day < 7; ++day) {
      const char* colour = day == 0 ? "#808080" : day == 6 ? "#F27D30" : "#FFFFFF";
      Set(names[day], std::string("{f 1}{c ") + colour + "}" + (zh ? chinese[day] : english[day]) + "{/c}{/f}");
    }
    m_PaintManager.FindControl<COptionUI>("Monday")->Selected(true);
    m_PaintManager.FindControl<CCheckBoxUI>("EnablePhase1")->SetCheck(true);
    m_PaintManager.FindControl<CCheckBoxUI>("EnablePhase2")->SetCheck(true);
    Select("StartHour1", 8);
    Select("EndHour1", 12);
    Select("StartHour2", 13);
    Select("StartMinute2", 30);
    Select("EndHour2", 17);
    Select("EndMinute2", 30);
  }

  std::string skin_;
};

// The sliding notice where it comes to rest.
class RestingNotice : public CDialog {
 public:
  explicit RestingNotice(bool chinese) : CDialog(IDD_NOTICE), chinese_(chinese) {}
  BOOL OnInitDialog() override {
    const SIZE screen = GetShell().GetDisplaySize();
    const RECT own = GetWindowRect();
    const LONG width = own.right - own.left, height = own.bottom - own.top;
    MoveWindow(RECT{screen.cx - width, screen.cy - 105, screen.cx, screen.cy - 105 + height});
    SetDlgItemText(IDC_NOTICE_BUTTON, std::string(chinese_ ? "将在五分钟内关机"
                                                            : "The computer will automatically shutdown within 5 minutes") +
                                          "!");
    return TRUE;
  }

 private:
  bool chinese_;
};

// The system's services, except that a skin's faults are kept to be
// printed rather than shown in message boxes nobody is there to close.
class PreviewOs final : public vesk::win32::Win32OsServices {
 public:
  int ShowMessageBox(const std::string& text, const std::string&, unsigned) override {
    errors.push_back(text);
    return vesk::kIdOk;
  }
  std::vector<std::string> errors;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: vesk-skin-preview SKIN.xml [--seconds N] [--notice]\n", stderr);
    return 2;
  }
  std::string skin = argv[1];
  unsigned seconds = 30;
  bool notice = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      seconds = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--notice") {
      notice = true;
    } else {
      std::fprintf(stderr, "vesk-skin-preview: unknown argument %s\n", arg.c_str());
      return 2;
    }
  }

  PreviewOs os;
  win32::Win32Desktop desktop(GetModuleHandleW(nullptr), os);
  PreviewWindow window(skin);
  const bool chinese = skin.find('E') == std::string::npos;
  const char* title = skin.rfind("Warn", 0) == 0 ? "vesk" : chinese ? "VESK系统管理软件" : "VESK Technology Manager";
  if (!window.Create(nullptr, title, 0x10CE0000, 0x100)) {
    for (const auto& error : os.errors) std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  window.CenterWindow();
  window.SetTimer(kCloseTimer, seconds * 1000);
  RestingNotice* resting = nullptr;
  if (notice) {
    resting = new RestingNotice(chinese);
    resting->Create();
    resting->ShowWindow(SW_SHOWNOACTIVATE);
  }
  window.ShowModal();
  delete resting;
  return 0;
}
