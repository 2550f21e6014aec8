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

// Two ways to the same table: the second is asked only when the first
// delivered none, so a board is refused for want of a table only when both
// failed. A table the first delivered is judged as it is, even when it
// names another board.
class FallbackSmbiosSource final : public SmbiosTableSource {
 public:
  FallbackSmbiosSource(SmbiosTableSource& first, SmbiosTableSource& second) : first_(first), second_(second) {}
  void ReadTables(SMInfo& info, OsServices& os) override {
    first_.ReadTables(info, os);
    if (info.DataLen == 0) second_.ReadTables(info, os);
  }

 private:
  SmbiosTableSource& first_;
  SmbiosTableSource& second_;
};

}  // namespace vesk
