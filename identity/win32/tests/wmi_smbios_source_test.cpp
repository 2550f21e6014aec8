// The real WMI reading. Wine 8's "MSSMBios_RawSMBiosTables" has no
// "SmbiosMajorVersion" and a null "SMBiosData", so the reading fails at the
// version and the board is refused; the simulated OS records the box.
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
    EXPECT_EQ(exitCode, 0);  // the refusal's box and texts: the board check's own tests
    EXPECT_EQ(os.MessageBoxes().size(), 1u);
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

// A VARIANT holding an array with the given bounds; byte elements 0, 1, 2...
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
  const struct {
    ULONG count;
    LONG lowerBound;
    std::size_t kept;
  } cases[] = {{300, 0, 300}, {300, 5, 300}, {300, -3, 300}, {70000, 0, kMaxTableBytes}};
  for (const auto& c : cases) {
    const auto info = MakeEmptySMInfo();
    ASSERT_TRUE(StoreSmbiosDataValue(ArrayValue(VT_UI1, c.count, c.lowerBound).value, *info));
    EXPECT_EQ(info->DataLen, c.kept);
    EXPECT_EQ(info->Data[c.kept - 1], static_cast<uint8_t>(c.kept - 1)) << c.lowerBound;
  }

  const auto untouched = MakeEmptySMInfo();
  for (const VARTYPE type : {VARTYPE{VT_NULL}, VARTYPE{VT_EMPTY}}) {
    VARIANT value{};
    V_VT(&value) = type;
    EXPECT_FALSE(StoreSmbiosDataValue(value, *untouched)) << type;
  }
  EXPECT_FALSE(StoreSmbiosDataValue(ArrayValue(VT_I4, 10, 0).value, *untouched));
  EXPECT_FALSE(StoreSmbiosDataValue(ArrayValue(VT_UI1, 4, 0, 2).value, *untouched));
  EXPECT_EQ(untouched->DataLen, 0u);
  EXPECT_TRUE(StoreSmbiosDataValue(ArrayValue(VT_UI1, 0, 0).value, *untouched));
}

}  // namespace
}  // namespace vesk::win32
