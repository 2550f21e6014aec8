#pragma once
// One fuzz case over a raw structure table, shared by the libFuzzer target
// and the unit test that replays the seed corpus.
#include <cstdint>
#include <span>
#include <string>

namespace vesk::fuzz {

// Stores, indexes and judges the bytes and checks what must hold for any
// input: "" when all held, else what broke. Under ASan the copy beyond
// DataLen is poisoned meanwhile, so a read past the table's end is caught.
std::string RunSmbiosFuzzCase(std::span<const uint8_t> input);

}  // namespace vesk::fuzz
