#pragma once
// The simulated machine's firmware tables: a few named SMBIOS structure
// tables shaped like a real board's (BIOS, system, baseboard, chassis, end of
// table), or raw table bytes from a file, handed to the board check as its
// table source.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "identity/smbios_source.h"

namespace vesk::sim {

// Builds a structure table one structure at a time, in the SMBIOS layout:
// 4-byte header, the rest of the formatted area, the string-set.
class SmbiosTableBuilder {
 public:
  // formatted: the bytes after the header; the header's length byte counts
  // both. No strings give the two NULs of an empty string-set.
  SmbiosTableBuilder& Add(uint8_t type, uint16_t handle, const std::vector<uint8_t>& formatted,
                          const std::vector<std::string>& strings);
  SmbiosTableBuilder& AddEndOfTable(uint16_t handle);
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

struct FirmwareTable {
  uint8_t majorVersion = 0;
  uint8_t minorVersion = 0;
  std::vector<uint8_t> bytes;
};

// "accepted", "no-model", "switch-off", "no-handle-2".
const std::vector<std::string>& FirmwareTableNames();
std::optional<FirmwareTable> NamedFirmwareTable(std::string_view name);

// A file holding the raw structure table as the operating system hands it
// over (no entry point, no header). Bytes beyond what the table copy holds
// are not read. Versions are unknown and stay 0. Nothing when the file cannot
// be read, with a one-line reason in error.
std::optional<FirmwareTable> LoadFirmwareTableFile(const std::string& path, std::string& error);

// Hands its table to the board check, as WMI would on the real machine.
class FirmwareTableSource final : public SmbiosTableSource {
 public:
  explicit FirmwareTableSource(FirmwareTable table) : table_(std::move(table)) {}
  void ReadTables(SMInfo& info, OsServices& os) override;
  int Reads() const { return reads_; }

 private:
  FirmwareTable table_;
  int reads_ = 0;
};

}  // namespace vesk::sim
