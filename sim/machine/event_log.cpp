#include "sim/machine/event_log.h"

#include <algorithm>

namespace vesk::sim {

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c != '\r') {
      quoted += c;
    }
  }
  return quoted + "\"";
}

uint64_t EventLog::Add(SimTime at, std::string text) {
  pending_.push_back({at, count_, stamp_(at) + " " + std::move(text)});
  return count_++;
}

void EventLog::Amend(uint64_t number, const std::string& more) {
  for (auto entry = pending_.rbegin(); entry != pending_.rend(); ++entry) {
    if (entry->order == number) {
      entry->text += more;
      return;
    }
  }
}

void EventLog::Flush() {
  std::stable_sort(pending_.begin(), pending_.end(),
                   [](const Entry& a, const Entry& b) { return a.at < b.at; });
  for (const Entry& entry : pending_) sink_(entry.text);
  pending_.clear();
}

}  // namespace vesk::sim
