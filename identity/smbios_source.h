#pragma once
// Where the firmware table comes from: WMI on Windows, the simulated
// machine's firmware in the simulator and the tests.
#include "identity/sm_info.h"
#include "platform/os_services.h"

namespace vesk {

class SmbiosTableSource {
 public:
  virtual ~SmbiosTableSource() = default;

  // Fills MajorVersion, MinorVersion, Data and DataLen of an empty record
  // (through StoreSmbiosTable, which cuts a table longer than the copy).
  // A source that cannot deliver a table leaves DataLen at 0 and writes its
  // reason with os.DebugOutput; it never shows anything to the user.
  virtual void ReadTables(SMInfo& info, OsServices& os) = 0;
};

}  // namespace vesk
