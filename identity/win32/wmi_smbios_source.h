#pragma once
// The firmware table of the running Windows machine, read through WMI
// (class "MSSMBios_RawSMBiosTables" in namespace "ROOT\WMI").
#include <windows.h>

#include <oaidl.h>

#include "identity/smbios_source.h"

namespace vesk::win32 {

// Reads the first instance's versions and "SMBiosData" into the record (a
// table longer than the copy is cut). COM must be initialised on the calling
// thread; this calls CoUninitialize exactly once before it returns, on every
// path. Returns 1 when it ran to its end, also when WMI has no instance, and
// 0 after a failure, whose text went to os.DebugOutput; DataLen then stays 0.
int ReadSmbiosTables(SMInfo& info, OsServices& os);

// Stores a "SMBiosData" value into the record's table: a one-dimensional
// byte array, cut at the copy's size when longer. Anything else (Wine answers
// with a null value) is no table: false, and the record is left alone.
bool StoreSmbiosDataValue(const VARIANT& value, SMInfo& info);

// The source the program uses on Windows: initialises COM in the
// multithreaded model for the reading only, then ReadSmbiosTables.
class WmiSmbiosSource final : public SmbiosTableSource {
 public:
  void ReadTables(SMInfo& info, OsServices& os) override;
};

}  // namespace vesk::win32
