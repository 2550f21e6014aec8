#pragma once
// The headless desktop's records of its windows and timers, shared by the
// files that make up the backend; nobody outside it reads them.
#include <cstdint>
#include <string>

#include "ui/framework/headless/headless_desktop.h"

namespace vesk::ui::headless {

struct HeadlessDesktop::Window {
  HWND hwnd = nullptr;
  std::string className;
  std::string title;
  HWND parent = nullptr;
  DWORD style = 0;
  CWindowWnd* object = nullptr;
  CDialog* dialog = nullptr;
  std::size_t dialogIndex = 0;
  CPaintManagerUI* manager = nullptr;
  bool alive = true;
  bool destroying = false;
  bool visible = false;
  bool minimized = false;
  RECT rect{0, 0, 0, 0};
  HICON icon = nullptr;
};

struct HeadlessDesktop::Timer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT period = 0;
  DesktopTime due;
  bool pending = false;  // expired while its window was busy; delivered next
  DesktopTime pendingAt;
  uint64_t sequence = 0;  // order among timers due at the same moment
  uint64_t generation = 0;

  DesktopTime Effective() const { return pending ? pendingAt : due; }
};

}  // namespace vesk::ui::headless
