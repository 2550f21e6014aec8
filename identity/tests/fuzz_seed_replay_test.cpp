// Replays the fuzzer's seed corpus through the same entry the fuzzer uses,
// so the regular builds check every seed (under ASan natively).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "identity/tests/fuzz/smbios_fuzz_entry.h"

namespace vesk {
namespace {

TEST(FuzzSeedCorpus, EverySeedKeepsEveryInvariant) {
  const std::filesystem::path dir{VESK_IDENTITY_SEED_DIR};
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(fuzz::RunSmbiosFuzzCase(bytes), "") << entry.path().filename();
    ++seeds;
  }
  EXPECT_GE(seeds, 8);
}

}  // namespace
}  // namespace vesk
