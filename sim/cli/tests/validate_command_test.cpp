#include <gtest/gtest.h>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

constexpr uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

class ValidateCommand : public ::testing::Test {
 protected:
  ScratchFolder folder;

  RunResult Validate(const std::vector<uint8_t>& image, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"validate", "--schedule", folder.Write("t.bin", image)};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunVeskSim(args);
  }
};

TEST_F(ValidateCommand, AcceptedTimetable) {
  const RunResult r = Validate(TimetableImage({{1, 1, 1, Hm(8, 0), Hm(12, 0)}, {1, 2, 1, Hm(12, 1), Hm(13, 0)}}));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "accepted\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(ValidateCommand, RefusalIsOneLineInTheChosenLanguage) {
  const auto touching = TimetableImage({{1, 1, 1, Hm(8, 0), Hm(12, 0)}, {1, 2, 1, Hm(12, 0), Hm(13, 0)}});
  RunResult r = Validate(touching);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "refused: Notice: The time setting of schedule overlaped on Monday.\n");
  r = Validate(touching, {"--lang", "2052"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "refused: 提醒: 第1天\\n设置的时间段有重叠冲突！\n");
  EXPECT_EQ(Validate(touching, {"--lang", "0x0804"}).out, r.out);
  EXPECT_EQ(Validate(touching, {"--lang", "1028"}).out,
            "refused: Notice: The time setting of schedule overlaped on Monday.\n");
}

TEST_F(ValidateCommand, FirstFaultOfTheWeekAndTheAllOffWeek) {
  const auto faults = TimetableImage({{0, 3, 1, Hm(9, 0), Hm(9, 0)}, {3, 1, 1, Hm(10, 0), Hm(9, 0)}});
  EXPECT_EQ(Validate(faults, {"--lang", "2052"}).out,
            "refused: 提醒: 第0天\\n第三段：设置的结束时间不能早于或等于开始时间！\n");
  EXPECT_EQ(Validate(faults).out,
            "refused: Notice: In the third schedule of Sunday,the Shutdown Time must be later than the "
            "Resume Time.\n");
  const RunResult allOff = Validate(TimetableImage({{2, 1, 0, Hm(8, 0), Hm(9, 0)}}, 40));
  EXPECT_EQ(allOff.exitCode, 1);
  EXPECT_EQ(allOff.out, "refused: Notice: The schedule cannot be all cancelled for each week .\n");
}

TEST_F(ValidateCommand, BadArgumentsAndUnreadableFilesAreUsageErrors) {
  const std::string file = folder.Write("ok.bin", TimetableImage({{1, 1, 1, 1, 2}}));
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"validate"},
           {"validate", "--schedule", file, "--lang"},
           {"validate", "--schedule", file, "--lang", "english"},
           {"validate", "--schedule", file, "--lang", "65536"},
           {"validate", "--schedule", file, "--lang", "-1"},
           {"validate", "--schedule", file, "--at", "2026-12-07 10:00"},
           {"validate", "--schedule", folder.PathOf("missing.bin")},
       }) {
    const RunResult r = RunVeskSim(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("vesk-sim validate: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
}

}  // namespace
}  // namespace vesk::sim::cli::testing
