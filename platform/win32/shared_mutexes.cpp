#include "platform/win32/shared_mutexes.h"

#include <sddl.h>

#include "platform/win32/wide_text.h"

namespace vesk::win32 {

namespace {

HANDLE CreateShared(const std::wstring& name) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kSharedMutexAccess, SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    descriptor = nullptr;  // then the process's default rights
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  HANDLE mutex = CreateMutexW(&attributes, FALSE, name.c_str());
  if (descriptor != nullptr) LocalFree(descriptor);
  // Another program made it first with rights that grant this one less
  // than full access: waiting and releasing is all that is needed.
  if (mutex == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
    mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
  }
  return mutex;
}

}  // namespace

HANDLE SharedMutexes::HandleFor(const std::string& name) {
  const std::lock_guard<std::mutex> lock(guard_);
  auto found = handles_.find(name);
  if (found == handles_.end() || !found->second) {
    found = handles_.insert_or_assign(name, UniqueHandle{CreateShared(ToWide(name))}).first;
  }
  return found->second.Get();
}

OsServices::LockWait SharedMutexes::Acquire(const std::string& name, uint32_t timeoutMs) {
  const HANDLE mutex = HandleFor(name);
  if (mutex == nullptr) return OsServices::LockWait::kUnavailable;
  switch (WaitForSingleObject(mutex, timeoutMs)) {
    case WAIT_OBJECT_0:
    // The holder ended without releasing it: the mutex is ours now, and the
    // bus is left in whatever state that holder left it, which the next
    // transfer's status clearing copes with.
    case WAIT_ABANDONED:
      return OsServices::LockWait::kTaken;
    case WAIT_TIMEOUT:
      return OsServices::LockWait::kTimedOut;
    default:
      return OsServices::LockWait::kUnavailable;
  }
}

void SharedMutexes::Release(const std::string& name) {
  const HANDLE mutex = HandleFor(name);
  if (mutex != nullptr) ReleaseMutex(mutex);
}

}  // namespace vesk::win32
