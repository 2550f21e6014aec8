// The custom actions that install a fleet's timetable and holidays with the
// program (the package's properties TIMETABLE and HOLIDAYS). The sources are
// judged before the installation changes anything; a refused one stops it.
// What was accepted reaches the deferred action as its content, so the
// files installed are byte for byte the ones judged, however the sources
// change meanwhile and whoever the deferred action runs as. A failed
// installation puts back the files that were there before.
#include <windows.h>

#include "installer/actions/action_data.h"
#include "installer/actions/fleet_files.h"
#include "installer/actions/msi_session.h"

namespace {

using namespace vesk::installer;

constexpr LANGID kChinese = 2052;

bool Chinese() { return GetSystemDefaultLangID() == kChinese; }

std::wstring RefusedText(const FleetFile& file, const std::wstring& path, const std::wstring& reason) {
  if (Chinese()) {
    return std::wstring(file.property) + L" 指定的文件 " + path + L" 被拒绝（" + reason +
           L"）。安装已停止，未做任何更改。";
  }
  return std::wstring(file.property) + L" " + path + L" was refused (" + reason +
         L"). The installation stopped and changed nothing.";
}

std::wstring NotWrittenText(const FleetFile& file, const std::wstring& folder, const std::wstring& reason) {
  if (Chinese()) return std::wstring(L"无法将 ") + file.name + L" 写入 " + folder + L"（" + reason + L"）。";
  return std::wstring(file.name) + L" could not be written into " + folder + L" (" + reason + L").";
}

}  // namespace

extern "C" {

// Before anything is written: reads and judges each file named by its
// property and hands its content on to InstallFleetFiles, and the program's
// folder to the rollback and the commit.
__declspec(dllexport) UINT __stdcall CheckFleetFiles(MSIHANDLE install) {
  const MsiSession session{install};
  const std::wstring folder = session.Property(L"INSTALLDIR");
  std::vector<std::wstring> installData{folder};
  for (const FleetFile& file : kFleetFiles) {
    const std::wstring path = session.Property(file.property);
    installData.emplace_back();
    if (path.empty()) {
      session.Log(std::wstring(L"no ") + file.property + L" given: " + file.name + L" in place, if any, is kept.");
      continue;
    }
    const FleetSource source = ReadFleetSource(file, path);
    if (!source.refusal.empty()) {
      session.Error(RefusedText(file, path, source.refusal));
      return ERROR_INSTALL_FAILURE;
    }
    installData.back() = EncodeFleetContent(source.bytes);
    session.Log(std::wstring(file.property) + L" " + path + L" accepted (" + std::to_wstring(source.bytes.size()) +
                L" bytes), to be installed as " + file.name + L".");
  }
  session.SetProperty(L"InstallFleetFiles", EncodeActionData(installData));
  session.SetProperty(L"UndoFleetFiles", EncodeActionData({folder}));
  session.SetProperty(L"ForgetFleetBackups", EncodeActionData({folder}));
  return ERROR_SUCCESS;
}

// CustomActionData: the program's folder, then the content of each file
// (empty for a file not given).
__declspec(dllexport) UINT __stdcall InstallFleetFiles(MSIHANDLE install) {
  const MsiSession session{install};
  const std::vector<std::wstring> data = session.ActionData();
  if (data.empty() || data[0].empty()) {
    session.Error(L"InstallFleetFiles: no folder in its data.");
    return ERROR_INSTALL_FAILURE;
  }
  const std::wstring& folder = data[0];
  for (std::size_t i = 0; i < std::size(kFleetFiles); ++i) {
    const FleetFile& file = kFleetFiles[i];
    if (data.size() <= i + 1 || data[i + 1].empty()) continue;
    const auto bytes = DecodeFleetContent(data[i + 1]);
    const std::wstring reason = bytes ? InstallFleetFile(folder, file.name, *bytes) : L"its content was damaged";
    if (!reason.empty()) {
      session.Error(NotWrittenText(file, folder, reason));
      return ERROR_INSTALL_FAILURE;
    }
    session.Log(std::wstring(file.name) + L" installed in " + folder + L".");
  }
  return ERROR_SUCCESS;
}

// Rollback of InstallFleetFiles. CustomActionData: the program's folder.
__declspec(dllexport) UINT __stdcall UndoFleetFiles(MSIHANDLE install) {
  const MsiSession session{install};
  const std::vector<std::wstring> data = session.ActionData();
  if (data.empty() || data[0].empty()) return ERROR_SUCCESS;
  const std::wstring& folder = data[0];
  for (const FleetFile& file : kFleetFiles) {
    if (UndoFleetFile(folder, file.name)) session.Log(std::wstring(file.name) + L" put back as it was before.");
  }
  return ERROR_SUCCESS;
}

// Commit of InstallFleetFiles. CustomActionData: the program's folder.
__declspec(dllexport) UINT __stdcall ForgetFleetBackups(MSIHANDLE install) {
  const MsiSession session{install};
  const std::vector<std::wstring> data = session.ActionData();
  if (data.empty() || data[0].empty()) return ERROR_SUCCESS;
  for (const FleetFile& file : kFleetFiles) ForgetFleetBackup(data[0], file.name);
  return ERROR_SUCCESS;
}

}  // extern "C"
