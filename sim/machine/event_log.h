#pragma once
// The timeline of a simulated run: one line per event,
// "YYYY-MM-DD HH:MM:SS event key=value ...", in time order. Events are
// collected while the program runs and handed out at quiet moments (when the
// program waits for its next message), sorted by time, so that an event
// recognised a little late (the end of a register sequence) still lands
// where it happened.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/os/virtual_clock.h"

namespace vesk::sim {

// A field value in double quotes; a quote inside is written \", a line feed
// \n, so every event stays one line. Backslashes (Windows paths) stay as
// they are.
std::string Quoted(const std::string& text);

class EventLog {
 public:
  using Sink = std::function<void(const std::string& line)>;
  // How a line shows the moment of its event (FormatSimTime unless given).
  using Stamp = std::function<std::string(SimTime at)>;
  explicit EventLog(Sink sink, Stamp stamp = FormatSimTime) : sink_(std::move(sink)), stamp_(std::move(stamp)) {}

  // `text` is the event word and its fields, without the time, which is
  // stamped now (a clock set later does not change it). Returns the
  // event's number, for Amend.
  uint64_t Add(SimTime at, std::string text);
  // Appends to an event not handed out yet (a field known only later).
  void Amend(uint64_t number, const std::string& more);
  // Hands out everything collected so far, oldest first (events of the same
  // moment in the order they were added).
  void Flush();
  // How many events were added since the start; lets the simulator notice
  // that something happened.
  uint64_t Count() const { return count_; }

 private:
  struct Entry {
    SimTime at;
    uint64_t order;
    std::string text;
  };
  Sink sink_;
  Stamp stamp_;
  std::vector<Entry> pending_;
  uint64_t count_ = 0;
};

}  // namespace vesk::sim
