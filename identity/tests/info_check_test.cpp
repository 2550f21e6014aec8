#include "identity/info_check.h"

#include <gtest/gtest.h>

#include "identity/smbios_table.h"
#include "identity/tests/table_bytes.h"
#include "sim/os/simulated_os.h"

namespace vesk {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::EndOfTable;
using testing::Structure;

// Hands the check a fixed table, as the firmware would.
struct BytesSource : SmbiosTableSource {
  explicit BytesSource(Bytes table) : bytes(std::move(table)) {}
  void ReadTables(SMInfo& info, OsServices&) override {
    ++reads;
    StoreSmbiosTable(info, bytes, 3, 4);
  }
  Bytes bytes;
  int reads = 0;
};

// "accepted", or "exit N: CAPTION: TEXT (type T)" of the one box.
std::string Check(SmbiosTableSource& source, sim::SimulatedOs& os) {
  try {
    InfoCheckValid(os, source);
    return os.MessageBoxes().empty() ? "accepted" : "accepted after a box";
  } catch (const sim::SimulatedProcessExit& exit) {
    if (os.MessageBoxes().size() != 1) return "refused with " + std::to_string(os.MessageBoxes().size()) + " boxes";
    const auto& box = os.MessageBoxes()[0];
    return "exit " + std::to_string(exit.exitCode) + ": " + box.caption + ": " + box.text + " (type " +
           std::to_string(box.type) + ")";
  }
}

std::string Check(const Bytes& table, uint16_t langId = 1033) {
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  os.SetLangId(langId);
  BytesSource source{table};
  return Check(source, os);
}

const std::string kNotCompatible = "exit 0: Error: This Modle is not compatible with VESK technology! (type 16)";
const std::string kSwitchedOff = "exit 0: Notice: The switch of VESK technology is off! (type 16)";

// BIOS, system, baseboard (given handle and strings), end of table.
Bytes Board(std::initializer_list<std::string> strings, uint16_t handle = 0x0002) {
  return Concat({Structure(0x00, 0x0000, {"American Megatrends Inc.", "1.02"}, Bytes(20, 0)),
                 Structure(0x01, 0x0001, {"VESK", "Box PC"}, Bytes(23, 0)),
                 Structure(0x02, handle, strings, Bytes(11, 0)), EndOfTable()});
}

TEST(InfoCheckValid, JudgesTheJoinedFirstFiveStringsOfTheStructureWithHandle0x0002) {
  const Bytes inFormattedArea{'R', 'M', '4', '1', '5', 'O', 'P', 'E', 'N', 0};
  const std::vector<std::tuple<const char*, Bytes, std::string>> rows{
      {"model code and switch", Board({"VESK", "RM415-B1", "OPEN"}), "accepted"},
      {"switch without model code: the model is tested first", Board({"OPEN", "H610M"}), kNotCompatible},
      {"model code without switch", Board({"VESK", "RM415-B1", "CLOSED"}), kSwitchedOff},
      {"model code across strings 2 and 3", Board({"VESK", "AB RM4", "15 CD", "OP", "EN"}), "accepted"},
      {"inside longer words", Board({"XRM415-B", "REOPENED"}), "accepted"},
      {"model code in lower case", Board({"rm415", "OPEN"}), kNotCompatible},
      {"switch in lower case", Board({"RM415", "open"}), kSwitchedOff},
      {"switch as the fifth string", Board({"RM415", "b", "c", "d", "OPEN"}), "accepted"},
      {"switch only as the sixth string", Board({"RM415", "b", "c", "d", "e", "OPEN"}), kSwitchedOff},
      {"empty table", {}, kNotCompatible},
      {"handle bytes 00 02 are 0x0200", Board({"RM415", "OPEN"}, 0x0200), kNotCompatible},
      {"any type with the handle", Concat({Structure(0x7E, 0x0002, {"RM415 OPEN"}), EndOfTable()}), "accepted"},
      {"a later structure with the handle is not read",
       Concat({Structure(0x02, 0x0002, {"VESK"}), Structure(0x02, 0x0002, {"RM415", "OPEN"}), EndOfTable()}),
       kNotCompatible},
      {"strings of other structures do not count",
       Concat({Structure(0x01, 0x0001, {"RM415", "OPEN"}), Structure(0x02, 0x0002, {"VESK"}), EndOfTable()}),
       kNotCompatible},
      {"the formatted area is no string",
       Concat({Structure(0x02, 0x0002, {"VESK"}, inFormattedArea), EndOfTable()}), kNotCompatible},
      {"strings begin after a long formatted area",
       Concat({Structure(0x02, 0x0002, {"RM415", "OPEN"}, Bytes(30, 'x')), EndOfTable()}), "accepted"},
      {"formatted length past the end",
       Concat({Structure(0x00, 0x0000, {"BIOS"}), {0x02, 0xF0, 0x02, 0x00, 'R', 'M', '4', '1', '5', 'O', 'P', 'E', 'N', 0, 0}}),
       kNotCompatible},
      {"table cut inside the last string reads up to its end",
       Concat({Structure(0x00, 0x0000, {"BIOS"}), {0x02, 0x04, 0x02, 0x00, 'R', 'M', '4', '1', '5', 0, 'O', 'P', 'E', 'N'}}),
       "accepted"},
  };
  for (const auto& [what, table, seen] : rows) EXPECT_EQ(Check(table), seen) << what;
}

TEST(InfoCheckValid, SpeaksChineseOnlyForLanguage2052) {
  EXPECT_EQ(Check(Board({"OPEN"}), 2052), "exit 0: 错误: 此主板和软件不兼容！ (type 16)");
  EXPECT_EQ(Check(Board({"RM415"}), 2052), "exit 0: 提示: VESK开关未打开！ (type 16)");
  EXPECT_EQ(Check(Board({"RM415", "OPEN"}), 2052), "accepted");
  EXPECT_EQ(Check(Board({"OPEN"}), 2051), kNotCompatible);  // not Chinese of another country
}

TEST(FallbackSmbiosSource, AsksTheSecondSourceOnlyWhenTheFirstDeliveredNoTable) {
  const std::tuple<Bytes, std::string, int> rows[] = {{{}, "accepted", 1},
                                                      {Board({"H610M", "OPEN"}), kNotCompatible, 0}};
  for (const auto& [firstTable, seen, secondReads] : rows) {
    sim::VirtualClock clock;
    sim::SimulatedOs os{clock};
    BytesSource first{firstTable}, second{Board({"RM415", "OPEN"})};
    FallbackSmbiosSource source{first, second};
    EXPECT_EQ(Check(source, os), seen);
    EXPECT_EQ(second.reads, secondReads);
  }
}

}  // namespace
}  // namespace vesk
