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

constexpr uint16_t kEnglishUs = 1033;
constexpr uint16_t kChineseTaiwan = 1028;

// Hands the check a fixed table, as the firmware would.
class BytesSource : public SmbiosTableSource {
 public:
  explicit BytesSource(Bytes bytes, std::vector<std::string> debugTexts = {})
      : bytes_(std::move(bytes)), debugTexts_(std::move(debugTexts)) {}
  void ReadTables(SMInfo& info, OsServices& os) override {
    ++reads;
    receivedEmptyRecord = info.DataLen == 0 && info.StructNum == 0 && info.HandleStr[0].empty();
    for (const auto& text : debugTexts_) os.DebugOutput(text);
    StoreSmbiosTable(info, bytes_, 3, 4);
  }
  int reads = 0;
  bool receivedEmptyRecord = false;

 private:
  Bytes bytes_;
  std::vector<std::string> debugTexts_;
};

struct Outcome {
  bool returned = false;
  int exitCode = -1;
  std::vector<sim::MessageBoxRecord> boxes;
  std::vector<std::string> debugTexts;
};

Outcome RunCheck(SmbiosTableSource& source, uint16_t langId = kEnglishUs) {
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  os.SetLangId(langId);
  Outcome outcome;
  try {
    InfoCheckValid(os, source);
    outcome.returned = true;
  } catch (const sim::SimulatedProcessExit& exit) {
    outcome.exitCode = exit.exitCode;
  }
  outcome.boxes = os.MessageBoxes();
  outcome.debugTexts = os.DebugTexts();
  return outcome;
}

Outcome RunCheck(const Bytes& table, uint16_t langId = kEnglishUs) {
  BytesSource source{table};
  return RunCheck(source, langId);
}

// What the user saw: "accepted" or the one box's caption and text.
std::string Seen(const Outcome& outcome) {
  if (outcome.returned) return outcome.boxes.empty() ? "accepted" : "accepted with a box";
  if (outcome.boxes.size() != 1) return "refused with " + std::to_string(outcome.boxes.size()) + " boxes";
  return outcome.boxes[0].caption + ": " + outcome.boxes[0].text;
}

const std::string kNotCompatible = "Error: This Modle is not compatible with VESK technology!";
const std::string kSwitchedOff = "Notice: The switch of VESK technology is off!";

// BIOS, system, baseboard (with the given handle and strings), chassis, end.
Bytes BoardTable(std::initializer_list<std::string> boardStrings, uint16_t boardHandle = 0x0002) {
  return Concat({Structure(0x00, 0x0000, {"American Megatrends Inc.", "1.02", "05/06/2026"}, Bytes(20, 0)),
                 Structure(0x01, 0x0001, {"VESK", "Box PC", "1.0", "Default string"}, Bytes(23, 0)),
                 Structure(0x02, boardHandle, boardStrings, Bytes(11, 0)),
                 Structure(0x03, 0x0003, {"Chassis"}, Bytes(17, 0)), EndOfTable()});
}

// --- what the five strings must hold ---

TEST(InfoCheckValid, JudgesTheJoinedFirstFiveStringsOfTheIdentityStructure) {
  struct Case {
    const char* what;
    Bytes table;
    std::string seen;
  };
  const std::vector<Case> cases{
      {"model code and switch", BoardTable({"VESK", "RM415-B1", "OPEN"}), "accepted"},
      {"switch without model code: model tested first", BoardTable({"OPEN", "H610M"}), kNotCompatible},
      {"model code without switch", BoardTable({"VESK", "RM415-B1", "CLOSED"}), kSwitchedOff},
      {"model code across strings 2 and 3", BoardTable({"VESK", "AB RM4", "15 CD", "OP", "EN"}), "accepted"},
      {"both split letter by letter", BoardTable({"RM41", "5OPE", "N"}), "accepted"},
      {"inside longer words", BoardTable({"XRM415-B", "REOPENED"}), "accepted"},
      {"model code in lower case", BoardTable({"rm415", "OPEN"}), kNotCompatible},
      {"switch in lower case", BoardTable({"RM415", "open"}), kSwitchedOff},
      {"switch in mixed case", BoardTable({"RM415", "Open"}), kSwitchedOff},
      {"switch as the fifth string", BoardTable({"RM415", "b", "c", "d", "OPEN"}), "accepted"},
      {"switch only as the sixth string", BoardTable({"RM415", "b", "c", "d", "e", "OPEN"}), kSwitchedOff},
      {"model code only as the sixth string", BoardTable({"a", "b", "c", "d", "OPEN", "RM415"}),
       kNotCompatible},
      {"one string holding both", BoardTable({"RM415OPEN"}), "accepted"},
      {"no strings", BoardTable({}), kNotCompatible},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Seen(RunCheck(c.table)), c.seen) << c.what;
  }
}

// --- which structure is the identity structure ---

TEST(InfoCheckValid, OnlyTheFirstStructureWithHandle0x0002Counts) {
  // Handle bytes 00 02 are handle 0x0200, not 0x0002.
  EXPECT_EQ(Seen(RunCheck(BoardTable({"RM415", "OPEN"}, 0x0200))), kNotCompatible);
  EXPECT_EQ(Seen(RunCheck(BoardTable({"RM415", "OPEN"}, 0x0020))), kNotCompatible);

  // Its type does not matter.
  EXPECT_EQ(Seen(RunCheck(Concat({Structure(0x7E, 0x0002, {"RM415 OPEN"}), EndOfTable()}))), "accepted");

  // A later structure with the same handle is never read.
  EXPECT_EQ(Seen(RunCheck(Concat({Structure(0x02, 0x0002, {"VESK"}),
                                   Structure(0x02, 0x0002, {"RM415", "OPEN"}), EndOfTable()}))),
            kNotCompatible);

  // Strings of other structures do not count.
  EXPECT_EQ(Seen(RunCheck(Concat({Structure(0x01, 0x0001, {"RM415", "OPEN"}),
                                   Structure(0x02, 0x0002, {"VESK"}), EndOfTable()}))),
            kNotCompatible);
}

TEST(InfoCheckValid, StringsBeginAfterTheWholeFormattedArea) {
  const Bytes text{'R', 'M', '4', '1', '5', 'O', 'P', 'E', 'N', 0};
  EXPECT_EQ(Seen(RunCheck(Concat({Structure(0x02, 0x0002, {"VESK"}, text), EndOfTable()}))),
            kNotCompatible);
  EXPECT_EQ(Seen(RunCheck(Concat({Structure(0x02, 0x0002, {"RM415", "OPEN"}, Bytes(30, 'x')),
                                   EndOfTable()}))),
            "accepted");
}

TEST(InfoCheckValid, EmptyOrBrokenTablesAreNotCompatible) {
  EXPECT_EQ(Seen(RunCheck(Bytes{})), kNotCompatible);

  // The identity structure lies beyond the 255 structures the index holds.
  Bytes many;
  for (uint16_t handle = 0x0100; handle < 0x0100 + 300; ++handle) {
    const Bytes s = Structure(0x11, handle, {"DIMM"});
    many.insert(many.end(), s.begin(), s.end());
  }
  EXPECT_EQ(Seen(RunCheck(Concat({many, Structure(0x02, 0x0002, {"RM415", "OPEN"}), EndOfTable()}))),
            kNotCompatible);

  // Its formatted length points past the end of the table.
  EXPECT_EQ(Seen(RunCheck(Concat({Structure(0x00, 0x0000, {"BIOS"}),
                                  Bytes{0x02, 0xF0, 0x02, 0x00, 'R', 'M', '4', '1', '5', 'O', 'P', 'E', 'N', 0, 0}}))),
            kNotCompatible);
}

TEST(InfoCheckValid, TableCutInsideTheIdentityStringsReadsUpToItsEnd) {
  const Bytes cut{0x02, 0x04, 0x02, 0x00, 'R', 'M', '4', '1', '5', 0, 'O', 'P', 'E', 'N'};
  const auto info = MakeEmptySMInfo();
  StoreSmbiosTable(*info, Concat({Structure(0x00, 0x0000, {"BIOS"}), cut}), 3, 4);
  ParseSmbiosTables(*info);
  const IdentityStrings strings = ReadIdentityStrings(*info);
  EXPECT_EQ(strings[0], "RM415");
  EXPECT_EQ(strings[1], "OPEN");
  EXPECT_EQ(strings[2], "");
}

// --- messages, languages, the end of the process ---

TEST(InfoCheckValid, RefusalShowsOneErrorBoxInTheSystemLanguageAndEndsWithCode0) {
  struct Case {
    Bytes table;
    uint16_t langId;
    std::string caption;
    std::string text;
  };
  const Bytes noModel = BoardTable({"OPEN"});
  const Bytes switchedOff = BoardTable({"RM415"});
  const std::vector<Case> cases{
      {noModel, kLangIdChinese, "错误", "此主板和软件不兼容！"},
      {noModel, kEnglishUs, "Error", "This Modle is not compatible with VESK technology!"},
      {noModel, kChineseTaiwan, "Error", "This Modle is not compatible with VESK technology!"},
      {switchedOff, kLangIdChinese, "提示", "VESK开关未打开！"},
      {switchedOff, kEnglishUs, "Notice", "The switch of VESK technology is off!"},
      {switchedOff, kChineseTaiwan, "Notice", "The switch of VESK technology is off!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption + " / " + std::to_string(c.langId));
    const Outcome outcome = RunCheck(c.table, c.langId);
    EXPECT_FALSE(outcome.returned);
    EXPECT_EQ(outcome.exitCode, 0);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].caption, c.caption);
    EXPECT_EQ(outcome.boxes[0].text, c.text);
    EXPECT_EQ(outcome.boxes[0].type, kMbIconError);
    EXPECT_EQ(outcome.boxes[0].timeoutMs, 0u);
  }
  EXPECT_EQ(Seen(RunCheck(BoardTable({"RM415", "OPEN"}), kLangIdChinese)), "accepted");
}

TEST(InfoCheckValid, ReadsAFreshRecordOnceAndPassesTheSourcesDebugTextsOn) {
  BytesSource failing{{}, {"Connect Fails"}};
  const Outcome outcome = RunCheck(failing);
  EXPECT_EQ(failing.reads, 1);
  EXPECT_TRUE(failing.receivedEmptyRecord);
  EXPECT_EQ(outcome.debugTexts, std::vector<std::string>{"Connect Fails"});
  EXPECT_EQ(Seen(outcome), kNotCompatible);
}

TEST(RefusalMessageFor, OnlyLanguage2052GetsChinese) {
  for (const uint16_t langId : {uint16_t{0}, uint16_t{1033}, uint16_t{1028}, uint16_t{2051}, uint16_t{2053},
                                uint16_t{0x0804 + 0x0400}}) {
    EXPECT_EQ(RefusalMessageFor(BoardVerdict::SwitchedOff, langId).caption, "Notice") << langId;
  }
  EXPECT_EQ(RefusalMessageFor(BoardVerdict::SwitchedOff, 0x0804).caption, "提示");
}

}  // namespace
}  // namespace vesk
