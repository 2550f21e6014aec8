#include "hardware/win32/win_pawnio_library.h"

#include <windows.h>
#include <shlobj.h>

#include "hardware/win32/driver_files.h"
#include "hardware/win32/loaded_module.h"
#include "platform/paths.h"

namespace vesk {

namespace {

constexpr const wchar_t* kPawnIoFolder = L"PawnIO\\";
constexpr PawnIoResult kNotLoaded = static_cast<PawnIoResult>(0x8007007E);  // ERROR_MOD_NOT_FOUND

using OpenFn = HRESULT(WINAPI*)(PHANDLE);
using LoadFn = HRESULT(WINAPI*)(HANDLE, const UCHAR*, SIZE_T);
using ExecuteFn = HRESULT(WINAPI*)(HANDLE, PCSTR, const ULONG64*, SIZE_T, PULONG64, SIZE_T, PSIZE_T);
using CloseFn = HRESULT(WINAPI*)(HANDLE);

}  // namespace

struct WinPawnIoLibrary::Entries {
  explicit Entries(const std::wstring& path) : module(path) {}
  bool ResolveAll() {
    return module.Loaded() && module.Resolve("pawnio_open", open) && module.Resolve("pawnio_load", load) &&
           module.Resolve("pawnio_execute", execute) && module.Resolve("pawnio_close", close);
  }
  LoadedModule module;
  OpenFn open = nullptr;
  LoadFn load = nullptr;
  ExecuteFn execute = nullptr;
  CloseFn close = nullptr;
};

WinPawnIoLibrary::WinPawnIoLibrary() : WinPawnIoLibrary(InstalledFolder()) {}

WinPawnIoLibrary::WinPawnIoLibrary(std::wstring folder) : folder_(std::move(folder)) {}

WinPawnIoLibrary::~WinPawnIoLibrary() = default;

std::wstring WinPawnIoLibrary::InstalledFolder() {
  wchar_t programFiles[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles))) return {};
  const std::wstring folder = programFiles;
  if (folder.empty()) return {};
  return JoinPath(folder, kPawnIoFolder);
}

bool WinPawnIoLibrary::Loaded() {
  if (!tried_ && IsFullPath(folder_)) {
    auto entries = std::make_unique<Entries>(JoinPath(folder_, kPawnIoLibraryName));
    if (entries->ResolveAll()) entries_ = std::move(entries);
  }
  tried_ = true;
  return entries_ != nullptr;
}

PawnIoResult WinPawnIoLibrary::Open(PawnIoHandle& handle) {
  if (!Loaded()) return kNotLoaded;
  HANDLE opened = nullptr;
  const HRESULT result = entries_->open(&opened);
  handle = opened;
  return result;
}

PawnIoResult WinPawnIoLibrary::Load(PawnIoHandle handle, std::span<const uint8_t> module) {
  if (!entries_) return kNotLoaded;
  return entries_->load(handle, module.data(), module.size());
}

PawnIoResult WinPawnIoLibrary::Execute(PawnIoHandle handle, const char* name, std::span<const uint64_t> in,
                                       std::span<uint64_t> out, std::size_t& returned) {
  returned = 0;
  if (!entries_) return kNotLoaded;
  SIZE_T count = 0;
  const HRESULT result = entries_->execute(handle, name, reinterpret_cast<const ULONG64*>(in.data()), in.size(),
                                           reinterpret_cast<PULONG64>(out.data()), out.size(), &count);
  returned = count <= out.size() ? count : out.size();
  return result;
}

PawnIoResult WinPawnIoLibrary::Close(PawnIoHandle handle) {
  if (!entries_) return kNotLoaded;
  return entries_->close(handle);
}

}  // namespace vesk
