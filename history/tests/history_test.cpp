#include "history/history.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/os/simulated_os.h"

namespace vesk::history {
namespace {

struct Disk {
  sim::VirtualClock clock{*sim::ParseSimTime("2026-03-29 01:59:30")};
  sim::SimulatedOs os{clock};
  std::string path = FilePath(os);

  std::string Text() {
    const auto& bytes = os.Files()[path];
    return {bytes.begin(), bytes.end()};
  }
  std::size_t LineCount() {
    const std::string text = Text();
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  }
  void Put(const std::string& text) { os.Files()[path].assign(text.begin(), text.end()); }
};

// Each value quoted for one reason of its own: a blank, a quote, an equals
// sign, nothing at all, a line break.
TEST(HistoryLine, TimeWithOffsetAndQuotedValues) {
  const LocalTime at{2026, 3, 0, 29, 3, 0, 5, 0};
  const Field fields[] = {{"reason", "Shutdown Time"}, {"path", "C:\\VESK"}, {"said", "\"b\""},
                          {"line", "days=5"},          {"n", ""},            {"text", "a\nc"}};
  for (const auto& [offset, stamp] : {std::pair{120, "2026-03-29T03:00:05+02:00"}, {-30, "2026-03-29T03:00:05-00:30"},
                                      {345, "2026-03-29T03:00:05+05:45"}}) {
    EXPECT_EQ(FormatLine(at, offset, "refused", fields),
              std::string(stamp) +
                  " refused reason=\"Shutdown Time\" path=C:\\VESK said=\"\\\"b\\\"\" line=\"days=5\" n=\"\" text=\"a\\nc\"");
  }
}

// Whatever byte the power fails at, the earlier lines stay whole and the
// next start writes whole lines again.
TEST(HistoryFile, CutAfterEveryByteKeepsEarlierLines) {
  const std::string earlier = "2026-03-29T01:00:00+00:00 start\n2026-03-29T01:00:01+00:00 chip address=0xA2\n";
  const std::string cutLine = "2026-03-29T01:59:30+00:00 save days=12345";
  for (std::size_t cut = 0; cut <= cutLine.size(); ++cut) {
    Disk disk;
    disk.Put(earlier);
    disk.os.CutNextAppendAfter(cut);
    History{disk.os}.Record("save", {{"days", "12345"}});
    History{disk.os}.Record("start");
    const std::string torn = cut == 0 ? "" : cutLine.substr(0, cut) + "\n";
    EXPECT_EQ(disk.Text(), earlier + torn + "2026-03-29T01:59:30+00:00 start\n") << cut;
  }
}

TEST(HistoryFile, RotationKeepsTheNewestLinesUnderTheLimit) {
  Disk disk;
  const std::string old(kSizeLimit - 20, 'x');
  disk.Put(old + "\n");
  History history{disk.os};
  history.Record("start");
  EXPECT_EQ(disk.Text(), "2026-03-29T01:59:30+00:00 start\n");
  const auto& older = disk.os.Files()[disk.os.GetModuleDirectory() + kOlderFileName];
  EXPECT_EQ(older.size(), old.size() + 1);
  history.Record("exit");
  EXPECT_EQ(disk.LineCount(), 2u);
}

TEST(HistoryFile, UnwritableFileIsReportedOnceAndMirrorStillWorks) {
  Disk disk;
  disk.os.FailFileWrites(true);
  History history{disk.os};
  history.Record("no-chip", {}, EventKind::NoChip);
  history.Record("exit");
  EXPECT_EQ(disk.os.DebugTexts().size(), 1u);
  ASSERT_EQ(disk.os.EventLogEntries().size(), 1u);
  EXPECT_EQ(disk.os.EventLogEntries()[0].type, EventLogType::Error);
  EXPECT_EQ(disk.os.EventLogEntries()[0].eventId, 132);
  EXPECT_EQ(disk.os.EventLogEntries()[0].text, "no-chip");
  disk.os.FailFileWrites(false);
  history.Record("start");
  EXPECT_EQ(disk.LineCount(), 1u);
}

}  // namespace
}  // namespace vesk::history
