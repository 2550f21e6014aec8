#include "identity/win32/wmi_smbios_source.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>

#include <span>

#include "identity/smbios_table.h"

namespace vesk::win32 {

namespace {

// The debugger texts, one per step that can fail.
constexpr char kComInitFails[] = "CoInitalizeEx fails";
constexpr char kSecurityFails[] = "CoInitializeSecurity fails";
constexpr char kCreateLocatorFails[] = "CoCreateInstance Fails";
constexpr char kConnectFails[] = "Connect Fails";
constexpr char kProxyBlanketFails[] = "CoSetProxyBlanket Fails";
constexpr char kEnumFails[] = "CreateInstanceEnum Fails";
constexpr char kMajorVersionFails[] = "pInstance->Get SmbiosMajorVersion fails";
constexpr char kMinorVersionFails[] = "pInstance->Get SmbiosMinorVersion fails";
constexpr char kTableFails[] = "pInstance->Get SMBiosData fails";

constexpr wchar_t kNamespace[] = L"ROOT\\WMI";
constexpr wchar_t kRawTablesClass[] = L"MSSMBios_RawSMBiosTables";
constexpr wchar_t kMajorVersionProperty[] = L"SmbiosMajorVersion";
constexpr wchar_t kMinorVersionProperty[] = L"SmbiosMinorVersion";
constexpr wchar_t kTableProperty[] = L"SMBiosData";

constexpr LONG kDefaultAuthenticationServices = -1;
constexpr ULONG kOneObject = 1;

constexpr int kReadToItsEnd = 1;
constexpr int kReadFailed = 0;

// Ends the thread's COM use when the reading ends. Declared before every
// interface, so it runs after they are all released.
class ComUninitializeAtExit {
 public:
  ComUninitializeAtExit() = default;
  ~ComUninitializeAtExit() { CoUninitialize(); }
  ComUninitializeAtExit(const ComUninitializeAtExit&) = delete;
  ComUninitializeAtExit& operator=(const ComUninitializeAtExit&) = delete;
};

// One interface reference, released when it goes out of scope.
template <class Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  Interface** Put() { return &pointer_; }
  void** PutVoid() { return reinterpret_cast<void**>(&pointer_); }
  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

class BString {
 public:
  explicit BString(const wchar_t* text) : value_(SysAllocString(text)) {}
  ~BString() { SysFreeString(value_); }
  BString(const BString&) = delete;
  BString& operator=(const BString&) = delete;
  BSTR Get() const { return value_; }

 private:
  BSTR value_;
};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* Put() { return &value_; }
  const VARIANT& Get() const { return value_; }
  void Clear() { VariantClear(&value_); }

 private:
  VARIANT value_;
};

// The low byte of a whole-number property; a value of another kind (null,
// empty) gives 0.
uint8_t LowByte(const VARIANT& value) {
  switch (V_VT(&value)) {
    case VT_UI1: return V_UI1(&value);
    case VT_I1: return static_cast<uint8_t>(V_I1(&value));
    case VT_UI2: return static_cast<uint8_t>(V_UI2(&value) & 0xFF);
    case VT_I2: return static_cast<uint8_t>(V_I2(&value) & 0xFF);
    case VT_UI4: return static_cast<uint8_t>(V_UI4(&value) & 0xFF);
    case VT_I4: return static_cast<uint8_t>(V_I4(&value) & 0xFF);
    case VT_UINT: return static_cast<uint8_t>(V_UINT(&value) & 0xFF);
    case VT_INT: return static_cast<uint8_t>(V_INT(&value) & 0xFF);
    default: return 0;
  }
}

}  // namespace

bool StoreSmbiosDataValue(const VARIANT& value, SMInfo& info) {
  if (V_VT(&value) != (VT_ARRAY | VT_UI1)) return false;
  SAFEARRAY* array = V_ARRAY(&value);
  if (array == nullptr || SafeArrayGetDim(array) != 1) return false;
  LONG lower = 0;
  LONG upper = 0;
  if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return false;
  }
  const std::size_t count = upper < lower ? 0 : static_cast<std::size_t>(upper - lower) + 1;
  void* bytes = nullptr;
  if (FAILED(SafeArrayAccessData(array, &bytes))) return false;
  StoreSmbiosTable(info, std::span<const uint8_t>(static_cast<const uint8_t*>(bytes), count),
                   info.MajorVersion, info.MinorVersion);
  SafeArrayUnaccessData(array);
  return true;
}

int ReadSmbiosTables(SMInfo& info, OsServices& os) {
  const ComUninitializeAtExit uninitialize;

  if (FAILED(CoInitializeSecurity(nullptr, kDefaultAuthenticationServices, nullptr, nullptr,
                                  RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                  EOAC_NONE, nullptr))) {
    os.DebugOutput(kSecurityFails);
    return kReadFailed;
  }

  ComRef<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              locator.PutVoid()))) {
    os.DebugOutput(kCreateLocatorFails);
    return kReadFailed;
  }

  ComRef<IWbemServices> services;
  const BString wmiNamespace{kNamespace};
  if (FAILED(locator->ConnectServer(wmiNamespace.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.Put()))) {
    os.DebugOutput(kConnectFails);
    return kReadFailed;
  }

  if (FAILED(CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                               RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
    os.DebugOutput(kProxyBlanketFails);
    return kReadFailed;
  }

  ComRef<IEnumWbemClassObject> enumerator;
  const BString className{kRawTablesClass};
  if (FAILED(services->CreateInstanceEnum(className.Get(), 0, nullptr, enumerator.Put()))) {
    os.DebugOutput(kEnumFails);
    return kReadFailed;
  }

  // Only the first instance is read; none at all is no failure.
  ComRef<IWbemClassObject> instance;
  ULONG returned = 0;
  if (enumerator->Next(static_cast<LONG>(WBEM_INFINITE), kOneObject, instance.Put(), &returned) !=
          WBEM_S_NO_ERROR ||
      instance.Get() == nullptr) {
    return kReadToItsEnd;
  }

  Variant value;
  if (FAILED(instance->Get(kMajorVersionProperty, 0, value.Put(), nullptr, nullptr))) {
    value.Clear();
    os.DebugOutput(kMajorVersionFails);
    return kReadFailed;
  }
  info.MajorVersion = LowByte(value.Get());
  value.Clear();

  if (FAILED(instance->Get(kMinorVersionProperty, 0, value.Put(), nullptr, nullptr))) {
    value.Clear();
    os.DebugOutput(kMinorVersionFails);
    return kReadFailed;
  }
  info.MinorVersion = LowByte(value.Get());
  value.Clear();

  if (FAILED(instance->Get(kTableProperty, 0, value.Put(), nullptr, nullptr)) ||
      !StoreSmbiosDataValue(value.Get(), info)) {
    value.Clear();
    os.DebugOutput(kTableFails);
    return kReadFailed;
  }
  value.Clear();
  return kReadToItsEnd;
}

void WmiSmbiosSource::ReadTables(SMInfo& info, OsServices& os) {
  const HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (result == S_OK) {
    ReadSmbiosTables(info, os);
    return;
  }
  os.DebugOutput(kComInitFails);
  // S_FALSE: COM was already initialised on this thread, and our call still
  // counts; give it back so the thread's COM use stays as it was.
  if (SUCCEEDED(result)) CoUninitialize();
}

}  // namespace vesk::win32
