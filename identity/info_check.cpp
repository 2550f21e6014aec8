#include "identity/info_check.h"

#include <algorithm>
#include <optional>

#include "history/history.h"
#include "identity/smbios_table.h"

namespace vesk {

namespace {

struct Texts {
  const char* caption;
  const char* text;
};

constexpr Texts kNotCompatibleChinese{"错误", "此主板和软件不兼容！"};
constexpr Texts kNotCompatibleEnglish{"Error", "This Modle is not compatible with VESK technology!"};
constexpr Texts kSwitchedOffChinese{"提示", "VESK开关未打开！"};
constexpr Texts kSwitchedOffEnglish{"Notice", "The switch of VESK technology is off!"};

constexpr int kRefusalExitCode = 0;

// Index of the first indexed structure with the identity handle, or none.
std::optional<uint32_t> FindIdentityStructure(const SMInfo& info) {
  const uint32_t indexed = std::min<uint32_t>(info.StructNum, kMaxIndexedStructures);
  for (uint32_t i = 0; i < indexed; ++i) {
    if (info.HandleStr[i] == kIdentityHandle) return i;
  }
  return std::nullopt;
}

}  // namespace

IdentityStrings ReadIdentityStrings(const SMInfo& info) {
  IdentityStrings strings;
  const auto found = FindIdentityStructure(info);
  if (!found) return strings;

  const uint32_t end = TableLimit(info);
  const auto byteAt = [&](uint32_t offset) { return offset < end ? info.Data[offset] : uint8_t{0}; };
  const uint32_t start = info.StructAddr[*found];
  uint32_t pos = start + byteAt(start + kHeaderLengthOffset);
  for (auto& string : strings) {
    // A NUL where a string would begin closes the string-set.
    if (byteAt(pos) == 0) break;
    uint32_t stop = pos;
    while (stop < end && info.Data[stop] != 0) ++stop;
    string.assign(info.Data.begin() + pos, info.Data.begin() + stop);
    pos = stop + 1;
  }
  return strings;
}

std::string JoinIdentityText(const IdentityStrings& strings) {
  std::string joined;
  for (const auto& string : strings) joined += string;
  return joined;
}

BoardVerdict JudgeIdentityText(std::string_view identityText) {
  if (identityText.find(kBoardModelCode) == std::string_view::npos) {
    return BoardVerdict::NotCompatible;
  }
  if (identityText.find(kFeatureSwitchWord) == std::string_view::npos) {
    return BoardVerdict::SwitchedOff;
  }
  return BoardVerdict::Accepted;
}

RefusalMessage RefusalMessageFor(BoardVerdict verdict, uint16_t langId) {
  const bool chinese = langId == kLangIdChinese;
  const Texts& texts = verdict == BoardVerdict::SwitchedOff
                           ? (chinese ? kSwitchedOffChinese : kSwitchedOffEnglish)
                           : (chinese ? kNotCompatibleChinese : kNotCompatibleEnglish);
  return {texts.caption, texts.text};
}

void InfoCheckValid(OsServices& os, SmbiosTableSource& source) {
  BoardVerdict verdict = BoardVerdict::NotCompatible;
  {
    // The record lives for the reading and judging only.
    const auto info = MakeEmptySMInfo();
    source.ReadTables(*info, os);
    ParseSmbiosTables(*info);
    verdict = JudgeIdentityText(JoinIdentityText(ReadIdentityStrings(*info)));
  }
  const uint16_t langId = os.GetSystemDefaultLangID();
  if (verdict == BoardVerdict::Accepted) return;

  const RefusalMessage message = RefusalMessageFor(verdict, langId);
  history::Record("board-refused",
                  {{"reason", verdict == BoardVerdict::SwitchedOff ? "switched-off" : "not-compatible"}},
                  history::EventKind::BoardRefused);
  os.ShowMessageBox(message.text, message.caption, kMbIconError);
  os.EndProcess(kRefusalExitCode);
}

}  // namespace vesk
