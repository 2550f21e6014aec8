#include <gtest/gtest.h>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

constexpr uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

// 2026-12-07 is a Monday.
class NextCommand : public ::testing::Test {
 protected:
  ScratchFolder folder;
  // Monday 08:00 to 17:30 only.
  const std::string monday = folder.Write("monday.bin", TimetableImage({{1, 1, 1, Hm(8, 0), Hm(17, 30)}}));

  RunResult Next(const std::string& file, const std::string& at, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"next", "--schedule", file, "--at", at};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunVeskSim(args);
  }
  void ExpectUsageError(const RunResult& r) {
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.rfind("vesk-sim next: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  }
};

TEST_F(NextCommand, PrintsTheFourLinesInsideAPhase) {
  const RunResult r = Next(monday, "2026-12-07 10:00");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "next_shutdown: 1 17:30\n"
            "next_poweron: 1 08:00\n"
            "shutdown_due: no\n"
            "warning_due: no\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(NextCommand, WarningFiveMinutesBeforeAndShutdownAtTheEndMinute) {
  EXPECT_EQ(Next(monday, "2026-12-07 17:24:59").out,
            "next_shutdown: 1 17:30\nnext_poweron: 1 08:00\nshutdown_due: no\nwarning_due: no\n");
  EXPECT_EQ(Next(monday, "2026-12-07 17:25").out,
            "next_shutdown: 1 17:30\nnext_poweron: 1 08:00\nshutdown_due: no\nwarning_due: yes\n");
  EXPECT_EQ(Next(monday, "2026-12-07 17:30:30").out,
            "next_shutdown: 1 17:30\nnext_poweron: 1 08:00\nshutdown_due: yes\nwarning_due: yes\n");
}

TEST_F(NextCommand, PostponementIsHonouredOnlyForTheDaysThatCount) {
  EXPECT_EQ(Next(monday, "2026-12-07 17:30", {"--postpone", "1 17:26", "1 18:00"}).out,
            "next_shutdown: 1 18:00\nnext_poweron: 1 08:00\nshutdown_due: no\nwarning_due: no\n");
  // Saturday night to Sunday morning counts; Sunday to Tuesday does not.
  EXPECT_EQ(Next(monday, "2026-12-12 23:58", {"--postpone", "6 23:46", "0 00:10"}).out,
            "next_shutdown: 0 00:10\nnext_poweron: 1 08:00\nshutdown_due: no\nwarning_due: no\n");
  EXPECT_EQ(Next(monday, "2026-12-13 09:00", {"--postpone", "0 08:00", "2 10:00"}).out,
            "next_shutdown: 0 09:00\nnext_poweron: 1 08:00\nshutdown_due: yes\nwarning_due: yes\n");
}

TEST_F(NextCommand, FilesOfAnyLengthLoad) {
  // Cut inside Monday's End: the phase ends at 0, so it never runs but still powers on.
  const std::string cut = folder.Write("cut.bin", TimetableImage({{1, 1, 1, Hm(8, 0), Hm(17, 30)}}, 22));
  EXPECT_EQ(Next(cut, "2026-12-07 10:00").out,
            "next_shutdown: 1 10:00\nnext_poweron: 1 08:00\nshutdown_due: yes\nwarning_due: yes\n");
  const std::string empty = folder.Write("empty.bin", {});
  EXPECT_EQ(Next(empty, "2026-12-09 03:04").out,
            "next_shutdown: 3 03:04\nnext_poweron: 3 03:04\nshutdown_due: yes\nwarning_due: yes\n");
  const std::string longer = folder.Write("long.bin", TimetableImage({{1, 1, 1, Hm(8, 0), Hm(17, 30)}}, 500));
  EXPECT_EQ(Next(longer, "2026-12-07 10:00").out, Next(monday, "2026-12-07 10:00").out);
}

TEST_F(NextCommand, TimesBeyondMidnightShowAsTheyAre) {
  const std::string late = folder.Write("late.bin", TimetableImage({{3, 2, 1, Hm(20, 0), 2000},
                                                                      {4, 1, 7, Hm(0, 2), Hm(1, 0)}}));
  EXPECT_EQ(Next(late, "2026-12-09 23:00").out,
            "next_shutdown: 3 33:20\nnext_poweron: 4 00:02\nshutdown_due: no\nwarning_due: no\n");
}

TEST_F(NextCommand, BadArgumentsAndUnreadableFilesAreUsageErrors) {
  ExpectUsageError(RunVeskSim({"next", "--schedule", monday}));
  ExpectUsageError(RunVeskSim({"next", "--at", "2026-12-07 10:00"}));
  ExpectUsageError(Next(monday, "2026-12-07"));
  ExpectUsageError(Next(monday, "2026-02-30 10:00"));
  ExpectUsageError(Next(monday, "2026-12-07 24:00"));
  ExpectUsageError(Next(monday, "2026-12-07 10:00", {"--postpone", "1 17:26"}));
  ExpectUsageError(Next(monday, "2026-12-07 10:00", {"--postpone", "7 17:26", "1 18:00"}));
  ExpectUsageError(Next(monday, "2026-12-07 10:00", {"--postpone", "1 17:26", "1 24:00"}));
  ExpectUsageError(Next(monday, "2026-12-07 10:00", {"--postpone", "1 17:26", "1 18:60"}));
  ExpectUsageError(Next(monday, "2026-12-07 10:00", {"--postpone", "1 17:26", "Mon 18:00"}));
  ExpectUsageError(Next(monday, "2026-12-07 10:00", {"--lang", "2052"}));
  ExpectUsageError(Next(folder.PathOf("missing.bin"), "2026-12-07 10:00"));
  ExpectUsageError(Next(folder.PathOf(""), "2026-12-07 10:00"));  // a folder
}

}  // namespace
}  // namespace vesk::sim::cli::testing
