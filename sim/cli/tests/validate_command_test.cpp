#include <gtest/gtest.h>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

constexpr uint16_t Hm(int hour, int minute) { return static_cast<uint16_t>(hour * 60 + minute); }

class ValidateCommand : public ::testing::Test {
 protected:
  ScratchFolder folder;

  RunResult Validate(const std::vector<uint8_t>& image, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"validate", "--schedule", folder.Write("t.bin", image)};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunVeskSim(args);
  }
};

TEST_F(ValidateCommand, AcceptedOrRefusedInOneLineInTheChosenLanguage) {
  const RunResult accepted = Validate(TimetableImage({{1, 1, 1, Hm(8, 0), Hm(12, 0)}, {1, 2, 1, Hm(12, 1), Hm(13, 0)}}));
  EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
  EXPECT_EQ(accepted.out, "accepted\n");

  const auto touching = TimetableImage({{1, 1, 1, Hm(8, 0), Hm(12, 0)}, {1, 2, 1, Hm(12, 0), Hm(13, 0)}});
  const std::string english = "refused: Notice: The time setting of schedule overlaped on Monday.\n";
  const std::string chinese = "refused: 提醒: 第1天\\n设置的时间段有重叠冲突！\n";
  for (const auto& [lang, out] : std::vector<std::pair<std::string, std::string>>{
           {"1028", english}, {"0x0804", chinese}}) {
    const RunResult r = Validate(touching, {"--lang", lang});
    EXPECT_EQ(r.exitCode, 1) << lang;
    EXPECT_EQ(r.out, out) << lang;
    EXPECT_EQ(r.err, "") << lang;
  }
  EXPECT_EQ(Validate(touching).out, english);

  const RunResult allOff = Validate(TimetableImage({{2, 1, 0, Hm(8, 0), Hm(9, 0)}}, 40));
  EXPECT_EQ(allOff.exitCode, 1);
  EXPECT_EQ(allOff.out, "refused: Notice: The schedule cannot be all cancelled for each week .\n");
}

TEST_F(ValidateCommand, BadArgumentsAndUnreadableFilesAreUsageErrors) {
  const std::string file = folder.Write("ok.bin", TimetableImage({{1, 1, 1, 1, 2}}));
  ExpectUsageErrors("validate", {}, {{}, {"--schedule", folder.PathOf("missing.bin")}});
  ExpectUsageErrors("validate", {"--schedule", file},
                    {{"--lang"}, {"--lang", "english"}, {"--lang", "65536"}, {"--lang", "-1"},
                     {"--at", "2026-12-07 10:00"}});
}

}  // namespace
}  // namespace vesk::sim::cli::testing
