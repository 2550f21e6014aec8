#include "identity/tests/fuzz/smbios_fuzz_entry.h"

#include <algorithm>
#include <memory>

#include "identity/info_check.h"
#include "identity/sm_info.h"
#include "identity/smbios_table.h"

#if defined(__SANITIZE_ADDRESS__)
#define VESK_FUZZ_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VESK_FUZZ_ASAN 1
#endif
#endif

#ifdef VESK_FUZZ_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace vesk::fuzz {

namespace {

// Poisons the unused tail of the copy for as long as it lives.
class TailPoison {
 public:
  explicit TailPoison(SMInfo& info)
      : begin_(info.Data.data() + TableLimit(info)), size_(info.Data.size() - TableLimit(info)) {
#ifdef VESK_FUZZ_ASAN
    ASAN_POISON_MEMORY_REGION(begin_, size_);
#endif
  }
  ~TailPoison() {
#ifdef VESK_FUZZ_ASAN
    ASAN_UNPOISON_MEMORY_REGION(begin_, size_);
#endif
  }
  TailPoison(const TailPoison&) = delete;
  TailPoison& operator=(const TailPoison&) = delete;

 private:
  [[maybe_unused]] uint8_t* begin_;
  [[maybe_unused]] std::size_t size_;
};

std::string At(const char* what, uint32_t index) {
  return std::string(what) + " at index " + std::to_string(index);
}

uint8_t TableByte(const SMInfo& info, uint32_t offset) {
  return offset < info.DataLen ? info.Data[offset] : uint8_t{0};
}

std::string CheckStructures(const SMInfo& info) {
  const uint32_t count = info.StructNum;
  if (count < 1 || count > kMaxIndexedStructures) return "structure count out of range";
  if (info.StructAddr[0] != 0) return "first structure not at 0";
  uint64_t covered = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t addr = info.StructAddr[i];
    if (i > 0 && (addr <= info.StructAddr[i - 1] || addr + kHeaderSize > info.DataLen)) {
      return At("structure start out of order or header past the end", i);
    }
    if (i + 1 < count && info.StructLen[i] != info.StructAddr[i + 1] - addr) {
      return At("structure length not up to the next structure", i);
    }
    if (addr + uint64_t{info.StructLen[i]} > info.DataLen) {
      return At("structure reaches past the end", i);
    }
    if (info.HandleStr[i] != HandleText(TableByte(info, addr + 3), TableByte(info, addr + 2))) {
      return At("handle text does not match the header", i);
    }
    covered += info.StructLen[i];
  }
  if (covered > info.DataLen) return "structure lengths add up past the end";
  for (uint32_t i = count; i < kMaxIndexedStructures; ++i) {
    if (info.StructAddr[i] != 0 || !info.HandleStr[i].empty()) return At("stale structure entry", i);
  }
  for (uint32_t i = count; i < kStructLenEntries; ++i) {
    if (info.StructLen[i] != 0) return At("stale structure length", i);
  }
  return {};
}

std::string CheckRuns(const SMInfo& info) {
  const uint32_t runs = info.TypeNum;
  if (runs < 1 || runs > kMaxIndexedTypeRuns || runs > info.StructNum) return "run count out of range";
  const auto structBegin = info.StructAddr.begin();
  const auto structEnd = structBegin + info.StructNum;
  uint32_t structure = 0;
  for (uint32_t r = 0; r < runs; ++r) {
    const uint32_t addr = info.TypeAddr[r];
    if (std::find(structBegin, structEnd, addr) == structEnd) return At("run not at a structure", r);
    if (info.TypeStr[r] != TypeText(TableByte(info, addr))) return At("type text does not match", r);
    if (r > 0 && TableByte(info, addr) == TableByte(info, info.TypeAddr[r - 1])) {
      return At("run of the same type as the one before", r);
    }
    if (r + 1 < runs && info.TypeLen[r] != info.TypeAddr[r + 1] - addr) {
      return At("run length not up to the next run", r);
    }
    // Every structure of the run has the run's type.
    const uint32_t runEnd = r + 1 < runs ? info.TypeAddr[r + 1] : UINT32_MAX;
    for (; structure < info.StructNum && info.StructAddr[structure] < runEnd; ++structure) {
      if (TableByte(info, info.StructAddr[structure]) != TableByte(info, addr)) {
        return At("structure of another type inside run", r);
      }
    }
  }
  // The last run and the last structure are closed together, or both left
  // open by a table cut short.
  const uint32_t last = info.StructNum - 1;
  const bool bothOpen = info.TypeLen[runs - 1] == 0 && info.StructLen[last] == 0;
  if (!bothOpen && info.TypeAddr[runs - 1] + uint64_t{info.TypeLen[runs - 1]} !=
                       info.StructAddr[last] + uint64_t{info.StructLen[last]}) {
    return "last run and last structure end apart";
  }
  return {};
}

std::string CheckIdentity(const SMInfo& info) {
  const IdentityStrings strings = ReadIdentityStrings(info);
  std::size_t total = 0;
  for (const auto& string : strings) {
    if (string.find('\0') != std::string::npos) return "identity string holds a NUL";
    total += string.size();
  }
  if (total > info.DataLen) return "identity strings longer than the table";
  const std::string text = JoinIdentityText(strings);
  const BoardVerdict verdict = JudgeIdentityText(text);
  const bool hasModel = text.find(kBoardModelCode) != std::string::npos;
  const bool hasSwitch = text.find(kFeatureSwitchWord) != std::string::npos;
  const BoardVerdict expected = !hasModel   ? BoardVerdict::NotCompatible
                                : !hasSwitch ? BoardVerdict::SwitchedOff
                                             : BoardVerdict::Accepted;
  if (verdict != expected) return "verdict does not follow the joined text";
  return {};
}

}  // namespace

std::string RunSmbiosFuzzCase(std::span<const uint8_t> input) {
  // One record for every case: a fresh one costs more than the case itself,
  // and reuse also proves that storing and parsing leave nothing of the
  // case before.
  static const std::unique_ptr<SMInfo> info = MakeEmptySMInfo();
  StoreSmbiosTable(*info, input, 3, 4);
  if (info->DataLen != std::min(input.size(), kMaxTableBytes)) return "table not stored whole or cut";

  const TailPoison poison(*info);
  ParseSmbiosTables(*info);
  for (const auto& check : {CheckStructures, CheckRuns, CheckIdentity}) {
    if (std::string broken = check(*info); !broken.empty()) return broken;
  }
  return {};
}

}  // namespace vesk::fuzz
