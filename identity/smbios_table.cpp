#include "identity/smbios_table.h"

#include <algorithm>

namespace vesk {

namespace {

// Every run begins with a structure, so once the structures fit the runs do.
static_assert(kMaxIndexedTypeRuns >= kMaxIndexedStructures);

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& text, uint8_t value) {
  text += kHexDigits[value >> 4];
  text += kHexDigits[value & 0x0F];
}

// Reads the table as the index sees it: the bytes below the limit, and zero
// for every offset at or beyond it, so no offset taken from the table itself
// can reach outside the copy.
class TableBytes {
 public:
  explicit TableBytes(const SMInfo& info) : data_(info.Data), limit_(TableLimit(info)) {}
  uint8_t At(uint32_t offset) const { return offset < limit_ ? data_[offset] : uint8_t{0}; }
  uint32_t Limit() const { return limit_; }

 private:
  const std::array<uint8_t, kMaxTableBytes>& data_;
  uint32_t limit_;
};

void ClearIndex(SMInfo& info) {
  info.StructAddr.fill(0);
  info.TypeAddr.fill(0);
  info.StructLen.fill(0);
  info.TypeLen.fill(0);
  for (auto& text : info.TypeStr) text.clear();
  for (auto& text : info.HandleStr) text.clear();
  info.StructNum = 0;
  info.TypeNum = 0;
}

}  // namespace

std::string TypeText(uint8_t type) {
  std::string text = "0x";
  AppendHexByte(text, type);
  return text;
}

std::string HandleText(uint8_t high, uint8_t low) {
  std::string text = "0x";
  AppendHexByte(text, high);
  AppendHexByte(text, low);
  return text;
}

uint32_t TableLimit(const SMInfo& info) {
  return std::min<uint32_t>(info.DataLen, static_cast<uint32_t>(kMaxTableBytes));
}

uint32_t StoreSmbiosTable(SMInfo& info, std::span<const uint8_t> bytes, uint8_t majorVersion,
                          uint8_t minorVersion) {
  const std::size_t kept = std::min(bytes.size(), kMaxTableBytes);
  std::copy_n(bytes.begin(), kept, info.Data.begin());
  std::fill(info.Data.begin() + static_cast<std::ptrdiff_t>(kept), info.Data.end(), uint8_t{0});
  info.DataLen = static_cast<uint32_t>(kept);
  info.MajorVersion = majorVersion;
  info.MinorVersion = minorVersion;
  return info.DataLen;
}

bool StoreRawSmbiosData(SMInfo& info, std::span<const uint8_t> buffer) {
  if (buffer.size() < kRawSmbiosHeaderSize) return false;
  uint32_t length = 0;
  for (std::size_t i = 4; i-- > 0;) length = (length << 8) | buffer[kRawSmbiosLengthOffset + i];
  const auto table = buffer.subspan(kRawSmbiosHeaderSize);
  if (length > table.size()) return false;
  StoreSmbiosTable(info, table.first(length), buffer[kRawSmbiosMajorVersionOffset],
                   buffer[kRawSmbiosMinorVersionOffset]);
  return true;
}

void ParseSmbiosTables(SMInfo& info) {
  ClearIndex(info);
  const TableBytes table(info);
  const uint32_t end = table.Limit();

  // The first structure and its run begin at offset 0, even in an empty
  // table (whose bytes all read as zero).
  uint32_t structures = 1;
  uint32_t runs = 1;
  uint32_t structStart = 0;
  uint32_t runStart = 0;
  info.TypeStr[0] = TypeText(table.At(kHeaderTypeOffset));
  info.HandleStr[0] = HandleText(table.At(kHeaderHandleHighOffset), table.At(kHeaderHandleLowOffset));

  // The scan looks for the double NUL that ends each string-set, starting
  // right after the formatted area of the structure it is in.
  uint32_t scan = table.At(kHeaderLengthOffset);
  while (scan + 1 < end) {
    if (table.At(scan) != 0 || table.At(scan + 1) != 0) {
      ++scan;
      continue;
    }
    const uint32_t next = scan + 2;
    if (next + kHeaderSize > end) {
      // Nothing after this string-set can hold a structure header: the
      // table ends, and its last structure and run reach to its end.
      info.StructLen[structures - 1] = end - structStart;
      info.TypeLen[runs - 1] = end - runStart;
      break;
    }
    if (structures == kMaxIndexedStructures) {
      // The index is full. What it holds stays true: the last structure and
      // run end where the unindexed rest of the table begins.
      info.StructLen[structures - 1] = next - structStart;
      info.TypeLen[runs - 1] = next - runStart;
      break;
    }
    info.StructAddr[structures] = next;
    info.StructLen[structures - 1] = next - structStart;
    info.HandleStr[structures] = HandleText(table.At(next + kHeaderHandleHighOffset),
                                            table.At(next + kHeaderHandleLowOffset));
    ++structures;
    structStart = next;
    if (table.At(next + kHeaderTypeOffset) != table.At(runStart)) {
      info.TypeAddr[runs] = next;
      info.TypeLen[runs - 1] = next - runStart;
      info.TypeStr[runs] = TypeText(table.At(next + kHeaderTypeOffset));
      ++runs;
      runStart = next;
    }
    scan = next + table.At(next + kHeaderLengthOffset);
  }
  // A table cut short (no string-set end near its end) leaves the last
  // structure's and run's lengths at 0.
  info.StructNum = structures;
  info.TypeNum = runs;
}

}  // namespace vesk
