#include "sim/firmware/firmware_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "identity/info_check.h"
#include "identity/smbios_table.h"
#include "sim/os/simulated_os.h"

namespace vesk::sim {
namespace {

std::unique_ptr<SMInfo> ParsedFrom(FirmwareTableSource& source) {
  VirtualClock clock;
  SimulatedOs os{clock};
  auto info = MakeEmptySMInfo();
  source.ReadTables(*info, os);
  ParseSmbiosTables(*info);
  return info;
}

// "accepted" or "CAPTION: TEXT" of the one refusal box.
std::string CheckOutcome(FirmwareTableSource& source) {
  VirtualClock clock;
  SimulatedOs os{clock};
  try {
    InfoCheckValid(os, source);
    return os.MessageBoxes().empty() ? "accepted" : "accepted with a box";
  } catch (const SimulatedProcessExit& exit) {
    if (exit.exitCode != 0 || os.MessageBoxes().size() != 1) return "refused oddly";
    return os.MessageBoxes()[0].caption + ": " + os.MessageBoxes()[0].text;
  }
}

bool Contains(const std::vector<uint8_t>& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST(NamedFirmwareTables, EachGivesItsVerdict) {
  const std::vector<std::pair<std::string, std::string>> expected{
      {"accepted", "accepted"},
      {"no-model", "Error: This Modle is not compatible with VESK technology!"},
      {"switch-off", "Notice: The switch of VESK technology is off!"},
      {"no-handle-2", "Error: This Modle is not compatible with VESK technology!"},
  };
  ASSERT_EQ(FirmwareTableNames().size(), expected.size());
  for (const auto& [name, verdict] : expected) {
    auto table = NamedFirmwareTable(name);
    ASSERT_TRUE(table) << name;
    FirmwareTableSource source{*table};
    EXPECT_EQ(CheckOutcome(source), verdict) << name;
    EXPECT_EQ(source.Reads(), 1);
  }
  EXPECT_FALSE(NamedFirmwareTable("Accepted"));
  EXPECT_FALSE(NamedFirmwareTable(""));
}

TEST(NamedFirmwareTables, NoHandle2CarriesTheRightStringsUnderAnotherHandle) {
  const auto table = NamedFirmwareTable("no-handle-2");
  ASSERT_TRUE(table);
  EXPECT_TRUE(Contains(table->bytes, "RM415"));
  EXPECT_TRUE(Contains(table->bytes, "OPEN"));
  EXPECT_TRUE(Contains(NamedFirmwareTable("no-model")->bytes, "OPEN"));
}

TEST(NamedFirmwareTables, AreWellFormedStructureTablesOfARealBoard) {
  for (const auto& name : FirmwareTableNames()) {
    SCOPED_TRACE(name);
    FirmwareTableSource source{*NamedFirmwareTable(name)};
    const auto info = ParsedFrom(source);
    EXPECT_EQ(info->MajorVersion, 3);
    EXPECT_EQ(info->MinorVersion, 2);
    ASSERT_EQ(info->StructNum, 5u);
    ASSERT_EQ(info->TypeNum, 5u);
    const std::vector<std::string> types{"0x00", "0x01", "0x02", "0x03", "0x7F"};
    // Formatted lengths of SMBIOS 3.2 BIOS, system, baseboard and chassis
    // structures, and of the end-of-table structure.
    const std::vector<uint8_t> lengths{0x1A, 0x1B, 0x0F, 0x16, 0x04};
    uint32_t covered = 0;
    for (uint32_t i = 0; i < 5; ++i) {
      EXPECT_EQ(info->TypeStr[i], types[i]);
      EXPECT_EQ(info->TypeAddr[i], info->StructAddr[i]);
      EXPECT_EQ(info->Data[info->StructAddr[i] + 1], lengths[i]);
      covered += info->StructLen[i];
    }
    EXPECT_EQ(covered, info->DataLen);
    EXPECT_EQ(info->StructLen[4], 6u);
    EXPECT_EQ(info->HandleStr[2], name == "no-handle-2" ? "0x0200" : "0x0002");
  }
}

class FirmwareTableFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vesk-firmware-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  std::filesystem::path dir_;
};

TEST_F(FirmwareTableFile, HoldsTheRawBytesAsTheCheckReadsThem) {
  const auto accepted = NamedFirmwareTable("accepted");
  std::string error;
  const auto loaded = LoadFirmwareTableFile(Write("accepted.bin", accepted->bytes), error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(loaded->bytes, accepted->bytes);
  EXPECT_EQ(loaded->majorVersion, 0);
  FirmwareTableSource source{*loaded};
  EXPECT_EQ(CheckOutcome(source), "accepted");

  const auto empty = LoadFirmwareTableFile(Write("empty.bin", {}), error);
  ASSERT_TRUE(empty) << error;
  FirmwareTableSource emptySource{*empty};
  EXPECT_EQ(CheckOutcome(emptySource), "Error: This Modle is not compatible with VESK technology!");
}

TEST_F(FirmwareTableFile, LongerThanTheCopyIsCut) {
  std::vector<uint8_t> big(70000, 0x11);
  std::string error;
  const auto loaded = LoadFirmwareTableFile(Write("big.bin", big), error);
  ASSERT_TRUE(loaded) << error;
  FirmwareTableSource source{*loaded};
  EXPECT_EQ(ParsedFrom(source)->DataLen, kMaxTableBytes);
}

TEST_F(FirmwareTableFile, MissingFileOrFolderIsAnErrorNamingThePath) {
  std::string error;
  const std::string missing = (dir_ / "missing.bin").string();
  EXPECT_FALSE(LoadFirmwareTableFile(missing, error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(LoadFirmwareTableFile(dir_.string(), error));
  EXPECT_NE(error.find(dir_.string()), std::string::npos) << error;
}

}  // namespace
}  // namespace vesk::sim
