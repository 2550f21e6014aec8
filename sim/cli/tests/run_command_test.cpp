#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Monday and Tuesday 08:00-08:30.
std::vector<uint8_t> TwoMornings() {
  return TimetableImage({{1, 1, 1, 8 * 60, 8 * 60 + 30}, {2, 1, 1, 8 * 60, 8 * 60 + 30}});
}

TEST(RunCommand, UsageErrors) {
  const ScratchFolder folder;
  const std::string week = folder.Write("TimeSetting.bin", TwoMornings());
  const auto script = [&](const std::string& name, const std::string& text) {
    return folder.Write(name, std::vector<uint8_t>(text.begin(), text.end()));
  };
  const std::string badScript = script("bad.txt", "2026-12-07 08:00:00 jump\n");
  ExpectUsageErrors("run", {},
                    {{"--from", "2026-12-07 07:00:00", "--for", "1d"},
                     {"--board", "mcu-amd", "--for", "1d"},
                     {"--board", "mcu-amd", "--from", "2026-12-07 07:00:00"},
                     {"--board", "mcu-usb", "--from", "2026-12-07 07:00:00", "--for", "1d"},
                     {"--board", "mcu-amd", "--from", "2026-12-07", "--for", "1d"},
                     {"--board", "mcu-amd", "--from", "2026-12-07 07:00:00", "--for", "1w"}});
  const std::vector<std::string> base{"--board", "mcu-amd", "--from", "2026-12-07 07:00:00", "--for", "1d"};
  ExpectUsageErrors("run", base,
                    {{"--lang", "chinese"},
                     {"--table", "x"},
                     {"--table", "accepted", "--smbios", week},
                     {"--schedule", folder.PathOf("none")},
                     {"--script", badScript},
                     {"--script", script("late.txt", "2026-12-09 08:00:00 open\n")},
                     {"--speed", "9"},
                     {"--driver", "winring0"}});
  std::vector<std::string> bad{"run", "--script", badScript};
  bad.insert(bad.end(), base.begin(), base.end());
  EXPECT_NE(RunVeskSim(bad).err.find("line 1: unknown action 'jump'"), std::string::npos);
}

TEST(RunCommand, TimelineOfTwoDays) {
  const ScratchFolder folder;
  const std::string week = folder.Write("TimeSetting.bin", TwoMornings());
  const RunResult run = RunVeskSim({"run", "--board", "rtc-d0-intel-smbus", "--schedule", week, "--from",
                                    "2026-12-07 07:59:00", "--for", "2d"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  // "YYYY-MM-DD HH:MM:SS event key=value ...", values with blanks quoted.
  const std::regex shape{R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [a-z-]+( [a-z]+=("([^"]|\\")*"|[^ "]+))*)"};
  std::string previous;
  std::vector<std::string> power;
  for (const auto& line : lines) {
    EXPECT_TRUE(std::regex_match(line, shape)) << line;
    EXPECT_LE(previous.substr(0, 19), line.substr(0, 19)) << "out of order: " << line;
    previous = line;
    if (line.find(" on ") == 19 || line.find(" off") == 19) power.push_back(line);
  }
  EXPECT_EQ(lines.front(), "2026-12-07 07:59:00 on cause=power");
  // 07:59 is a minute before the phase: no shutdown, the program runs on
  // into it. Then off at 08:30 both days, on by the clock on Tuesday.
  ASSERT_EQ(power.size(), 4u) << run.out;
  EXPECT_EQ(power[1], "2026-12-07 08:30:30 off");
  EXPECT_EQ(power[2].substr(0, 16), "2026-12-08 08:00");
  EXPECT_NE(power[2].find("on cause=alarm"), std::string::npos);
  EXPECT_EQ(power[3].substr(0, 16), "2026-12-08 08:30");
  EXPECT_NE(run.out.find("chip address=0xD0 mode=smbus"), std::string::npos);
  EXPECT_EQ(run.out.find(" bus op="), std::string::npos) << "only with --trace-bus";
}

// The totals agree with the trace; each SMBus transfer waits its 10 ms
// settle; without coalescing the program's every tick reaches the chip.
TEST(RunCommand, BusTotalsAgreeWithTheTraceAndEveryTickAddsTheSkippedTicks) {
  const ScratchFolder folder;
  const std::string week = folder.Write("TimeSetting.bin", TwoMornings());
  const std::regex totals{R"(2026-12-07 08:01:00 bus-totals transfers=(\d+) blocked=(\d+)us)"};
  std::vector<long> transfers;
  for (const bool everyTick : {false, true}) {
    std::vector<std::string> args{"run", "--board", "rtc-d0-intel-smbus", "--schedule", week, "--from",
                                  "2026-12-07 07:59:00", "--for", "2m", "--trace-bus", "--bus-totals"};
    if (everyTick) args.push_back("--every-tick");
    const RunResult run = RunVeskSim(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    std::smatch found;
    ASSERT_TRUE(std::regex_match(lines.back(), found, totals)) << lines.back();
    transfers.push_back(std::stol(found[1]));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto& l) { return l.find(" bus op=") == 19; }),
              transfers.back());
    EXPECT_GE(std::stol(found[2]), 10'000 * transfers.back());
    EXPECT_NE(run.out.find(" bus op=nack addr=0xC2"), std::string::npos) << "start-up's probe";
    EXPECT_NE(run.out.find(" bus op=write addr=0xD0 reg=0x00 value=0x20"), std::string::npos);
    EXPECT_NE(run.out.find(" port port=0x2E value=0x87"), std::string::npos) << "the Super I/O watchdog";
  }
  EXPECT_GT(transfers[1], transfers[0] + 60);
}

TEST(RunCommand, RefusedFirmwareTableFromAFile) {
  const ScratchFolder folder;
  // One baseboard structure (handle 2) without the switch word, then the end.
  std::vector<uint8_t> table{2, 8, 2, 0, 1, 2, 0, 0};
  for (const char c : std::string("VESK\0RM415 CLOSED\0\0", 20)) table.push_back(static_cast<uint8_t>(c));
  table.insert(table.end(), {127, 4, 3, 0, 0, 0});
  const std::string file = folder.Write("table.bin", table);
  const RunResult run =
      RunVeskSim({"run", "--board", "mcu-amd", "--smbios", file, "--from", "2026-12-07 08:00:00", "--for", "1h"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 6u) << run.out;
  EXPECT_EQ(lines[1], "2026-12-07 08:00:00 start");
  EXPECT_EQ(lines[3], "2026-12-07 08:00:00 eventlog id=140 level=error text=\"board-refused reason=switched-off\"");
  EXPECT_EQ(lines[4].substr(0, 36), "2026-12-07 08:00:00 message caption=");
  EXPECT_EQ(lines[5], "2026-12-07 08:00:00 exit code=0");
}

// The week of the office script, once as the simulator's timeline and once as
// the history the program kept on the simulated disk: every start, wake-up,
// warning, postponement, save and shutdown appears in both, at the same
// second and in the same order.
TEST(RunCommand, HistoryOfAnOfficeWeekAgreesWithTheTimeline) {
  const ScratchFolder folder;
  const std::string samples = VESK_SAMPLES_DIR;
  const RunResult run = RunVeskSim({"run", "--board", "rtc-a2-intel-i2c", "--schedule", samples + "/TimeSetting.bin",
                                    "--script", samples + "/office-day.script", "--from", "2026-12-07 07:00:00",
                                    "--for", "7d", "--history", folder.PathOf("VESK.log")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::pair<std::string, std::string>> timelineToHistory{
      {"start", "start"}, {"on cause=alarm", "woken cause=alarm"}, {"alarm ", "wakeup "}, {"warning ", "warning "},
      {"postpone ", "postpone "}, {"save", "save"}, {"command line=\"Cmd.exe /C shutdown -s", "shutdown "}};
  std::vector<std::string> expected;
  for (const auto& line : Lines(run.out)) {
    for (const auto& [event, entry] : timelineToHistory) {
      if (line.compare(20, event.size(), event) == 0) expected.push_back(line.substr(0, 19) + " " + entry);
    }
  }
  std::vector<std::string> kept;
  std::ifstream file(folder.PathOf("VESK.log"));
  for (std::string line; std::getline(file, line);) {
    ASSERT_EQ(line.substr(10, 1) + line.substr(19, 6), "T+00:00") << line;
    for (const auto& [event, entry] : timelineToHistory) {
      if (line.compare(26, entry.size(), entry) == 0) kept.push_back(line.substr(0, 10) + " " + line.substr(11, 8) + " " + entry);
    }
  }
  // Within one second the two may list things in another order.
  std::sort(kept.begin(), kept.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(kept, expected) << run.out;
  EXPECT_GE(std::count_if(kept.begin(), kept.end(), [](const std::string& e) { return e.ends_with(" shutdown "); }), 5);
  EXPECT_GE(std::count_if(kept.begin(), kept.end(), [](const std::string& e) { return e.ends_with("woken cause=alarm"); }), 4);
  // The same events in the system's event log, each under its kind's ID.
  for (const char* entry : {"id=100 level=information text=\"start ", "id=101 level=information text=\"woken cause=alarm",
                            "id=120 level=information text=\"wakeup at=", "id=110 level=information text=\"shutdown "}) {
    EXPECT_NE(run.out.find(std::string(" eventlog ") + entry), std::string::npos) << entry;
  }
}

// The same office week through PawnIO's modules and through the driver
// libraries: the chips are programmed, read back, fed and switched alike, so
// the timelines match line for line; the history says which way was taken.
TEST(RunCommand, ThePawnIoWayGivesTheWeekOfTheDriverLibraries) {
  const ScratchFolder folder;
  const std::string samples = VESK_SAMPLES_DIR;
  for (const char* board : {"mcu-intel-smbus", "rtc-a2-amd"}) {
    std::vector<std::string> outputs;
    for (const char* driver : {"libraries", "pawnio"}) {
      const RunResult run = RunVeskSim({"run", "--board", board, "--schedule", samples + "/TimeSetting.bin", "--script",
                                        samples + "/office-day.script", "--from", "2026-12-07 07:00:00", "--for", "7d",
                                        "--driver", driver, "--history", folder.PathOf("VESK.log")});
      ASSERT_EQ(run.exitCode, 0) << run.err;
      // The event log's entry of the way taken aside, the timelines match.
      std::string timeline;
      for (const auto& line : Lines(run.out)) {
        if (line.find(" eventlog id=130 ") == std::string::npos) timeline += line + "\n";
      }
      outputs.push_back(timeline);
      std::ifstream file(folder.PathOf("VESK.log"));
      const std::string history{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
      const std::string path = std::string(" drivers path=") + driver;
      EXPECT_NE(history.find(path), std::string::npos) << board << " " << driver;
    }
    EXPECT_GT(std::count(outputs[0].begin(), outputs[0].end(), '\n'), 1000) << board;
    EXPECT_EQ(outputs[1], outputs[0]) << board;
  }
}

}  // namespace
}  // namespace vesk::sim::cli::testing
