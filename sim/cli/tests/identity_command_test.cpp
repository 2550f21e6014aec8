// vesk-sim identity, run as scripts run it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <vector>

namespace {

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

const std::filesystem::path kDir = std::filesystem::temp_directory_path() / "vesk-identity-command";

Result RunIdentity(const std::string& args) {
  std::filesystem::create_directories(kDir);
  const std::string errFile = (kDir / "stderr.txt").string();
  Result result;
  FILE* pipe = popen((std::string(VESK_SIM_PATH) + " identity " + args + " 2>'" + errFile + "'").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  return result;
}

// The file's path, quoted for the shell.
std::string TableFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(kDir);
  std::ofstream(kDir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return "'" + (kDir / name).string() + "'";
}

TEST(IdentityCommand, AnswersOnOneLineWithExitCode0Or1) {
  const std::string notCompatible = "refused: Error: This Modle is not compatible with VESK technology!\n";
  const std::vector<std::tuple<std::string, std::string, int>> rows{
      {"--table accepted", "accepted\n", 0},
      {"--table no-model", notCompatible, 1},
      {"--table switch-off", "refused: Notice: The switch of VESK technology is off!\n", 1},
      {"--table no-handle-2 --lang 1028", notCompatible, 1},
      {"--table no-model --lang 2052", "refused: 错误: 此主板和软件不兼容！\n", 1},
      {"--lang 2052 --table switch-off", "refused: 提示: VESK开关未打开！\n", 1},
      {"--smbios " + TableFile("endless.bin", {0x02, 0xF0, 0x02, 0x00, 'R', 'M', '4', '1', '5'}), notCompatible, 1},
  };
  for (const auto& [args, answer, code] : rows) {
    const Result r = RunIdentity(args);
    EXPECT_EQ(r.out, answer) << args;
    EXPECT_EQ(r.exitCode, code) << args;
    EXPECT_EQ(r.err, "") << args;
  }
}

TEST(IdentityCommand, DumpPrintsTheIndexBeforeTheAnswer) {
  const std::vector<uint8_t> table{
      0x10, 0x0F, 0x00, 0x10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 0,            // 11 more formatted bytes
      0x11, 0x04, 0x02, 0x00, 'R', 'M', '4', '1', '5', 0, 'O', 'P', 'E', 'N', 0, 0,  // the identity
      0x11, 0x04, 0xEF, 0xBE, 'a', 'b', 0, 0,                                     // same run
      0x7F, 0x04, 0xFF, 0xFE, 0, 0};
  const Result r = RunIdentity("--smbios " + TableFile("table.bin", table) + " --dump");
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

  const Result empty = RunIdentity("--dump --smbios " + TableFile("empty.bin", {}));
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.out,
            "structures: 1\nstructure 0 offset=0 length=0 handle=0x0000\nruns: 1\nrun 0 offset=0 length=0 type=0x00\n"
            "refused: Error: This Modle is not compatible with VESK technology!\n");
}

TEST(IdentityCommand, BadUsageExitsWith2AndOneLineOnStderr) {
  for (const std::string& args : std::vector<std::string>{"", "--table accepted --smbios x.bin", "--table nonsense",
                                 "--smbios '" + (kDir / "missing.bin").string() + "'", "--smbios '" + kDir.string() + "'",
                                 "--table accepted --lang abc", "--table accepted --lang 70000",
                                 "--table accepted --lang", "--table accepted --frobnicate"}) {
    const Result r = RunIdentity(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
    EXPECT_EQ(r.err.rfind("vesk-sim identity: ", 0), 0u) << r.err;
  }
  EXPECT_NE(RunIdentity("--table nonsense").err.find("accepted, no-model, switch-off, no-handle-2"), std::string::npos);
}

}  // namespace
