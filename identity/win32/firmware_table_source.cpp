#include "identity/win32/firmware_table_source.h"

#include <windows.h>

#include <vector>

#include "identity/smbios_table.h"

namespace vesk::win32 {

namespace {

// The provider's signature is the four letters read as one big-endian word.
constexpr DWORD kRawSmbiosProvider = (DWORD{'R'} << 24) | (DWORD{'S'} << 16) | (DWORD{'M'} << 8) | DWORD{'B'};
constexpr DWORD kOnlyTable = 0;  // the provider has one table, whatever the id

constexpr char kProviderFails[] = "GetSystemFirmwareTable RSMB fails";
constexpr char kBufferCut[] = "GetSystemFirmwareTable RSMB gives a cut table";

}  // namespace

void RsmbSmbiosSource::ReadTables(SMInfo& info, OsServices& os) {
  // The first call tells the size; the table may change in between (it
  // does not on a running machine), so the second call's size is checked.
  const UINT size = GetSystemFirmwareTable(kRawSmbiosProvider, kOnlyTable, nullptr, 0);
  if (size == 0) {
    os.DebugOutput(kProviderFails);
    return;
  }
  std::vector<uint8_t> buffer(size);
  const UINT written = GetSystemFirmwareTable(kRawSmbiosProvider, kOnlyTable, buffer.data(), size);
  if (written == 0 || written > size) {
    os.DebugOutput(kProviderFails);
    return;
  }
  buffer.resize(written);
  if (!StoreRawSmbiosData(info, buffer)) os.DebugOutput(kBufferCut);
}

}  // namespace vesk::win32
