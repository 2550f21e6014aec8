#pragma once
// One fuzz case for the table parser and the identity string reading: the
// input is a raw structure table as a source would deliver it. Shared by the
// libFuzzer target and by the unit test that replays the seed corpus.
#include <cstdint>
#include <span>
#include <string>

namespace vesk::fuzz {

// Stores the bytes, indexes them, reads and judges the identity strings, and
// checks what must hold for any input. Returns an empty text when all held,
// else what was broken. With AddressSanitizer the bytes of the copy beyond
// DataLen are poisoned meanwhile, so a read past the table's end is caught
// even though it stays inside the record.
std::string RunSmbiosFuzzCase(std::span<const uint8_t> input);

}  // namespace vesk::fuzz
