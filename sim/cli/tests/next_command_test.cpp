#include <gtest/gtest.h>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

constexpr uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

std::string Answer(const std::string& shutdown, const std::string& powerOn, const char* due, const char* warn) {
  return "next_shutdown: " + shutdown + "\nnext_poweron: " + powerOn + "\nshutdown_due: " + due +
         "\nwarning_due: " + warn + "\n";
}

// 2026-12-07 is a Monday.
class NextCommand : public ::testing::Test {
 protected:
  ScratchFolder folder;
  // Monday 08:00 to 17:30, and Wednesday from 20:00 to an End past midnight.
  const std::string file =
      folder.Write("t.bin", TimetableImage({{1, 1, 1, Hm(8, 0), Hm(17, 30)}, {3, 2, 1, Hm(20, 0), 2000}}));

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
  EXPECT_EQ(Next("2026-12-07 10:00"), Answer("1 17:30", "3 20:00", "no", "no"));
  EXPECT_EQ(Next("2026-12-07 17:30"), Answer("1 17:30", "3 20:00", "yes", "yes"));
  EXPECT_EQ(Next("2026-12-09 23:00"), Answer("3 33:20", "1 08:00", "no", "no"));  // past midnight as it is
  EXPECT_EQ(Next("2026-12-07 17:30", {"--postpone", "1 17:26", "1 18:00"}), Answer("1 18:00", "3 20:00", "no", "no"));
  const std::string empty = folder.Write("empty.bin", {});
  EXPECT_EQ(Next("2026-12-09 03:04", {}, &empty), Answer("3 03:04", "3 03:04", "yes", "yes"));
}

TEST_F(NextCommand, BadArgumentsAndUnreadableFilesAreUsageErrors) {
  ExpectUsageErrors("next", {}, {{"--schedule", file}, {"--at", "2026-12-07 10:00"}});
  ExpectUsageErrors("next", {"--at", "2026-12-07 10:00", "--schedule"},
                    {{folder.PathOf("missing.bin")}, {folder.PathOf("")}});
  ExpectUsageErrors("next", {"--schedule", file, "--at"}, {{"2026-02-30 10:00"}, {"2026-12-07 24:00"}});
  ExpectUsageErrors("next", {"--schedule", file, "--at", "2026-12-07 10:00"},
                    {{"--postpone", "1 17:26"}, {"--postpone", "7 17:26", "1 18:00"},
                     {"--postpone", "1 17:26", "1 18:60"}, {"--postpone", "1 17:26", "Mon 18:00"},
                     {"--lang", "2052"}});
}

}  // namespace
}  // namespace vesk::sim::cli::testing
