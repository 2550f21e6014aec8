// The message table that the event source "VESK" names: Event Viewer and
// forwarded events show an entry's text through it, so every kind the
// program writes needs its message, and the message must be the text itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "history/event_kinds.h"

namespace vesk::history {
namespace {

TEST(EventMessages, EveryLoggedKindReadsAsTheEntrysOwnText) {
  const std::wstring text = L"save-failed reason=\"Access is denied. 100%\"";
  for (const EventKind kind : kLoggedEventKinds) {
    DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(text.c_str())};
    wchar_t shown[256] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, GetModuleHandleW(nullptr),
                       EventIdOf(kind), 0, shown, 256, reinterpret_cast<va_list*>(inserts));
    EXPECT_EQ(std::wstring(shown, length), text + L"\r\n") << "event ID " << EventIdOf(kind);
  }
}

}  // namespace
}  // namespace vesk::history
