#pragma once
// Ends a running VESK the way its user would: the tray menu's exit command
// sent to its main window. That stops the watchdog and aborts a pending
// shutdown; a process killed instead would leave the watchdog counting and
// the board would reset a minute later.
#include <windows.h>

#include <string>

namespace vesk::installer {

enum class CloseOutcome {
  NotRunning,    // no VESK window anywhere
  Ended,         // every VESK that ran has ended through its exit
  StillRunning,  // a VESK got its exit command and was still running at the bound
  Unreachable,   // a VESK runs where its window could not be reached
};

struct CloseReport {
  CloseOutcome outcome = CloseOutcome::NotRunning;
  std::wstring detail;  // for the log: which process, which session, which error
};

// The windows of this session only.
CloseReport CloseProgramInThisSession(DWORD boundMs);

// Every session. An installation runs as the system account in session 0,
// which cannot send to the windows of a user's session; there a copy of
// this library, under rundll32 in that session as the system account,
// sends the command (`helperLibrary` is this library's file).
CloseReport CloseProgramEverywhere(DWORD boundMs, const std::wstring& helperLibrary);

// The exit code of the rundll32 helper for each outcome, and back.
DWORD ExitCodeOf(CloseOutcome outcome);
CloseOutcome OutcomeOfExitCode(DWORD code);

}  // namespace vesk::installer
