#pragma once
// A script's user actions in the program's windows (the main window, the
// warning, the holidays window), done as the user does them: clicks, list
// choices and tray icons on the headless desktop.
#include <string>

#include "sim/machine/machine_desktop.h"
#include "sim/machine/script.h"

namespace vesk::sim {

// Empty when the user could do it, else why not. `main` is the program's
// main window.
std::string PerformInWindows(MachineDesktop& desktop, const ScriptStep& step, HWND main);

}  // namespace vesk::sim
