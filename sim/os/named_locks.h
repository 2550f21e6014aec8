#pragma once
// The machine-wide named locks of the simulated Windows: real locks, shared
// by every thread of the simulation that names them (the program's and a
// simulated neighbour tool's), with bounded waits. Like Windows' mutexes they
// may be taken again by the thread that holds them. A lock can also be held
// by a program outside the simulation (a test or a script says so): waits for
// it then run out without the real time passing.
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace vesk::sim {

class NamedLocks {
 public:
  // True when taken within `wait` of real time.
  bool Acquire(const std::string& name, std::chrono::milliseconds wait);
  void Release(const std::string& name);

  void HoldElsewhere(const std::string& name, bool held);
  bool HeldElsewhere(const std::string& name);

 private:
  std::recursive_timed_mutex& LockNamed(const std::string& name);

  std::mutex guard_;
  std::map<std::string, std::unique_ptr<std::recursive_timed_mutex>> locks_;
  std::set<std::string> heldElsewhere_;
};

}  // namespace vesk::sim
