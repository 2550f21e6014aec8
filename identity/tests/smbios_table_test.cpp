#include "identity/smbios_table.h"

#include <gtest/gtest.h>

#include <sstream>

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

// The index in one line: "offset+length:handle" per structure, then "|",
// then "offset+length:type" per run.
std::string IndexOf(const SMInfo& info) {
  std::ostringstream text;
  for (uint32_t i = 0; i < info.StructNum; ++i) {
    text << info.StructAddr[i] << "+" << info.StructLen[i] << ":" << info.HandleStr[i] << " ";
  }
  text << "|";
  for (uint32_t r = 0; r < info.TypeNum; ++r) {
    text << " " << info.TypeAddr[r] << "+" << info.TypeLen[r] << ":" << info.TypeStr[r];
  }
  return text.str();
}

// Every row also goes through the fuzz entry: the bytes past the table are
// poisoned for ASan meanwhile, and the index must keep its invariants.
TEST(ParseSmbiosTables, IndexesStructuresAndTypeRuns) {
  const Bytes bios = Structure(0, 0x0000, {"B"});  // 7 bytes
  Bytes cut = Structure(1, 0x0001, {"S"});
  cut.pop_back();  // the string-set never closes
  const std::vector<std::pair<Bytes, std::string>> rows{
      {{}, "0+0:0x0000 | 0+0:0x00"},
      // Texts are upper case, the handle's high byte first.
      {Concat({Structure(0xDD, 0x1234, {"a"}), Structure(0xAB, 0xBEEF, {}), EndOfTable()}),
       "0+7:0x1234 7+6:0xBEEF 13+6:0xFEFF | 0+7:0xDD 7+6:0xAB 13+6:0x7F"},
      // Three memory devices (17) in one run; 17 again after 19 starts a new run.
      {Concat({Structure(16, 0x10, {}), Structure(17, 0x11, {"A"}), Structure(17, 0x12, {}),
               Structure(17, 0x13, {"BB", "C"}), Structure(19, 0x14, {}), Structure(17, 0x15, {}), EndOfTable()}),
       "0+6:0x0010 6+7:0x0011 13+6:0x0012 19+10:0x0013 29+6:0x0014 35+6:0x0015 41+6:0xFEFF "
       "| 0+6:0x10 6+23:0x11 29+6:0x13 35+6:0x11 41+6:0x7F"},
      // An empty string-set ends two bytes after the formatted area.
      {Concat({Structure(1, 0x0001, {}, Bytes(4, 0x11)), Structure(2, 0x0002, {"x"}), EndOfTable()}),
       "0+10:0x0001 10+7:0x0002 17+6:0xFEFF | 0+10:0x01 10+7:0x02 17+6:0x7F"},
      // Zero bytes inside the formatted area end nothing.
      {Concat({Structure(1, 0x0001, {"M"}, Bytes(8, 0)), EndOfTable()}), "0+15:0x0001 15+6:0xFEFF | 0+15:0x01 15+6:0x7F"},
      // A table cut short leaves the last lengths at 0.
      {Concat({bios, cut}), "0+7:0x0000 7+0:0x0001 | 0+7:0x00 7+0:0x01"},
      // Fewer than four bytes after a string-set hold no header: the table ends.
      {Concat({bios, {0x02, 0x08, 0x02}}), "0+10:0x0000 | 0+10:0x00"},
      {Concat({bios, {0x02, 0x08, 0x02, 0x00}}), "0+7:0x0000 7+0:0x0002 | 0+7:0x00 7+0:0x02"},
      // A formatted length pointing past the end, a string-set that never ends.
      {Concat({bios, {0x02, 0xF0, 0x02, 0x00, 'R', 'M', 0, 0}}), "0+7:0x0000 7+0:0x0002 | 0+7:0x00 7+0:0x02"},
      {Concat({{0x02, 0x04, 0x02, 0x00}, Bytes(50, 'A')}), "0+0:0x0002 | 0+0:0x02"},
      // Length bytes 0 to 3 point the scan back into the header; it ends anyway.
      {Concat({{0x11, 0x03, 0x00, 0x00, 0x00, 0x00, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00}}), ""},
  };
  for (const auto& [bytes, index] : rows) {
    SCOPED_TRACE(::testing::PrintToString(bytes));
    if (!index.empty()) {
      EXPECT_EQ(IndexOf(*Parsed(bytes)), index);
    }
    EXPECT_EQ(fuzz::RunSmbiosFuzzCase(bytes), "");
  }
}

TEST(ParseSmbiosTables, StopsAt255StructuresKeepingTheirTrueLengths) {
  for (const bool alternate : {false, true}) {
    Bytes table;
    for (uint16_t i = 0; i < 300; ++i) {
      for (const uint8_t b : Structure(static_cast<uint8_t>(alternate ? 0x11 + i % 2 : 0x11), i, {})) table.push_back(b);
    }
    const auto info = Parsed(table);
    EXPECT_EQ(info->StructNum, 255u);
    EXPECT_EQ(info->StructAddr[254], 254u * 6);
    EXPECT_EQ(info->StructLen[254], 6u);
    EXPECT_EQ(info->HandleStr[254], "0x00FE");
    EXPECT_EQ(info->TypeNum, alternate ? 255u : 1u);
    EXPECT_EQ(info->TypeLen[info->TypeNum - 1], alternate ? 6u : 255u * 6);
    EXPECT_EQ(fuzz::RunSmbiosFuzzCase(table), "");
  }
}

TEST(StoreSmbiosTable, KeepsVersionsCutsAtTheCopyAndZeroesTheRest) {
  Bytes big(70000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + 1);
  auto info = MakeEmptySMInfo();
  EXPECT_EQ(StoreSmbiosTable(*info, big, 2, 7), kMaxTableBytes);
  EXPECT_TRUE(std::equal(info->Data.begin(), info->Data.end(), big.begin()));
  EXPECT_EQ(StoreSmbiosTable(*info, Bytes{1, 2, 3}, 3, 2), 3u);
  EXPECT_EQ(info->DataLen, 3u);
  EXPECT_EQ(info->MajorVersion, 3);
  EXPECT_EQ(info->MinorVersion, 2);
  EXPECT_TRUE(std::all_of(info->Data.begin() + 3, info->Data.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(fuzz::RunSmbiosFuzzCase(big), "");

  // A DataLen beyond the copy (a source's mistake) is read only up to the copy.
  StoreSmbiosTable(*info, EndOfTable(), 3, 2);
  info->DataLen = 70000;
  ParseSmbiosTables(*info);
  EXPECT_EQ(TableLimit(*info), kMaxTableBytes);
}

TEST(StoreRawSmbiosData, TakesTheTableItsHeaderAnnouncesAndNoCutBuffer) {
  const Bytes header{0, 3, 4, 0, 6, 0, 0, 0};  // calling method, version 3.4, revision, length 6
  const std::pair<Bytes, bool> rows[] = {{Concat({header, EndOfTable()}), true},
                                         {Concat({header, EndOfTable(), Bytes(5, 0xEE)}), true},  // padding
                                         {Concat({header, Bytes{0x7F, 4, 0xFF}}), false},  // cut table
                                         {Bytes{0, 3, 4, 0, 6, 0}, false},  // cut header
                                         {Concat({Bytes{0, 3, 4, 0, 6, 0, 0, 1}, EndOfTable()}), false}};  // 0x01000006
  for (const auto& [buffer, stored] : rows) {
    auto info = MakeEmptySMInfo();
    EXPECT_EQ(StoreRawSmbiosData(*info, buffer), stored) << buffer.size();
    EXPECT_EQ(info->DataLen, stored ? 6u : 0u);
    if (!stored) continue;
    EXPECT_EQ(Bytes(info->Data.begin(), info->Data.begin() + 7), Concat({EndOfTable(), {0}}));
    EXPECT_EQ(info->MajorVersion * 10 + info->MinorVersion, 34);
  }
}

}  // namespace
}  // namespace vesk
