#include "sim/os/named_locks.h"

namespace vesk::sim {

std::recursive_timed_mutex& NamedLocks::LockNamed(const std::string& name) {
  const std::lock_guard<std::mutex> lock(guard_);
  auto& slot = locks_[name];
  if (!slot) slot = std::make_unique<std::recursive_timed_mutex>();
  return *slot;
}

bool NamedLocks::Acquire(const std::string& name, std::chrono::milliseconds wait) {
  if (HeldElsewhere(name)) return false;
  return LockNamed(name).try_lock_for(wait);
}

void NamedLocks::Release(const std::string& name) { LockNamed(name).unlock(); }

void NamedLocks::HoldElsewhere(const std::string& name, bool held) {
  const std::lock_guard<std::mutex> lock(guard_);
  if (held) {
    heldElsewhere_.insert(name);
  } else {
    heldElsewhere_.erase(name);
  }
}

bool NamedLocks::HeldElsewhere(const std::string& name) {
  const std::lock_guard<std::mutex> lock(guard_);
  return heldElsewhere_.count(name) != 0;
}

}  // namespace vesk::sim
