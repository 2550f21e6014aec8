// --holidays of vesk-sim next and validate: the file as the program reads it.
#include <gtest/gtest.h>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(HolidaysOption, NextGivesDatesAndValidateAndNextRefuseABadFile) {
  const ScratchFolder folder;
  const std::string week = folder.Write("t.bin", TimetableImage({{1, 1, 1, 8 * 60, 17 * 60 + 30}}));
  const std::string good = folder.Write("good.txt", Bytes("2026-12-14 off\n"));
  const std::string bad = folder.Write("bad.txt", Bytes("2026-12-14 off\n2026-12-21 08:00-08:00\n"));

  const RunResult next = RunVeskSim({"next", "--schedule", week, "--at", "2026-12-07 17:30", "--holidays", good});
  EXPECT_EQ(next.out, "next_shutdown: 1 17:30\nnext_poweron: 1 08:00\nshutdown_due: yes\nwarning_due: yes\n"
                      "next_shutdown_date: 2026-12-07\nnext_poweron_date: 2026-12-21\n");
  const RunResult refused = RunVeskSim({"validate", "--holidays", bad, "--lang", "2052"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out.rfind("refused: 提醒: Holidays.txt 第2行：第一段：", 0), 0u);
  EXPECT_NE(refused.out.find("。\\n整个文件"), std::string::npos);  // one line
  EXPECT_EQ(RunVeskSim({"validate", "--holidays", good, "--schedule", week}).out, "accepted\n");
  ExpectUsageErrors("next", {"--schedule", week, "--at", "2026-12-07 10:00", "--holidays"},
                    {{bad}, {folder.PathOf("none.txt")}});
  ExpectUsageErrors("validate", {}, {{"--lang", "2052"}, {"--holidays", folder.PathOf("none.txt")}});
}

}  // namespace
}  // namespace vesk::sim::cli::testing
