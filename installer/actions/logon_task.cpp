#include "installer/actions/logon_task.h"

#include <taskschd.h>

#include "installer/actions/program_files.h"

namespace vesk::installer {

namespace {

// Not in mingw-w64's taskschd.h.
constexpr LONG kTaskRunUseSessionId = 0x4;

// Holds one COM interface pointer.
template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p != nullptr) p->Release();
  }
  T* operator->() const { return p; }
};

struct Bstr {
  BSTR value;
  explicit Bstr(const std::wstring& text) : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(value); }
};

// COM on the action's thread, whatever the installer set up there before.
struct ComApartment {
  HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ~ComApartment() {
    if (SUCCEEDED(result)) CoUninitialize();
  }
};

// The task scheduler's root folder, with COM up on this thread for as long
// as it is used.
struct TaskRoot {
  ComApartment com;
  Com<ITaskService> service;
  Com<ITaskFolder> folder;

  HRESULT Open() {
    HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  reinterpret_cast<void**>(&service.p));
    if (FAILED(hr)) return hr;
    VARIANT none;
    VariantInit(&none);
    hr = service->Connect(none, none, none, none);
    if (FAILED(hr)) return hr;
    Bstr root{L"\\"};
    return service->GetFolder(root.value, &folder.p);
  }
};

std::wstring XmlEscaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'&') out += L"&amp;";
    else if (c == L'<') out += L"&lt;";
    else if (c == L'>') out += L"&gt;";
    else out += c;
  }
  return out;
}


}  // namespace

std::wstring LogonTaskDefinition(const std::wstring& programPath) {
  // Any member of Users (S-1-5-32-545) who logs on, with the highest rights
  // that user has. The program runs for days: no time limit, no stop on
  // battery, normal priority (a task's default is below normal), and a
  // second start while it runs is left out.
  return LR"(<?xml version="1.0" encoding="UTF-16"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <RegistrationInfo><Description>Starts VESK at every logon.</Description></RegistrationInfo>
  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>
  <Principals>
    <Principal id="LoggedOnUser">
      <GroupId>S-1-5-32-545</GroupId>
      <RunLevel>HighestAvailable</RunLevel>
    </Principal>
  </Principals>
  <Settings>
    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>
    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>
    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>
    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>
    <Priority>4</Priority>
    <Enabled>true</Enabled>
  </Settings>
  <Actions Context="LoggedOnUser">
    <Exec>
      <Command>)" + XmlEscaped(programPath) + LR"(</Command>
      <WorkingDirectory>)" + XmlEscaped(FolderOf(programPath)) + LR"(</WorkingDirectory>
    </Exec>
  </Actions>
</Task>
)";
}

HRESULT RegisterLogonTask(const std::wstring& programPath) {
  TaskRoot root;
  HRESULT hr = root.Open();
  if (FAILED(hr)) return hr;
  Bstr name{kLogonTaskName};
  Bstr xml{LogonTaskDefinition(programPath)};
  VARIANT none;
  VariantInit(&none);
  Com<IRegisteredTask> task;
  return root.folder->RegisterTask(name.value, xml.value, TASK_CREATE_OR_UPDATE, none, none, TASK_LOGON_GROUP,
                                   none, &task.p);
}

HRESULT DeleteLogonTask() {
  TaskRoot root;
  HRESULT hr = root.Open();
  if (FAILED(hr)) return hr;
  Bstr name{kLogonTaskName};
  hr = root.folder->DeleteTask(name.value, 0);
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : hr;
}

HRESULT RunLogonTask(DWORD session, const std::wstring& user) {
  TaskRoot root;
  HRESULT hr = root.Open();
  if (FAILED(hr)) return hr;
  Bstr name{kLogonTaskName};
  Com<IRegisteredTask> task;
  hr = root.folder->GetTask(name.value, &task.p);
  if (FAILED(hr)) return hr;
  VARIANT none;
  VariantInit(&none);
  Bstr who{user};
  Com<IRunningTask> running;
  return task->RunEx(none, kTaskRunUseSessionId, static_cast<LONG>(session), who.value, &running.p);
}

}  // namespace vesk::installer
