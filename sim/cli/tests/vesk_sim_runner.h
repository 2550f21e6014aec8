#pragma once
// Runs the built vesk-sim with arguments and collects what it printed; files
// the tests need live in a fresh folder that is removed afterwards.
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
  ~ScratchFolder() { std::error_code ignored; std::filesystem::remove_all(path_, ignored); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(path_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return PathOf(name);
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

inline RunResult RunVeskSim(const std::vector<std::string>& args) {
  const ScratchFolder capture;
  std::string command = ShellQuote(VESK_SIM_PATH);
  for (const auto& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(capture.PathOf("stdout")) + " 2>" + ShellQuote(capture.PathOf("stderr"));
  const int status = std::system(command.c_str());
  RunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (auto [name, text] : {std::pair{"stdout", &result.out}, std::pair{"stderr", &result.err}}) {
    std::ostringstream content;
    content << std::ifstream(capture.PathOf(name), std::ios::binary).rdbuf();
    *text = content.str();
  }
  return result;
}

// Exit 2, nothing on stdout, and one line on stderr that names the command.
inline void ExpectUsageError(const RunResult& r, const std::string& prefix) {
  EXPECT_EQ(r.exitCode, 2) << r.out;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
}

// Runs `command` with `common` followed by each row's own arguments; every
// run must be a usage error.
inline void ExpectUsageErrors(const std::string& command, const std::vector<std::string>& common,
                              const std::vector<std::vector<std::string>>& rows) {
  for (const auto& row : rows) {
    std::vector<std::string> args{command};
    args.insert(args.end(), common.begin(), common.end());
    args.insert(args.end(), row.begin(), row.end());
    SCOPED_TRACE(::testing::PrintToString(args));
    ExpectUsageError(RunVeskSim(args), "vesk-sim " + command + ": ");
  }
}

// A timetable file image: day d at 18 * d, phase p (1 to 3) at 6 * (p - 1)
// within it, Enable, Start, End little-endian; the rest 0, any tail 0xA5.
struct PhaseBytes {
  int day, phase;
  uint16_t enable, start, end;
};

inline std::vector<uint8_t> TimetableImage(std::initializer_list<PhaseBytes> phases, std::size_t length = 126) {
  std::vector<uint8_t> image(126, 0);
  for (const PhaseBytes& p : phases) {
    auto at = static_cast<std::size_t>(18 * p.day + 6 * (p.phase - 1));
    for (const uint16_t v : {p.enable, p.start, p.end}) {
      image[at++] = static_cast<uint8_t>(v & 0xFF);
      image[at++] = static_cast<uint8_t>(v >> 8);
    }
  }
  image.resize(length, 0xA5);
  return image;
}

}  // namespace vesk::sim::cli::testing
