#include "ui/framework/window_system.h"

#include <cstdio>
#include <cstdlib>

namespace vesk::ui {
namespace {
WindowSystem* g_current = nullptr;
}  // namespace

WindowSystem& WindowSystem::Current() {
  if (!g_current) {
    // A programming error of the host, not something a user can meet.
    std::fputs("vesk: no window system installed before the first window\n", stderr);
    std::abort();
  }
  return *g_current;
}

bool WindowSystem::IsInstalled() { return g_current != nullptr; }

void WindowSystem::Install() { g_current = this; }

void WindowSystem::Uninstall() {
  if (g_current == this) g_current = nullptr;
}

void WindowSystem::ReportSetupErrorOnce(const std::string& text) {
  // Noted before it is shown: the box runs a message loop of its own.
  if (reportedSetupErrors_.insert(text).second) ReportSetupError(text);
}

Shell& GetShell() { return WindowSystem::Current(); }

}  // namespace vesk::ui
