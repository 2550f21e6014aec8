#include "identity/tests/fuzz/smbios_fuzz_entry.h"

#include <algorithm>
#include <memory>

#include "identity/info_check.h"
#include "identity/sm_info.h"
#include "identity/smbios_table.h"

// The header's macros do nothing in a build without AddressSanitizer.
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace vesk::fuzz {

namespace {

// Poisons the unused tail of the copy for as long as it lives.
class TailPoison {
 public:
  explicit TailPoison(SMInfo& info)
      : begin_(info.Data.data() + TableLimit(info)), size_(info.Data.size() - TableLimit(info)) {
    ASAN_POISON_MEMORY_REGION(begin_, size_);
  }
  ~TailPoison() { ASAN_UNPOISON_MEMORY_REGION(begin_, size_); }
  TailPoison(const TailPoison&) = delete;
  TailPoison& operator=(const TailPoison&) = delete;

 private:
  uint8_t* begin_;
  std::size_t size_;
};

uint8_t ByteAt(const SMInfo& info, uint64_t offset) { return offset < info.DataLen ? info.Data[offset] : uint8_t{0}; }

// Structures follow each other, each with a whole header inside the table
// (but the first), each length reaching the next start; the texts match the
// header bytes; nothing is left of an earlier table.
std::string CheckStructures(const SMInfo& info) {
  const uint32_t count = info.StructNum;
  if (count < 1 || count > kMaxIndexedStructures || info.StructAddr[0] != 0) return "structure count or start";
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t start = info.StructAddr[i];
    if (i > 0 && (start <= info.StructAddr[i - 1] || start + kHeaderSize > info.DataLen)) return "structure start";
    if (i + 1 < count && info.StructLen[i] != info.StructAddr[i + 1] - start) return "structure length";
    if (start + info.StructLen[i] > info.DataLen) return "structure past the end";
    if (info.HandleStr[i] != HandleText(ByteAt(info, start + 3), ByteAt(info, start + 2))) return "handle text";
  }
  for (uint32_t i = count; i < kStructLenEntries; ++i) {
    if (info.StructLen[i] != 0 || (i < kMaxIndexedStructures && !info.HandleStr[i].empty())) return "stale structure";
  }
  return {};
}

// Runs start at structures, change type from one to the next, hold only
// structures of their type, and end where the last structure ends.
std::string CheckRuns(const SMInfo& info) {
  const uint32_t runs = info.TypeNum;
  if (runs < 1 || runs > info.StructNum) return "run count";
  uint32_t structure = 0;
  for (uint32_t r = 0; r < runs; ++r) {
    const uint32_t start = info.TypeAddr[r];
    const uint8_t type = ByteAt(info, start);
    if (structure >= info.StructNum || info.StructAddr[structure] != start) return "run start";
    if (info.TypeStr[r] != TypeText(type)) return "type text";
    if (r > 0 && type == ByteAt(info, info.TypeAddr[r - 1])) return "run of the type before";
    if (r + 1 < runs && info.TypeLen[r] != info.TypeAddr[r + 1] - start) return "run length";
    const uint32_t end = r + 1 < runs ? info.TypeAddr[r + 1] : UINT32_MAX;
    for (; structure < info.StructNum && info.StructAddr[structure] < end; ++structure) {
      if (ByteAt(info, info.StructAddr[structure]) != type) return "structure of another type in a run";
    }
  }
  const uint32_t last = info.StructNum - 1;
  if (info.TypeAddr[runs - 1] + uint64_t{info.TypeLen[runs - 1]} != info.StructAddr[last] + uint64_t{info.StructLen[last]} &&
      !(info.TypeLen[runs - 1] == 0 && info.StructLen[last] == 0)) {
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
  const bool model = text.find(kBoardModelCode) != std::string::npos;
  const bool feature = text.find(kFeatureSwitchWord) != std::string::npos;
  const BoardVerdict expected = !model ? BoardVerdict::NotCompatible : !feature ? BoardVerdict::SwitchedOff : BoardVerdict::Accepted;
  return JudgeIdentityText(text) == expected ? "" : "verdict";
}

}  // namespace

std::string RunSmbiosFuzzCase(std::span<const uint8_t> input) {
  // One record for every case: a fresh one costs more than the case, and
  // reuse also proves that nothing of the case before is left.
  static const std::unique_ptr<SMInfo> info = MakeEmptySMInfo();
  StoreSmbiosTable(*info, input, 3, 4);
  if (info->DataLen != std::min(input.size(), kMaxTableBytes)) return "table not stored or cut";
  const TailPoison poison(*info);
  ParseSmbiosTables(*info);
  for (const auto& check : {CheckStructures, CheckRuns, CheckIdentity}) {
    if (std::string broken = check(*info); !broken.empty()) return broken;
  }
  return {};
}

}  // namespace vesk::fuzz
