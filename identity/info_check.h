#pragma once
// The board check: the program runs only on the board model whose firmware
// identity strings name it, and only when the firmware has the feature
// switched on.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "identity/sm_info.h"
#include "identity/smbios_source.h"
#include "platform/os_services.h"

namespace vesk {

// The structure whose strings identify the board, by its handle text.
inline constexpr std::string_view kIdentityHandle = "0x0002";
// How many of its strings are read; later ones are never looked at.
inline constexpr std::size_t kIdentityStringCount = 5;
// Both must occur in the joined strings, exactly and case-sensitively.
inline constexpr std::string_view kBoardModelCode = "RM415";
inline constexpr std::string_view kFeatureSwitchWord = "OPEN";

using IdentityStrings = std::array<std::string, kIdentityStringCount>;

// Strings 1 to 5 of the first indexed structure with handle text "0x0002";
// the ones it does not have (or all, when no structure has the handle) stay
// empty. Reads only Data[0] .. Data[DataLen - 1]: a string that runs into
// the end of the table ends there.
IdentityStrings ReadIdentityStrings(const SMInfo& info);

// The strings joined in order with nothing between them.
std::string JoinIdentityText(const IdentityStrings& strings);

enum class BoardVerdict { Accepted, NotCompatible, SwitchedOff };

// The model code is tested first, so a text without it is not compatible
// whether or not the switch word is there.
BoardVerdict JudgeIdentityText(std::string_view identityText);

struct RefusalMessage {
  std::string caption;
  std::string text;
};

// The message a refusal shows: Chinese for language id 2052, English for
// every other. Only for NotCompatible and SwitchedOff.
RefusalMessage RefusalMessageFor(BoardVerdict verdict, uint16_t langId);

// The whole check, once per start: reads the table from the source into a
// fresh record, indexes it, reads the identity strings and judges them.
// Returns only when the board is accepted; otherwise shows the refusal in an
// error box without owner window and ends the process with exit code 0
// through os.EndProcess.
void InfoCheckValid(OsServices& os, SmbiosTableSource& source);

}  // namespace vesk
