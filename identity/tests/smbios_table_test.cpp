#include "identity/smbios_table.h"

#include <gtest/gtest.h>

#include <numeric>

#include "identity/tests/fuzz/smbios_fuzz_entry.h"
#include "identity/tests/table_bytes.h"

namespace vesk {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::EndOfTable;
using testing::Structure;

std::unique_ptr<SMInfo> Parsed(const Bytes& bytes) {
  auto info = MakeEmptySMInfo();
  StoreSmbiosTable(*info, bytes, 3, 4);
  ParseSmbiosTables(*info);
  return info;
}

// Start offsets of consecutive pieces of a table.
std::vector<uint32_t> Offsets(const std::vector<Bytes>& pieces) {
  std::vector<uint32_t> offsets{0};
  for (const auto& piece : pieces) offsets.push_back(offsets.back() + static_cast<uint32_t>(piece.size()));
  return offsets;
}

Bytes Join(const std::vector<Bytes>& pieces) {
  Bytes out;
  for (const auto& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
  return out;
}

// --- well-formed tables ---

TEST(ParseSmbiosTables, EmptyTableIndexesOneStructureOnZeroBytes) {
  const auto info = Parsed({});
  EXPECT_EQ(info->StructNum, 1u);
  EXPECT_EQ(info->TypeNum, 1u);
  EXPECT_EQ(info->StructAddr[0], 0u);
  EXPECT_EQ(info->TypeAddr[0], 0u);
  EXPECT_EQ(info->HandleStr[0], "0x0000");
  EXPECT_EQ(info->TypeStr[0], "0x00");
  EXPECT_EQ(info->StructLen[0], 0u);
  EXPECT_EQ(info->TypeLen[0], 0u);
}

TEST(ParseSmbiosTables, EndOfTableStructureAloneSpansTheWholeTable) {
  const auto info = Parsed({0x7F, 0x04, 0xFF, 0xFE, 0x00, 0x00});
  EXPECT_EQ(info->StructNum, 1u);
  EXPECT_EQ(info->TypeNum, 1u);
  EXPECT_EQ(info->HandleStr[0], "0xFEFF");
  EXPECT_EQ(info->TypeStr[0], "0x7F");
  EXPECT_EQ(info->StructLen[0], 6u);
  EXPECT_EQ(info->TypeLen[0], 6u);
}

TEST(ParseSmbiosTables, TextsGiveTheHighByteFirstInUpperCase) {
  const auto info = Parsed(Concat({Structure(0xDD, 0x1234, {"a"}), Structure(0x02, 0x0002, {"b"}),
                                   Structure(0xAB, 0xBEEF, {}), EndOfTable()}));
  ASSERT_EQ(info->StructNum, 4u);
  EXPECT_EQ(info->HandleStr[0], "0x1234");
  EXPECT_EQ(info->HandleStr[1], "0x0002");
  EXPECT_EQ(info->HandleStr[2], "0xBEEF");
  ASSERT_EQ(info->TypeNum, 4u);
  EXPECT_EQ(info->TypeStr[0], "0xDD");
  EXPECT_EQ(info->TypeStr[1], "0x02");
  EXPECT_EQ(info->TypeStr[2], "0xAB");
  EXPECT_EQ(info->TypeStr[3], "0x7F");
}

TEST(ParseSmbiosTables, ConsecutiveStructuresOfOneTypeFormOneRunAndARecurringTypeANewOne) {
  // Memory array (16), three memory devices (17), a mapped address (19),
  // one more memory device (17), end of table.
  const std::vector<Bytes> pieces{
      Structure(16, 0x1000, {}, Bytes(19, 0x01)),
      Structure(17, 0x1100, {"DIMM 0", "BANK 0", "Maker"}, Bytes(36, 0x02)),
      Structure(17, 0x1101, {"DIMM 1"}, Bytes(36, 0x03)),
      Structure(17, 0x1102, {}, Bytes(36, 0x04)),
      Structure(19, 0x1300, {}, Bytes(27, 0x05)),
      Structure(17, 0x1103, {"DIMM 3", "BANK 1"}, Bytes(36, 0x06)),
      EndOfTable(),
  };
  const auto at = Offsets(pieces);
  const auto info = Parsed(Join(pieces));

  ASSERT_EQ(info->StructNum, pieces.size());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_EQ(info->StructAddr[i], at[i]) << "structure " << i;
    EXPECT_EQ(info->StructLen[i], pieces[i].size()) << "structure " << i;
  }
  EXPECT_EQ(info->HandleStr[3], "0x1102");

  ASSERT_EQ(info->TypeNum, 5u);
  const std::vector<std::string> types{"0x10", "0x11", "0x13", "0x11", "0x7F"};
  const std::vector<uint32_t> runStarts{at[0], at[1], at[4], at[5], at[6]};
  const std::vector<uint32_t> runEnds{at[1], at[4], at[5], at[6], at[7]};
  for (std::size_t r = 0; r < types.size(); ++r) {
    EXPECT_EQ(info->TypeStr[r], types[r]) << "run " << r;
    EXPECT_EQ(info->TypeAddr[r], runStarts[r]) << "run " << r;
    EXPECT_EQ(info->TypeLen[r], runEnds[r] - runStarts[r]) << "run " << r;
  }
}

TEST(ParseSmbiosTables, EmptyStringSetEndsTwoBytesAfterTheFormattedArea) {
  const Bytes noStrings = Structure(1, 0x0001, {}, Bytes(4, 0x11));
  ASSERT_EQ(noStrings.size(), 10u);
  const auto info = Parsed(Concat({noStrings, Structure(2, 0x0002, {"x"}), EndOfTable()}));
  ASSERT_EQ(info->StructNum, 3u);
  EXPECT_EQ(info->StructAddr[1], 10u);
  EXPECT_EQ(info->StructLen[0], 10u);
  EXPECT_EQ(info->HandleStr[1], "0x0002");
}

TEST(ParseSmbiosTables, ZeroBytesInsideTheFormattedAreaAreNotAStringSetEnd) {
  const Bytes zeros = Structure(1, 0x0001, {"Maker"}, Bytes(8, 0x00));
  const auto info = Parsed(Concat({zeros, Structure(2, 0x0002, {"x"}), EndOfTable()}));
  ASSERT_EQ(info->StructNum, 3u);
  EXPECT_EQ(info->StructAddr[1], zeros.size());
}

TEST(ParseSmbiosTables, TableCutShortLeavesTheLastLengthsAtZero) {
  const Bytes first = Structure(0, 0x0000, {"BIOS"});
  Bytes cut = Structure(1, 0x0001, {"System"});
  cut.pop_back();  // no closing NUL
  const auto info = Parsed(Concat({first, cut}));
  ASSERT_EQ(info->StructNum, 2u);
  EXPECT_EQ(info->StructLen[0], first.size());
  EXPECT_EQ(info->StructLen[1], 0u);
  EXPECT_EQ(info->TypeLen[1], 0u);
}

TEST(ParseSmbiosTables, ReparsingASmallerTableLeavesNothingOfTheLargerOne) {
  auto info = Parsed(Concat({Structure(0, 0, {"a"}), Structure(1, 1, {"b"}), Structure(2, 2, {"c"}),
                             EndOfTable()}));
  ASSERT_EQ(info->StructNum, 4u);
  StoreSmbiosTable(*info, EndOfTable(), 3, 4);
  ParseSmbiosTables(*info);
  EXPECT_EQ(info->StructNum, 1u);
  EXPECT_EQ(info->TypeNum, 1u);
  EXPECT_EQ(info->StructAddr[1], 0u);
  EXPECT_EQ(info->StructLen[1], 0u);
  EXPECT_TRUE(info->HandleStr[2].empty());
  EXPECT_TRUE(info->TypeStr[1].empty());
}

// --- storing a table ---

TEST(StoreSmbiosTable, KeepsVersionsAndZeroesWhatAnEarlierTableLeftBehind) {
  auto info = MakeEmptySMInfo();
  StoreSmbiosTable(*info, Bytes(100, 0xFF), 2, 7);
  EXPECT_EQ(StoreSmbiosTable(*info, Bytes{1, 2, 3}, 3, 2), 3u);
  EXPECT_EQ(info->DataLen, 3u);
  EXPECT_EQ(info->MajorVersion, 3);
  EXPECT_EQ(info->MinorVersion, 2);
  EXPECT_EQ(info->Data[2], 3);
  EXPECT_EQ(std::accumulate(info->Data.begin() + 3, info->Data.end(), 0u), 0u);
}

TEST(StoreSmbiosTable, CutsATableLongerThanTheCopy) {
  Bytes big(70000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  auto info = MakeEmptySMInfo();
  EXPECT_EQ(StoreSmbiosTable(*info, big, 3, 4), kMaxTableBytes);
  EXPECT_EQ(info->DataLen, kMaxTableBytes);
  EXPECT_TRUE(std::equal(info->Data.begin(), info->Data.end(), big.begin()));
  EXPECT_TRUE(fuzz::RunSmbiosFuzzCase(big).empty());
}

// --- malformed tables: never outside the copy, never past DataLen ---

Bytes ManyStructures(std::size_t count, bool alternateTypes) {
  Bytes out;
  for (std::size_t i = 0; i < count; ++i) {
    const auto type = static_cast<uint8_t>(alternateTypes ? 0x11 + (i % 2) : 0x11);
    const auto s = Structure(type, static_cast<uint16_t>(i), {});
    out.insert(out.end(), s.begin(), s.end());
  }
  return out;
}

TEST(MalformedTables, IndexStopsAt255StructuresWithTheirTrueLengths) {
  for (const bool alternate : {false, true}) {
    SCOPED_TRACE(alternate ? "alternating types" : "one type");
    const Bytes table = ManyStructures(300, alternate);
    const auto info = Parsed(table);
    EXPECT_EQ(info->StructNum, 255u);
    EXPECT_EQ(info->StructAddr[254], 254u * 6);
    EXPECT_EQ(info->StructLen[254], 6u);
    EXPECT_EQ(info->StructLen[255], 0u);
    EXPECT_EQ(info->HandleStr[254], "0x00FE");
    if (alternate) {
      EXPECT_EQ(info->TypeNum, 255u);
      EXPECT_EQ(info->TypeLen[254], 6u);
    } else {
      EXPECT_EQ(info->TypeNum, 1u);
      EXPECT_EQ(info->TypeLen[0], 255u * 6);
    }
    EXPECT_EQ(fuzz::RunSmbiosFuzzCase(table), "");
  }
}

TEST(MalformedTables, ExactlyFilledIndexStillClosesTheTable) {
  const Bytes table = Concat({ManyStructures(254, false), EndOfTable()});
  const auto info = Parsed(table);
  EXPECT_EQ(info->StructNum, 255u);
  EXPECT_EQ(info->TypeNum, 2u);
  EXPECT_EQ(info->StructLen[254], 6u);
  EXPECT_EQ(info->TypeStr[1], "0x7F");
}

TEST(MalformedTables, HeaderThatDoesNotFitEndsTheTable) {
  const Bytes first = Structure(0, 0x0000, {"BIOS"});
  for (const Bytes& tail : {Bytes{0x02}, Bytes{0x02, 0x08}, Bytes{0x02, 0x08, 0x02}}) {
    const Bytes table = Concat({first, tail});
    SCOPED_TRACE(tail.size());
    const auto info = Parsed(table);
    EXPECT_EQ(info->StructNum, 1u);
    EXPECT_EQ(info->StructLen[0], table.size());
    EXPECT_EQ(info->TypeLen[0], table.size());
    EXPECT_EQ(fuzz::RunSmbiosFuzzCase(table), "");
  }
  // Four bytes hold a header: a structure begins there.
  const auto info = Parsed(Concat({first, Bytes{0x02, 0x08, 0x02, 0x00}}));
  EXPECT_EQ(info->StructNum, 2u);
  EXPECT_EQ(info->HandleStr[1], "0x0002");
}

TEST(MalformedTables, LengthsPointingPastTheEndStopTheScan) {
  const Bytes first = Structure(0, 0x0000, {"BIOS"});
  const Bytes table = Concat({first, Bytes{0x02, 0xFF, 0x02, 0x00, 'R', 'M', '4', '1', '5', 0, 0}});
  const auto info = Parsed(table);
  ASSERT_EQ(info->StructNum, 2u);
  EXPECT_EQ(info->StructLen[1], 0u);
  EXPECT_EQ(fuzz::RunSmbiosFuzzCase(table), "");
  EXPECT_EQ(fuzz::RunSmbiosFuzzCase(Bytes{0x00, 0xFF, 0x00, 0x00, 0x00, 0x00}), "");
}

TEST(MalformedTables, StringSetThatNeverEndsAndZeroLengthHeaders) {
  Bytes endless{0x02, 0x04, 0x02, 0x00};
  for (int i = 0; i < 50; ++i) endless.push_back(static_cast<uint8_t>('A' + i % 26));
  EXPECT_EQ(Parsed(endless)->StructNum, 1u);
  EXPECT_EQ(fuzz::RunSmbiosFuzzCase(endless), "");

  // A length byte of 0 or 1 points the scan back into the header; it still
  // moves on and ends.
  for (const uint8_t length : {uint8_t{0}, uint8_t{1}, uint8_t{2}, uint8_t{3}}) {
    Bytes table;
    for (int i = 0; i < 20; ++i) {
      const Bytes s{0x11, length, 0x00, 0x00, 0x00, 0x00};
      table.insert(table.end(), s.begin(), s.end());
    }
    SCOPED_TRACE(length);
    const auto info = Parsed(table);
    EXPECT_GE(info->StructNum, 1u);
    EXPECT_EQ(fuzz::RunSmbiosFuzzCase(table), "");
  }
}

TEST(MalformedTables, DataLenBeyondTheCopyIsReadOnlyUpToTheCopy) {
  auto info = MakeEmptySMInfo();
  const Bytes table = ManyStructures(10, false);
  StoreSmbiosTable(*info, table, 3, 4);
  info->DataLen = 70000;
  ParseSmbiosTables(*info);
  EXPECT_EQ(TableLimit(*info), kMaxTableBytes);
  EXPECT_EQ(info->StructAddr[9], 54u);
  EXPECT_EQ(info->StructLen[9], 6u);
}

}  // namespace
}  // namespace vesk
