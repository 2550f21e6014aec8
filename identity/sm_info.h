#pragma once
// The firmware's SMBIOS structure table as one record: the raw bytes as the
// operating system delivered them, and the index the parser builds over them
// (every structure's start, length and handle; every run of consecutive
// structures of one type with its start, length and type).
//
// The record is large (the byte copy and the 65535-entry length array, about
// a third of a megabyte): create it on the heap, never on the stack.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vesk {

// How many structures and type runs the index can hold.
inline constexpr std::size_t kMaxIndexedStructures = 255;
inline constexpr std::size_t kMaxIndexedTypeRuns = 255;
// How many table bytes the copy can hold; a longer table is cut at this size.
inline constexpr std::size_t kMaxTableBytes = 65535;
// The length array keeps the width of the table copy.
inline constexpr std::size_t kStructLenEntries = 65535;

// SMBIOS structure header (SMBIOS Reference Specification, 6.1.2).
inline constexpr std::size_t kHeaderTypeOffset = 0;
inline constexpr std::size_t kHeaderLengthOffset = 1;
inline constexpr std::size_t kHeaderHandleLowOffset = 2;
inline constexpr std::size_t kHeaderHandleHighOffset = 3;
inline constexpr std::size_t kHeaderSize = 4;

struct SMInfo {
  std::array<uint32_t, kMaxIndexedStructures> StructAddr{};  // start of structure i
  std::array<uint32_t, kMaxIndexedTypeRuns> TypeAddr{};      // start of type run r
  std::array<uint32_t, kStructLenEntries> StructLen{};       // formatted area + string-set
  std::array<uint32_t, kMaxIndexedTypeRuns> TypeLen{};       // all structures of run r
  uint32_t StructNum = 0;
  uint32_t TypeNum = 0;
  uint8_t MajorVersion = 0;
  uint8_t MinorVersion = 0;
  uint32_t DataLen = 0;                       // valid bytes in Data
  std::array<uint8_t, kMaxTableBytes> Data{}; // zero beyond DataLen
  std::array<std::string, kMaxIndexedTypeRuns> TypeStr{};      // "0x11"
  std::array<std::string, kMaxIndexedStructures> HandleStr{};  // "0x0002"
};

static_assert(sizeof(SMInfo::Data) == 65535, "the table copy holds 65535 bytes");
static_assert(sizeof(SMInfo::StructLen) == 65535 * sizeof(uint32_t),
              "one length entry per possible table byte");
static_assert(sizeof(SMInfo::StructAddr) == 255 * sizeof(uint32_t), "255 structures");
static_assert(sizeof(SMInfo::TypeAddr) == 255 * sizeof(uint32_t), "255 type runs");

// An empty record (all numbers 0, all texts empty) on the heap.
inline std::unique_ptr<SMInfo> MakeEmptySMInfo() { return std::make_unique<SMInfo>(); }

}  // namespace vesk
