#include <gtest/gtest.h>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

constexpr uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

// 2026-12-07 is a Monday.
class NextCommand : public ::testing::Test {
 protected:
  ScratchFolder folder;
  // Monday 08:00 to 17:30, and Wednesday from 20:00 to an End past midnight.
  const std::string file = folder.Write("t.bin", TimetableImage({{1, 1, 1, Hm(8, 0), Hm(17, 30)},
                                                                 {3, 2, 1, Hm(20, 0), 2000}}));

  std::string Next(const std::string& at, std::vector<std::string> extra = {}, const std::string* path = nullptr) {
    std::vector<std::string> args = {"next", "--schedule", path ? *path : file, "--at", at};
    args.insert(args.end(), extra.begin(), extra.end());
    const RunResult r = RunVeskSim(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return r.out;
  }
};

TEST_F(NextCommand, PrintsShutdownPowerOnAndWhatIsDue) {
  EXPECT_EQ(Next("2026-12-07 10:00"),
            "next_shutdown: 1 17:30\nnext_poweron: 3 20:00\nshutdown_due: no\nwarning_due: no\n");
  EXPECT_EQ(Next("2026-12-07 17:25:59"),
            "next_shutdown: 1 17:30\nnext_poweron: 3 20:00\nshutdown_due: no\nwarning_due: yes\n");
  EXPECT_EQ(Next("2026-12-07 17:30"),
            "next_shutdown: 1 17:30\nnext_poweron: 3 20:00\nshutdown_due: yes\nwarning_due: yes\n");
  EXPECT_EQ(Next("2026-12-09 23:00"),  // times past midnight show as they are
            "next_shutdown: 3 33:20\nnext_poweron: 1 08:00\nshutdown_due: no\nwarning_due: no\n");
}

TEST_F(NextCommand, PostponementGivesOriginAndTarget) {
  EXPECT_EQ(Next("2026-12-07 17:30", {"--postpone", "1 17:26", "1 18:00"}),
            "next_shutdown: 1 18:00\nnext_poweron: 3 20:00\nshutdown_due: no\nwarning_due: no\n");
  // On a Sunday, a target on Tuesday is not honoured.
  EXPECT_EQ(Next("2026-12-13 09:00", {"--postpone", "0 08:00", "2 10:00"}),
            "next_shutdown: 0 09:00\nnext_poweron: 1 08:00\nshutdown_due: yes\nwarning_due: yes\n");
}

TEST_F(NextCommand, FilesOfAnyLengthLoad) {
  const std::string empty = folder.Write("empty.bin", {});
  EXPECT_EQ(Next("2026-12-09 03:04", {}, &empty),
            "next_shutdown: 3 03:04\nnext_poweron: 3 03:04\nshutdown_due: yes\nwarning_due: yes\n");
  const std::string longer = folder.Write("long.bin", TimetableImage({{1, 1, 1, Hm(8, 0), Hm(17, 30)}}, 500));
  EXPECT_EQ(Next("2026-12-07 10:00", {}, &longer),
            "next_shutdown: 1 17:30\nnext_poweron: 1 08:00\nshutdown_due: no\nwarning_due: no\n");
}

TEST_F(NextCommand, BadArgumentsAndUnreadableFilesAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"--schedule", file},
      {"--at", "2026-12-07 10:00"},
      {"--schedule", file, "--at", "2026-02-30 10:00"},
      {"--schedule", file, "--at", "2026-12-07 24:00"},
      {"--schedule", file, "--at", "2026-12-07 10:00", "--postpone", "1 17:26"},
      {"--schedule", file, "--at", "2026-12-07 10:00", "--postpone", "7 17:26", "1 18:00"},
      {"--schedule", file, "--at", "2026-12-07 10:00", "--postpone", "1 17:26", "1 18:60"},
      {"--schedule", file, "--at", "2026-12-07 10:00", "--postpone", "1 17:26", "Mon 18:00"},
      {"--schedule", file, "--at", "2026-12-07 10:00", "--lang", "2052"},
      {"--schedule", folder.PathOf("missing.bin"), "--at", "2026-12-07 10:00"},
      {"--schedule", folder.PathOf(""), "--at", "2026-12-07 10:00"},  // a folder
  };
  for (auto args : cases) {
    args.insert(args.begin(), "next");
    ExpectUsageError(RunVeskSim(args), "vesk-sim next: ");
  }
}

}  // namespace
}  // namespace vesk::sim::cli::testing
