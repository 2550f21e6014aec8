// vesk-sim identity, run as scripts run it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

namespace {

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class IdentityCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vesk-identity-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  Result Run(const std::string& args) {
    const std::string errFile = (dir_ / "stderr.txt").string();
    const std::string command = std::string(VESK_SIM_PATH) + " identity " + args + " 2>'" + errFile + "'";
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return result;
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    return "'" + path.string() + "'";
  }

  std::filesystem::path dir_;
};

std::size_t Lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST_F(IdentityCommand, NamedTablesGiveTheirAnswerAndExitCode) {
  const std::vector<std::tuple<std::string, std::string, int>> cases{
      {"accepted", "accepted\n", 0},
      {"no-model", "refused: Error: This Modle is not compatible with VESK technology!\n", 1},
      {"switch-off", "refused: Notice: The switch of VESK technology is off!\n", 1},
      {"no-handle-2", "refused: Error: This Modle is not compatible with VESK technology!\n", 1},
  };
  for (const auto& [name, answer, code] : cases) {
    const Result r = Run("--table " + name);
    EXPECT_EQ(r.out, answer) << name;
    EXPECT_EQ(r.exitCode, code) << name;
    EXPECT_EQ(r.err, "") << name;
  }
}

TEST_F(IdentityCommand, LanguageSelectsTheTexts) {
  EXPECT_EQ(Run("--table no-model --lang 2052").out, "refused: 错误: 此主板和软件不兼容！\n");
  EXPECT_EQ(Run("--table switch-off --lang 2052").out, "refused: 提示: VESK开关未打开！\n");
  EXPECT_EQ(Run("--table switch-off --lang 1028").out,
            "refused: Notice: The switch of VESK technology is off!\n");
}

TEST_F(IdentityCommand, DumpPrintsTheIndexBeforeTheAnswer) {
  // Type 0x10 with 11 more formatted bytes; the identity structure and a
  // second structure of type 0x11 (one run); end of table.
  const std::vector<uint8_t> table{
      0x10, 0x0F, 0x00, 0x10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 0,
      0x11, 0x04, 0x02, 0x00, 'R', 'M', '4', '1', '5', 0, 'O', 'P', 'E', 'N', 0, 0,
      0x11, 0x04, 0xEF, 0xBE, 'a', 'b', 0, 0,
      0x7F, 0x04, 0xFF, 0xFE, 0, 0};
  const Result r = Run("--smbios " + Write("table.bin", table) + " --dump");
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

  const Result named = Run("--dump --table switch-off");
  EXPECT_EQ(named.exitCode, 1);
  EXPECT_EQ(Lines(named.out), 13u);
  EXPECT_EQ(named.out.rfind("structures: 5\n", 0), 0u);
  EXPECT_NE(named.out.find("structure 2 offset="), std::string::npos);
}

TEST_F(IdentityCommand, EmptyAndMalformedTableFilesAreRefusedNotCrashedOn) {
  const Result empty = Run("--dump --smbios " + Write("empty.bin", {}));
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.out,
            "structures: 1\nstructure 0 offset=0 length=0 handle=0x0000\n"
            "runs: 1\nrun 0 offset=0 length=0 type=0x00\n"
            "refused: Error: This Modle is not compatible with VESK technology!\n");

  std::vector<uint8_t> endless{0x02, 0xF0, 0x02, 0x00};
  for (int i = 0; i < 100; ++i) endless.push_back('A');
  const Result malformed = Run("--smbios " + Write("endless.bin", endless));
  EXPECT_EQ(malformed.exitCode, 1);
  EXPECT_EQ(malformed.err, "");
}

TEST_F(IdentityCommand, BadUsageExitsWith2AndOneLineOnStderr) {
  const std::vector<std::string> bad{
      "",
      "--table accepted --smbios x.bin",
      "--table nonsense",
      "--smbios '" + (dir_ / "missing.bin").string() + "'",
      "--smbios '" + dir_.string() + "'",
      "--table accepted --lang abc",
      "--table accepted --lang 70000",
      "--table accepted --lang",
      "--table accepted --frobnicate",
      "--table accepted --dump --dump",
  };
  for (const auto& args : bad) {
    const Result r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(Lines(r.err), 1u) << args << ": " << r.err;
    EXPECT_EQ(r.err.rfind("vesk-sim identity: ", 0), 0u) << r.err;
  }
  EXPECT_NE(Run("--table nonsense").err.find("accepted, no-model, switch-off, no-handle-2"), std::string::npos);
}

}  // namespace
