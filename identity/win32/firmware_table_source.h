#pragma once
// The firmware table of the running Windows machine, read through the raw
// firmware table provider "RSMB" (GetSystemFirmwareTable). Windows keeps it
// working when its management service (WMI) is damaged, and Wine builds it
// from the host's DMI files.
#include "identity/smbios_source.h"

namespace vesk::win32 {

class RsmbSmbiosSource final : public SmbiosTableSource {
 public:
  void ReadTables(SMInfo& info, OsServices& os) override;
};

}  // namespace vesk::win32
