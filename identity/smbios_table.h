#pragma once
// Filling the record with a table and indexing it.
#include <cstdint>
#include <span>
#include <string>

#include "identity/sm_info.h"

namespace vesk {

// Stores a table as a source delivered it: the versions, the bytes (cut at
// kMaxTableBytes when longer) and DataLen; the rest of Data becomes zero.
// Returns the number of bytes kept.
uint32_t StoreSmbiosTable(SMInfo& info, std::span<const uint8_t> bytes, uint8_t majorVersion,
                          uint8_t minorVersion);

// The buffer of the raw firmware table provider ("RSMB"): an 8-byte header
// (calling method, major version, minor version, DMI revision, then the
// table's length, 32-bit little-endian) followed by the structure table.
inline constexpr std::size_t kRawSmbiosMajorVersionOffset = 1;
inline constexpr std::size_t kRawSmbiosMinorVersionOffset = 2;
inline constexpr std::size_t kRawSmbiosLengthOffset = 4;
inline constexpr std::size_t kRawSmbiosHeaderSize = 8;

// Stores the table of such a buffer as StoreSmbiosTable does. A buffer
// shorter than its header, or than the length its header gives, was cut
// somewhere: false, and the record is left alone.
bool StoreRawSmbiosData(SMInfo& info, std::span<const uint8_t> buffer);

// Indexes Data[0] .. Data[DataLen - 1]: writes StructAddr, StructLen,
// HandleStr, StructNum, TypeAddr, TypeLen, TypeStr and TypeNum, and clears
// whatever an earlier parse left. Never reads past DataLen (bytes beyond it
// count as zero) nor past the copy. Stops indexing when the 255 structures
// are used up (runs never outnumber structures), the indexed ones keeping
// their true lengths. Fewer than 4 bytes after a string-set hold no header:
// the table ends there, its last structure reaching to the end.
void ParseSmbiosTables(SMInfo& info);

// "0x" and two upper-case hexadecimal digits: 0x11.
std::string TypeText(uint8_t type);
// "0x", the high byte, then the low byte, two upper-case digits each: 0x0002.
std::string HandleText(uint8_t high, uint8_t low);

// The number of table bytes the index may look at: DataLen, but never more
// than the copy holds.
uint32_t TableLimit(const SMInfo& info);

}  // namespace vesk
