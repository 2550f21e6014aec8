#pragma once
// A library loaded by full path, unloaded on destruction; its entry points
// resolved by name or ordinal into typed pointers.
#include <windows.h>

#include <string>

namespace vesk {

// Unloads on destruction; empty when the load failed.
class LoadedModule {
 public:
  explicit LoadedModule(const std::wstring& path)
      : handle_(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {}
  ~LoadedModule() {
    if (handle_ != nullptr) FreeLibrary(handle_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  bool Loaded() const { return handle_ != nullptr; }

  // Resolves an entry point; false (and the pointer null) when it is absent.
  template <typename Fn>
  bool Resolve(const char* nameOrOrdinal, Fn& fn) const {
    const FARPROC proc = GetProcAddress(handle_, nameOrOrdinal);
    fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
    return fn != nullptr;
  }
  template <typename Fn>
  bool Resolve(WORD ordinal, Fn& fn) const {
    return Resolve(MAKEINTRESOURCEA(ordinal), fn);
  }

 private:
  HMODULE handle_;
};

}  // namespace vesk
