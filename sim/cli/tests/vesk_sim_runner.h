#pragma once
// Runs the built vesk-sim with arguments and collects what it printed, for
// tests of its subcommands. Files the tests need live in a fresh folder that
// is removed afterwards.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace vesk::sim::cli::testing {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class ScratchFolder {
 public:
  ScratchFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("vesk-sim-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string Slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline RunResult RunVeskSim(const std::vector<std::string>& args) {
  const ScratchFolder capture;
  std::string command = ShellQuote(VESK_SIM_PATH);
  for (const auto& arg : args) command += " " + ShellQuote(arg);
  const std::string outFile = capture.PathOf("stdout");
  const std::string errFile = capture.PathOf("stderr");
  command += " >" + ShellQuote(outFile) + " 2>" + ShellQuote(errFile);
  const int status = std::system(command.c_str());
  RunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = Slurp(outFile);
  result.err = Slurp(errFile);
  return result;
}

// Exit 2, nothing on stdout, and one line on stderr that names the command.
inline void ExpectUsageError(const RunResult& r, const std::string& prefix) {
  EXPECT_EQ(r.exitCode, 2) << r.out;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
}

// A timetable file image built field by field: day d at 18 * d, phase p
// (1 to 3) at 6 * (p - 1) within it, Enable, Start, End little-endian.
struct PhaseBytes {
  int day;
  int phase;
  uint16_t enable;
  uint16_t start;
  uint16_t end;
};

inline std::vector<uint8_t> TimetableImage(std::initializer_list<PhaseBytes> phases, std::size_t length = 126) {
  std::vector<uint8_t> image(126, 0);
  auto put = [&](std::size_t at, uint16_t value) {
    image[at] = static_cast<uint8_t>(value & 0xFF);
    image[at + 1] = static_cast<uint8_t>(value >> 8);
  };
  for (const PhaseBytes& p : phases) {
    const auto at = static_cast<std::size_t>(18 * p.day + 6 * (p.phase - 1));
    put(at, p.enable);
    put(at + 2, p.start);
    put(at + 4, p.end);
  }
  image.resize(length, 0xA5);
  return image;
}

}  // namespace vesk::sim::cli::testing
