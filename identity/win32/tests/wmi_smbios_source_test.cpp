// The real WMI reading on a Win32 system. Wine 8 has the class
// "MSSMBios_RawSMBiosTables" and one instance, but no "SmbiosMajorVersion"
// or "SmbiosMinorVersion" property (WBEM_E_NOT_FOUND) and a null
// "SMBiosData", so the reading fails at the version and the board is refused
// as not compatible; the OS services record what the user would have seen
// and how the process would have ended.
#include "identity/win32/wmi_smbios_source.h"

#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "identity/info_check.h"
#include "sim/os/simulated_os.h"

namespace vesk::win32 {
namespace {

// Each case runs on a thread of its own, so COM starts uninitialised there
// and what one case leaves behind cannot reach the next.
void OnFreshThread(const std::function<void()>& body) {
  std::thread thread(body);
  thread.join();
}

// True when COM is no longer initialised on the calling thread: a new
// apartment of either model can then be entered.
bool ComIsUninitialised() {
  const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(result)) CoUninitialize();
  return result == S_OK;
}

TEST(WmiSmbiosSource, WineGivesNoTableSoTheBoardIsRefusedAsNotCompatible) {
  OnFreshThread([] {
    sim::VirtualClock clock;
    sim::SimulatedOs os{clock};
    os.SetLangId(1033);
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

TEST(WmiSmbiosSource, ReadingReportsTheFailedStepAndEndsTheThreadsCom) {
  OnFreshThread([] {
    sim::VirtualClock clock;
    sim::SimulatedOs os{clock};
    const auto info = MakeEmptySMInfo();
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(ReadSmbiosTables(*info, os), 0);
    EXPECT_EQ(info->DataLen, 0u);
    EXPECT_EQ(os.DebugTexts(), std::vector<std::string>{"pInstance->Get SmbiosMajorVersion fails"});
    EXPECT_TRUE(ComIsUninitialised());
  });
}

TEST(WmiSmbiosSource, ComAlreadyInitialisedOnTheThreadIsReportedAndLeftAsItWas) {
  for (const DWORD model : {DWORD{COINIT_APARTMENTTHREADED}, DWORD{COINIT_MULTITHREADED}}) {
    SCOPED_TRACE(model);
    OnFreshThread([model] {
      sim::VirtualClock clock;
      sim::SimulatedOs os{clock};
      const auto info = MakeEmptySMInfo();
      ASSERT_EQ(CoInitializeEx(nullptr, model), S_OK);
      WmiSmbiosSource source;
      source.ReadTables(*info, os);
      EXPECT_EQ(info->DataLen, 0u);
      EXPECT_EQ(os.DebugTexts(), std::vector<std::string>{"CoInitalizeEx fails"});
      // The thread's own initialisation is still there, and is the last.
      EXPECT_FALSE(ComIsUninitialised());
      CoUninitialize();
      EXPECT_TRUE(ComIsUninitialised());
    });
  }
}

// --- the "SMBiosData" value ---

// A VARIANT holding a byte array with the given bounds, filled with 0, 1, 2...
class ByteArrayValue {
 public:
  ByteArrayValue(ULONG count, LONG lowerBound, VARTYPE elementType = VT_UI1) {
    VariantInit(&value_);
    SAFEARRAYBOUND bound{count, lowerBound};
    SAFEARRAY* array = SafeArrayCreate(elementType, 1, &bound);
    if (elementType == VT_UI1 && count > 0) {
      void* data = nullptr;
      SafeArrayAccessData(array, &data);
      auto* bytes = static_cast<uint8_t*>(data);
      for (ULONG i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i);
      SafeArrayUnaccessData(array);
    }
    V_VT(&value_) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(&value_) = array;
  }
  ~ByteArrayValue() { VariantClear(&value_); }
  ByteArrayValue(const ByteArrayValue&) = delete;
  ByteArrayValue& operator=(const ByteArrayValue&) = delete;
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

TEST(StoreSmbiosDataValue, CopiesAByteArrayWhateverItsLowerBound) {
  for (const LONG lowerBound : {LONG{0}, LONG{5}, LONG{-3}}) {
    SCOPED_TRACE(lowerBound);
    const auto info = MakeEmptySMInfo();
    info->MajorVersion = 3;
    info->MinorVersion = 4;
    const ByteArrayValue value{300, lowerBound};
    ASSERT_TRUE(StoreSmbiosDataValue(value.Get(), *info));
    EXPECT_EQ(info->DataLen, 300u);
    EXPECT_EQ(info->Data[0], 0);
    EXPECT_EQ(info->Data[299], 299 % 256);
    EXPECT_EQ(info->Data[300], 0);
    EXPECT_EQ(info->MajorVersion, 3);
    EXPECT_EQ(info->MinorVersion, 4);
  }
}

TEST(StoreSmbiosDataValue, CutsATableLongerThanTheCopy) {
  const auto info = MakeEmptySMInfo();
  const ByteArrayValue value{70000, 0};
  ASSERT_TRUE(StoreSmbiosDataValue(value.Get(), *info));
  EXPECT_EQ(info->DataLen, kMaxTableBytes);
  EXPECT_EQ(info->Data[65534], 65534 % 256);
}

TEST(StoreSmbiosDataValue, AnythingButAOneDimensionalByteArrayIsNoTable) {
  const auto info = MakeEmptySMInfo();
  VARIANT null;
  VariantInit(&null);
  V_VT(&null) = VT_NULL;
  EXPECT_FALSE(StoreSmbiosDataValue(null, *info));
  VARIANT empty;
  VariantInit(&empty);
  EXPECT_FALSE(StoreSmbiosDataValue(empty, *info));
  const ByteArrayValue words{10, 0, VT_I4};
  EXPECT_FALSE(StoreSmbiosDataValue(words.Get(), *info));

  VARIANT square;
  VariantInit(&square);
  SAFEARRAYBOUND bounds[2] = {{4, 0}, {4, 0}};
  V_VT(&square) = VT_ARRAY | VT_UI1;
  V_ARRAY(&square) = SafeArrayCreate(VT_UI1, 2, bounds);
  EXPECT_FALSE(StoreSmbiosDataValue(square, *info));
  VariantClear(&square);
  EXPECT_EQ(info->DataLen, 0u);

  const ByteArrayValue none{0, 0};
  EXPECT_TRUE(StoreSmbiosDataValue(none.Get(), *info));
  EXPECT_EQ(info->DataLen, 0u);
}

}  // namespace
}  // namespace vesk::win32
