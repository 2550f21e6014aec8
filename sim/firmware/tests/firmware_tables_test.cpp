#include "sim/firmware/firmware_tables.h"

#include <gtest/gtest.h>

#include "identity/info_check.h"
#include "identity/smbios_table.h"
#include "sim/os/simulated_os.h"

namespace vesk::sim {
namespace {

// "accepted" or "CAPTION: TEXT" of the one refusal box.
std::string CheckOutcome(const FirmwareTable& table) {
  VirtualClock clock;
  SimulatedOs os{clock};
  FirmwareTableSource source{table};
  try {
    InfoCheckValid(os, source);
    return os.MessageBoxes().empty() ? "accepted" : "accepted after a box";
  } catch (const SimulatedProcessExit& exit) {
    if (exit.exitCode != 0 || os.MessageBoxes().size() != 1) return "refused oddly";
    return os.MessageBoxes()[0].caption + ": " + os.MessageBoxes()[0].text;
  }
}

TEST(NamedFirmwareTables, AreRealBoardTablesWithTheirVerdicts) {
  const std::string notCompatible = "Error: This Modle is not compatible with VESK technology!";
  const std::vector<std::pair<std::string, std::string>> verdicts{
      {"accepted", "accepted"},
      {"no-model", notCompatible},
      {"switch-off", "Notice: The switch of VESK technology is off!"},
      {"no-handle-2", notCompatible},
  };
  ASSERT_EQ(FirmwareTableNames().size(), verdicts.size());
  for (const auto& [name, verdict] : verdicts) {
    SCOPED_TRACE(name);
    const auto table = NamedFirmwareTable(name);
    ASSERT_TRUE(table);
    EXPECT_EQ(CheckOutcome(*table), verdict);

    // BIOS, system, baseboard, chassis, end: SMBIOS 3.2 lengths, whole table.
    const auto info = MakeEmptySMInfo();
    StoreSmbiosTable(*info, table->bytes, table->majorVersion, table->minorVersion);
    ParseSmbiosTables(*info);
    ASSERT_EQ(info->StructNum, 5u);
    ASSERT_EQ(info->TypeNum, 5u);
    const std::vector<uint8_t> lengths{0x1A, 0x1B, 0x0F, 0x16, 0x04};
    uint32_t covered = 0;
    for (uint32_t i = 0; i < 5; ++i) {
      EXPECT_EQ(info->Data[info->StructAddr[i] + 1], lengths[i]) << i;
      covered += info->StructLen[i];
    }
    EXPECT_EQ(covered, info->DataLen);
    EXPECT_EQ(info->TypeStr[2], "0x02");
    EXPECT_EQ(table->majorVersion * 10 + table->minorVersion, 32);
  }
  // Refused for the handle alone: the strings are the accepted board's.
  const auto noHandle = NamedFirmwareTable("no-handle-2");
  const std::string bytes(noHandle->bytes.begin(), noHandle->bytes.end());
  for (const char* text : {"RM415", "VESK OPEN"}) EXPECT_NE(bytes.find(text), std::string::npos) << text;
}

}  // namespace
}  // namespace vesk::sim
