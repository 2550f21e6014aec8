// The real WMI reading on a Win32 system. Wine 8 has the class
// "MSSMBios_RawSMBiosTables" with one instance, but no "SmbiosMajorVersion"
// (WBEM_E_NOT_FOUND) and a null "SMBiosData", so the reading fails at the
// version and the board is refused as not compatible; the simulated OS
// services only record what the user would have seen and the exit code.
#include "identity/win32/wmi_smbios_source.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "identity/info_check.h"
#include "sim/os/simulated_os.h"

namespace vesk::win32 {
namespace {

// Each case runs on a thread of its own, where COM starts uninitialised.
void OnFreshThread(const std::function<void()>& body) { std::thread(body).join(); }

// True when COM is no longer initialised on the calling thread.
bool ComIsUninitialised() {
  const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(result)) CoUninitialize();
  return result == S_OK;
}

TEST(WmiSmbiosSource, WineGivesNoTableSoTheBoardIsRefusedAsNotCompatible) {
  OnFreshThread([] {
    sim::VirtualClock clock;
    sim::SimulatedOs os{clock};
    WmiSmbiosSource source;
    int exitCode = -1;
    try {
      InfoCheckValid(os, source);
    } catch (const sim::SimulatedProcessExit& exit) {
      exitCode = exit.exitCode;
    }
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(os.MessageBoxes().size(), 1u);
    EXPECT_EQ(os.MessageBoxes()[0].caption, "Error");
    EXPECT_EQ(os.MessageBoxes()[0].text, "This Modle is not compatible with VESK technology!");
    EXPECT_EQ(os.MessageBoxes()[0].type, kMbIconError);
    EXPECT_EQ(os.DebugTexts(), std::vector<std::string>{"pInstance->Get SmbiosMajorVersion fails"});
    EXPECT_TRUE(ComIsUninitialised());
  });
}

TEST(WmiSmbiosSource, ComAlreadyInitialisedOnTheThreadIsReportedAndLeftAsItWas) {
  for (const DWORD model : {DWORD{COINIT_APARTMENTTHREADED}, DWORD{COINIT_MULTITHREADED}}) {
    OnFreshThread([model] {
      sim::VirtualClock clock;
      sim::SimulatedOs os{clock};
      const auto info = MakeEmptySMInfo();
      ASSERT_EQ(CoInitializeEx(nullptr, model), S_OK);
      WmiSmbiosSource().ReadTables(*info, os);
      EXPECT_EQ(info->DataLen, 0u);
      EXPECT_EQ(os.DebugTexts(), std::vector<std::string>{"CoInitalizeEx fails"});
      EXPECT_FALSE(ComIsUninitialised()) << model;  // the thread's own use stands
      CoUninitialize();
      EXPECT_TRUE(ComIsUninitialised()) << model;  // and nothing more
    });
  }
}

// A VARIANT holding a one-dimensional array with the given bounds; byte
// elements are 0, 1, 2...
struct ArrayValue {
  ArrayValue(VARTYPE element, ULONG count, LONG lowerBound, UINT dimensions = 1) {
    VariantInit(&value);
    SAFEARRAYBOUND bounds[2] = {{count, lowerBound}, {count, lowerBound}};
    SAFEARRAY* array = SafeArrayCreate(element, dimensions, bounds);
    void* data = nullptr;
    if (element == VT_UI1 && dimensions == 1 && SUCCEEDED(SafeArrayAccessData(array, &data))) {
      for (ULONG i = 0; i < count; ++i) static_cast<uint8_t*>(data)[i] = static_cast<uint8_t>(i);
      SafeArrayUnaccessData(array);
    }
    V_VT(&value) = static_cast<VARTYPE>(VT_ARRAY | element);
    V_ARRAY(&value) = array;
  }
  ~ArrayValue() { VariantClear(&value); }
  ArrayValue(const ArrayValue&) = delete;
  ArrayValue& operator=(const ArrayValue&) = delete;
  VARIANT value;
};

TEST(StoreSmbiosDataValue, TakesOneDimensionalByteArraysOnlyAndCutsLongOnes) {
  for (const LONG lowerBound : {LONG{0}, LONG{5}, LONG{-3}}) {
    const auto info = MakeEmptySMInfo();
    ASSERT_TRUE(StoreSmbiosDataValue(ArrayValue(VT_UI1, 300, lowerBound).value, *info));
    EXPECT_EQ(info->DataLen, 300u);
    EXPECT_EQ(info->Data[299], 299 % 256);
  }
  const auto info = MakeEmptySMInfo();
  ASSERT_TRUE(StoreSmbiosDataValue(ArrayValue(VT_UI1, 70000, 0).value, *info));
  EXPECT_EQ(info->DataLen, kMaxTableBytes);
  EXPECT_EQ(info->Data[65534], 65534 % 256);

  const auto untouched = MakeEmptySMInfo();
  VARIANT null;
  VariantInit(&null);
  V_VT(&null) = VT_NULL;
  EXPECT_FALSE(StoreSmbiosDataValue(null, *untouched));
  VariantInit(&null);
  EXPECT_FALSE(StoreSmbiosDataValue(null, *untouched));  // VT_EMPTY
  EXPECT_FALSE(StoreSmbiosDataValue(ArrayValue(VT_I4, 10, 0).value, *untouched));
  EXPECT_FALSE(StoreSmbiosDataValue(ArrayValue(VT_UI1, 4, 0, 2).value, *untouched));
  EXPECT_EQ(untouched->DataLen, 0u);
  EXPECT_TRUE(StoreSmbiosDataValue(ArrayValue(VT_UI1, 0, 0).value, *untouched));
}

}  // namespace
}  // namespace vesk::win32
