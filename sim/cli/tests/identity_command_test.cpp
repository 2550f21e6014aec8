#include <gtest/gtest.h>

#include <tuple>

#include "sim/cli/tests/vesk_sim_runner.h"

namespace vesk::sim::cli::testing {
namespace {

RunResult Identity(std::vector<std::string> args) {
  args.insert(args.begin(), "identity");
  return RunVeskSim(args);
}

TEST(IdentityCommand, AnswersOnOneLineWithExitCode0Or1) {
  const ScratchFolder folder;
  const std::string notCompatible = "refused: Error: This Modle is not compatible with VESK technology!\n";
  const std::vector<std::tuple<std::vector<std::string>, std::string, int>> rows{
      {{"--table", "accepted"}, "accepted\n", 0},
      {{"--table", "switch-off", "--lang", "1028"}, "refused: Notice: The switch of VESK technology is off!\n", 1},
      {{"--lang", "2052", "--table", "no-model"}, "refused: 错误: 此主板和软件不兼容！\n", 1},
      {{"--smbios", folder.Write("endless.bin", {0x02, 0xF0, 0x02, 0x00, 'R', 'M', '4', '1', '5'})}, notCompatible, 1},
  };
  for (const auto& [args, answer, code] : rows) {
    const RunResult r = Identity(args);
    EXPECT_EQ(r.out, answer) << args[1];
    EXPECT_EQ(r.exitCode, code) << args[1];
    EXPECT_EQ(r.err, "") << args[1];
  }
}

TEST(IdentityCommand, DumpPrintsTheIndexBeforeTheAnswer) {
  const ScratchFolder folder;
  const std::string table = folder.Write(
      "table.bin", {0x10, 0x0F, 0x00, 0x10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 0,  // 11 more formatted bytes
                    0x11, 0x04, 0x02, 0x00, 'R', 'M', '4', '1', '5', 0, 'O', 'P', 'E', 'N', 0, 0,  // the identity
                    0x11, 0x04, 0xEF, 0xBE, 'a', 'b', 0, 0,                                       // same run
                    0x7F, 0x04, 0xFF, 0xFE, 0, 0});
  const RunResult r = Identity({"--smbios", table, "--dump"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "structures: 4\n"
            "structure 0 offset=0 length=17 handle=0x1000\n"
            "structure 1 offset=17 length=16 handle=0x0002\n"
            "structure 2 offset=33 length=8 handle=0xBEEF\n"
            "structure 3 offset=41 length=6 handle=0xFEFF\n"
            "runs: 3\n"
            "run 0 offset=0 length=17 type=0x10\n"
            "run 1 offset=17 length=24 type=0x11\n"
            "run 2 offset=41 length=6 type=0x7F\n"
            "accepted\n");
  const RunResult empty = Identity({"--dump", "--smbios", folder.Write("empty.bin", {})});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.out,
            "structures: 1\nstructure 0 offset=0 length=0 handle=0x0000\nruns: 1\nrun 0 offset=0 length=0 type=0x00\n"
            "refused: Error: This Modle is not compatible with VESK technology!\n");
}

TEST(IdentityCommand, BadUsageExitsWith2AndOneLineOnStderr) {
  const ScratchFolder folder;
  ExpectUsageErrors("identity", {},
                    {{}, {"--table", "accepted", "--smbios", "x.bin"}, {"--table", "nonsense"},
                     {"--smbios", folder.PathOf("missing.bin")}, {"--smbios", folder.PathOf("")},
                     {"--table", "accepted", "--lang", "abc"}, {"--table", "accepted", "--lang", "70000"},
                     {"--table", "accepted", "--lang"}, {"--table", "accepted", "--frobnicate"}});
  EXPECT_NE(Identity({"--table", "nonsense"}).err.find("accepted, no-model, switch-off, no-handle-2"), std::string::npos);
  EXPECT_NE(Identity({"--smbios", folder.PathOf("missing.bin")}).err.find(folder.PathOf("missing.bin")), std::string::npos);
}

}  // namespace
}  // namespace vesk::sim::cli::testing
