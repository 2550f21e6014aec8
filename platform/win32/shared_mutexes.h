#pragma once
// Named mutexes that this program shares with other programs of the machine
// (the bus locks of hardware tools). Each is created on first use, or opened
// when another program made it first, and kept open for the life of the
// object, so that a name is not looked up again for every transfer.
#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/os_services.h"
#include "platform/win32/unique_handle.h"

namespace vesk::win32 {

// Who may open the mutexes this program creates: SYSTEM, the
// administrators and services (hardware tools run elevated or as services).
// Ordinary users cannot create or open them, so they cannot hold a bus.
inline constexpr const wchar_t* kSharedMutexAccess = L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;SU)";

class SharedMutexes {
 public:
  OsServices::LockWait Acquire(const std::string& name, uint32_t timeoutMs);
  void Release(const std::string& name);

 private:
  HANDLE HandleFor(const std::string& name);

  std::mutex guard_;
  std::map<std::string, UniqueHandle> handles_;
};

}  // namespace vesk::win32
