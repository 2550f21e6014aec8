#pragma once
// Loading a timetable file for vesk-sim. The simulator is the machine, so the
// file's bytes are put where the program would find its "TimeSetting.bin" on
// the simulated machine and read back through the program's own loading code.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "schedule/holidays.h"
#include "schedule/schedule_file.h"
#include "sim/os/simulated_os.h"

namespace vesk::sim::cli {

// The whole content of a file of the host; nothing and a one-line reason
// when it cannot be opened or read.
inline std::optional<std::vector<uint8_t>> ReadHostFile(const std::string& path, std::string& error) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    error = "cannot open '" + path + "': " + std::strerror(errno);
    return std::nullopt;
  }
  std::vector<uint8_t> content;
  uint8_t chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) content.insert(content.end(), chunk, chunk + got);
  if (std::ferror(file.get())) {
    error = "cannot read '" + path + "': " + std::strerror(errno);
    return std::nullopt;
  }
  return content;
}

// The timetable in the host file `path`, as the program on `os` loads it.
inline std::optional<WeekSchedule> LoadScheduleFromHostFile(const std::string& path, SimulatedOs& os,
                                                            std::string& error) {
  auto content = ReadHostFile(path, error);
  if (!content) return std::nullopt;
  os.Files()[ScheduleFilePath(os)] = std::move(*content);
  auto schedule = ReadScheduleFile(os);
  if (!schedule) error = "the timetable of '" + path + "' did not load";
  return schedule;
}

// The holidays of the host file `path`, as the program on `os` reads its
// "Holidays.txt"; a file it would refuse gives nothing, and error is the
// message the user would see, on one line.
inline std::optional<Holidays> LoadHolidaysFromHostFile(const std::string& path, SimulatedOs& os,
                                                        uint16_t langId, std::string& error) {
  auto content = ReadHostFile(path, error);
  if (!content) return std::nullopt;
  os.Files()[HolidaysFilePath(os)] = std::move(*content);
  const std::size_t boxes = os.MessageBoxes().size();
  HolidayFile file;
  file.Refresh(os, langId);
  if (os.MessageBoxes().size() == boxes) return file.InForce();
  const MessageBoxRecord& box = os.MessageBoxes().back();
  error = box.caption + ": ";
  for (const char c : box.text) error += c == '\n' ? std::string("\\n") : std::string(1, c);
  return std::nullopt;
}

}  // namespace vesk::sim::cli
