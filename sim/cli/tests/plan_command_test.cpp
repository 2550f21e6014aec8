#include <expat.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;
};

// The elements of an SVG file in document order; the file must be
// well-formed XML and self-contained.
std::vector<Element> ParseSvg(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  const std::string xml = content.str();
  for (const char* outside : {"<script", "href", "@import"}) EXPECT_EQ(xml.find(outside), std::string::npos);
  for (auto at = xml.find("url("); at != std::string::npos; at = xml.find("url(", at + 1)) EXPECT_EQ(xml[at + 4], '#');
  struct State {
    std::vector<Element> elements;
    std::vector<std::size_t> open;
  } state;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(
      parser,
      [](void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& s = *static_cast<State*>(data);
        s.open.push_back(s.elements.size());
        s.elements.push_back({name, {}, {}});
        for (int i = 0; attributes[i]; i += 2) s.elements.back().attributes[attributes[i]] = attributes[i + 1];
      },
      [](void* data, const XML_Char*) { static_cast<State*>(data)->open.pop_back(); });
  XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* text, int length) {
    auto& s = *static_cast<State*>(data);
    if (!s.open.empty()) s.elements[s.open.back()].text.append(text, static_cast<std::size_t>(length));
  });
  EXPECT_EQ(XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE), XML_STATUS_OK)
      << XML_ErrorString(XML_GetErrorCode(parser)) << " at line " << XML_GetCurrentLineNumber(parser);
  XML_ParserFree(parser);
  return state.elements;
}

using DayBars = std::map<std::string, std::set<std::string>>;  // date -> "ON OFF START END"

DayBars DrawnBars(const std::vector<Element>& svg) {
  DayBars bars;
  for (const Element& e : svg) {
    if (e.attributes.count("class") && e.attributes.at("class") == "bar") {
      const auto& a = e.attributes;
      bars[a.at("data-date")].insert(a.at("data-on") + " " + a.at("data-off") + " " + a.at("data-start"));
    }
  }
  return bars;
}

// The on and off (or reset) events of `vesk-sim run`, from `first` on.
DayBars RunBars(const std::string& out, const std::string& first) {
  DayBars bars;
  std::istringstream lines(out);
  std::string on;
  for (std::string line; std::getline(lines, line);) {
    const std::string event = line.substr(20);
    if (event.rfind("on cause=", 0) == 0) on = line.substr(0, 19) + " " + line.substr(29);
    if ((event == "off" || event.rfind("reset ", 0) == 0) && on.substr(0, 10) >= first) {
      bars[on.substr(0, 10)].insert(on.substr(0, 19) + " " + line.substr(0, 19) + on.substr(19));
    }
  }
  return bars;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

const std::string kOffice = VESK_SAMPLES_DIR "/TimeSetting.bin";
const std::string kDecember = "2026-12-24 08:00-12:00\n2026-12-25 off\n2027-01-02 09:00-12:00,13:00-16:00\n";

TEST(PlanCommand, BarsAreTheEventsOfRunDayByDay) {
  const ScratchFolder folder;
  const std::string holidays = folder.Write("Holidays.txt", Bytes(kDecember));
  const std::string svg = folder.PathOf("plan.svg");
  const RunResult plan = RunVeskSim({"plan", "--schedule", kOffice, "--holidays", holidays, "--from", "2026-12-21",
                                     "--weeks", "2", "--lang", "2052", "--svg", svg});
  ASSERT_EQ(plan.exitCode, 0) << plan.err;
  // The picture's board is switched on at midnight the day before.
  const RunResult run = RunVeskSim({"run", "--board", "rtc-a2-intel-i2c", "--schedule", kOffice, "--holidays", holidays,
                                    "--from", "2026-12-20 00:00:00", "--for", "15d"});
  const auto elements = ParseSvg(svg);
  const DayBars expected = RunBars(run.out, "2026-12-21");
  EXPECT_EQ(DrawnBars(elements), expected);
  EXPECT_EQ(expected.count("2026-12-25"), 0u);
  EXPECT_EQ(expected.at("2027-01-02").size(), 2u);

  std::map<std::string, std::string> kinds;
  std::multiset<std::string> planned, warnings;
  for (const Element& e : elements) {
    const auto& a = e.attributes;
    if (a.count("data-kind")) kinds[a.at("data-date")] = a.at("data-kind");
    if (a.count("data-from")) planned.insert(a.at("data-date") + " " + a.at("data-from") + "-" + a.at("data-to"));
    if (a.count("class") && a.at("class") == "mark warning") warnings.insert(a.at("data-at"));
  }
  EXPECT_EQ(kinds.size(), 14u);
  EXPECT_EQ(kinds["2026-12-21"], "working");
  EXPECT_EQ(kinds["2026-12-24"], "holiday");
  EXPECT_EQ(kinds["2026-12-25"], "holiday-off");
  EXPECT_EQ(kinds["2026-12-27"], "day-off");
  EXPECT_EQ(planned.count("2026-12-24 08:00-12:00"), 1u);
  EXPECT_EQ(planned.count("2026-12-24 13:00-17:30"), 0u);
  EXPECT_EQ(planned.count("2027-01-02 13:00-16:00"), 1u);
  std::multiset<std::string> runWarnings;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(" warning ") == 19 && line >= "2026-12-21") runWarnings.insert(line.substr(0, 19));
  }
  EXPECT_EQ(warnings, runWarnings);
}

TEST(PlanCommand, HistoryOfARunDrawsAsTheRunItself) {
  const ScratchFolder folder;
  const std::string holidays = folder.Write("Holidays.txt", Bytes(kDecember));
  // A postponement, a program that hangs (the watchdog resets the board) and
  // a power button pressed on a closed Sunday.
  const std::string script = folder.Write(
      "user.script", Bytes("2026-12-02 17:26:00 postpone 0:40\n2026-12-09 10:00:00 kill\n2026-12-13 11:00:00 power\n"));
  const std::string log = folder.PathOf("VESK.log");
  const std::vector<std::string> board{"--board", "rtc-a2-intel-smbus", "--schedule", kOffice, "--holidays", holidays,
                                       "--script", script};
  std::vector<std::string> run{"run", "--from", "2026-11-29 00:00:00", "--for", "29d", "--history", log};
  run.insert(run.end(), board.begin(), board.end());
  ASSERT_EQ(RunVeskSim(run).exitCode, 0);
  std::vector<std::string> direct{"plan", "--from", "2026-11-30", "--weeks", "4", "--svg", folder.PathOf("direct.svg")};
  direct.insert(direct.end(), board.begin(), board.end());
  ASSERT_EQ(RunVeskSim(direct).exitCode, 0);
  ASSERT_EQ(RunVeskSim({"plan", "--history", log, "--from", "2026-11-30", "--weeks", "4", "--svg",
                        folder.PathOf("history.svg")})
                .exitCode,
            0);
  const DayBars drawn = DrawnBars(ParseSvg(folder.PathOf("direct.svg")));
  EXPECT_EQ(DrawnBars(ParseSvg(folder.PathOf("history.svg"))), drawn);
  EXPECT_EQ(drawn.at("2026-12-02").count("2026-12-02 13:00:00 2026-12-02 18:10:30 alarm"), 1u);
  EXPECT_EQ(drawn.at("2026-12-09").count("2026-12-09 10:00:21 2026-12-09 12:00:30 watchdog"), 1u);
  EXPECT_EQ(drawn.at("2026-12-13").count("2026-12-13 11:00:00 2026-12-13 11:00:31 power"), 1u);
}

// A board with a micro-controller leaves no trace of its wake-up: a start at
// the minute of the wake-up written before the shutdown is the chip's.
TEST(PlanCommand, UnreadableHistoryLinesAreNamedAndTheRestIsDrawn) {
  const ScratchFolder folder;
  folder.Write("VESK.old.log", Bytes("2026-12-07T08:00:00+01:00 start path=C:\\VESK\\VESK.exe\n"
                                     "2026-12-07T08:00:0 warning shutdown=\"1 12:00\"\n"
                                     "2026-12-07T08:00:01+01:00 watchdog action=start kind=mcu\n"
                                     "2026-12-07T08:00:02+01:00 wakeup at=\"1 13:00\" day=2\n"));
  const std::string log = folder.Write(
      "VESK.log", Bytes("2026-12-07T12:00:00+01:00 shutdown command=\"Cmd.exe /C shutdown -s -f -t 30\" result=started\n"
                        "2026-12-07T13:00:40+01:00 start path=C:\\VESK\\VESK.exe\n"
                        "2026-12-07T13:00:41+01:00 watchdog action=start kind=mcu\n"
                        "2026-12-07T13:00:42+01:00 beep\n"
                        "2026-12-07T15:10:00+01:00 start path=C:\\VESK\\VESK.exe\n"
                        "2026-12-07T15:10:30+02:00 timechange\n"
                        "2026-12-07T15:11:00+01:00 warning shutdown=\"1 17:"));
  const std::string svg = folder.PathOf("history.svg");
  const RunResult r = RunVeskSim({"plan", "--history", log, "--svg", svg});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto elements = ParseSvg(svg);
  std::string footnote;
  std::set<std::string> clockMarks;
  for (const Element& e : elements) {
    const std::string cls = e.attributes.count("class") ? e.attributes.at("class") : "";
    if (cls == "footnote") footnote += e.text + "\n";
    // A clock set, and the new offset of daylight saving.
    if (cls == "mark clock") clockMarks.insert(e.attributes.at("data-at") + " " + e.attributes.at("data-detail"));
  }
  EXPECT_EQ(clockMarks, (std::set<std::string>{"2026-12-07 15:10:30 set", "2026-12-07 15:10:30 +3600 s"}));
  EXPECT_EQ(footnote,
            "3 line(s) could not be read and are left out:\n"
            "VESK.old.log line 2: not a history line\n"
            "VESK.log line 4: unknown event 'beep'\n"
            "VESK.log line 7: cut off\n");
  // The first start has no wake-up before it: the power's. The second comes
  // at the wake-up minute; the third after a program gone silent with its
  // watchdog on, which held the board on until the reset.
  const DayBars expected{{"2026-12-07",
                          {"2026-12-07 08:00:00 2026-12-07 12:00:30 power", "2026-12-07 13:00:40 2026-12-07 15:10:00 alarm",
                           "2026-12-07 15:10:00 2026-12-07 15:10:30 watchdog"}}};
  EXPECT_EQ(DrawnBars(elements), expected);
}

TEST(PlanCommand, BadArgumentsExitWithUsage) {
  const ScratchFolder folder;
  const std::string out = folder.PathOf("x.svg");
  ExpectUsageErrors("plan", {"--svg", out},
                    {{"--from", "2026-12-07", "--weeks", "1"},
                     {"--schedule", kOffice, "--weeks", "1"},
                     {"--schedule", kOffice, "--from", "2026-12-07", "--weeks", "54"},
                     {"--schedule", kOffice, "--from", "2026-02-30", "--weeks", "1"},
                     {"--schedule", kOffice, "--from", "2026-12-07", "--weeks", "0"},
                     {"--history", kOffice, "--tz", "Europe/Berlin"},
                     {"--history", folder.PathOf("none.log")}});
  const RunResult tooMany = RunVeskSim({"plan", "--schedule", kOffice, "--from", "2026-12-07", "--weeks", "54", "--svg", out});
  EXPECT_NE(tooMany.err.find("at most 53 weeks"), std::string::npos) << tooMany.err;
  EXPECT_NE(tooMany.err.find("usage: vesk-sim plan"), std::string::npos) << tooMany.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace vesk::sim::cli::testing
