#include "sim/firmware/firmware_tables.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "identity/sm_info.h"
#include "identity/smbios_table.h"

namespace vesk::sim {

namespace {

// Structure types (SMBIOS Reference Specification 3.x, 7.x).
constexpr uint8_t kTypeBios = 0;
constexpr uint8_t kTypeSystem = 1;
constexpr uint8_t kTypeBaseboard = 2;
constexpr uint8_t kTypeChassis = 3;
constexpr uint8_t kTypeEndOfTable = 127;

constexpr uint16_t kHandleBios = 0x0000;
constexpr uint16_t kHandleSystem = 0x0001;
constexpr uint16_t kHandleBaseboard = 0x0002;
// A baseboard numbered with the bytes 00 02: handle 0x0200, not 0x0002.
constexpr uint16_t kHandleBaseboardSwapped = 0x0200;
constexpr uint16_t kHandleChassis = 0x0003;
constexpr uint16_t kHandleEndOfTable = 0xFEFF;

constexpr uint8_t kSmbiosMajor = 3;
constexpr uint8_t kSmbiosMinor = 2;

void AppendWord(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

// Type 0, 26 bytes: vendor (1), version (2), start segment F000, release
// date (3), ROM size, characteristics, extension bytes, BIOS and EC releases,
// extended ROM size (16 MB).
std::vector<uint8_t> BiosFormatted() {
  return {1, 2,                                            // vendor, version
          0x00, 0xF0,                                      // start segment
          3, 0xFF,                                         // release date, ROM size
          0x80, 0x98, 0x8B, 0x3F, 0x01, 0x00, 0x00, 0x00,  // characteristics
          0x03, 0x0D,                                      // extension bytes
          5, 19, 0xFF, 0xFF,                               // BIOS and EC releases
          0x10, 0x00};                                     // extended ROM size
}

// Type 1, 27 bytes: manufacturer (1), product (2), version (3), serial (4),
// UUID, wake-up type "power switch", SKU (5), family (6).
std::vector<uint8_t> SystemFormatted() {
  return {1, 2, 3, 4,                                      // strings
          0x03, 0x00, 0x02, 0x00, 0x04, 0x00, 0x05, 0x00,  // UUID
          0x00, 0x06, 0x00, 0x07, 0x00, 0x08, 0x00, 0x09,
          0x06,                                            // wake-up type
          5, 6};                                           // SKU, family
}

// Type 2, 15 bytes: manufacturer (1), product (2), version (3), serial (4),
// asset tag (5), feature flags "hosting board, replaceable", location in
// chassis (6), the chassis handle, board type "motherboard", no contained
// objects.
std::vector<uint8_t> BaseboardFormatted() {
  std::vector<uint8_t> f{1, 2, 3, 4, 5, 0x09, 6};
  AppendWord(f, kHandleChassis);
  f.push_back(0x0A);
  f.push_back(0);
  return f;
}

// Type 3, 22 bytes: manufacturer (1), type "desktop", version (2), serial
// (3), asset tag (4), states "safe", no security, OEM 0, height, one power
// cord, no contained elements, SKU (5).
std::vector<uint8_t> ChassisFormatted() {
  std::vector<uint8_t> f{1, 0x03, 2, 3, 4, 0x03, 0x03, 0x03, 0x03, 0, 0, 0, 0, 0, 1, 0, 0, 5};
  return f;
}

struct BoardStrings {
  std::string manufacturer;
  std::string product;
  std::string version;
  std::string serial;
  std::string assetTag;
};

FirmwareTable BoardTable(const BoardStrings& board, uint16_t baseboardHandle) {
  SmbiosTableBuilder builder;
  builder.Add(kTypeBios, kHandleBios, BiosFormatted(), {"American Megatrends International, LLC.", "5.19", "03/18/2026"})
      .Add(kTypeSystem, kHandleSystem, SystemFormatted(),
           {board.manufacturer, "Box PC", "1.0", "SYS0001234", "Default string", "Default string"})
      .Add(kTypeBaseboard, baseboardHandle, BaseboardFormatted(),
           {board.manufacturer, board.product, board.version, board.serial, board.assetTag, "Default string"})
      .Add(kTypeChassis, kHandleChassis, ChassisFormatted(),
           {board.manufacturer, "1.0", "CHS0001234", "Default string", "Default string"})
      .AddEndOfTable(kHandleEndOfTable);
  return {kSmbiosMajor, kSmbiosMinor, builder.Bytes()};
}

const std::map<std::string, FirmwareTable, std::less<>>& Tables() {
  static const std::map<std::string, FirmwareTable, std::less<>> tables{
      // The board model, with the feature switched on in the asset tag.
      {"accepted", BoardTable({"VESK Technology", "RM415-B1", "V1.0", "RM415B1-0001234", "VESK OPEN"},
                              kHandleBaseboard)},
      // Another board whose firmware has the switch word but not the model.
      {"no-model", BoardTable({"Generic Boards Inc.", "H610M-K D4", "V1.0", "SN240600123", "VESK OPEN"},
                              kHandleBaseboard)},
      // The board model with the feature switched off.
      {"switch-off", BoardTable({"VESK Technology", "RM415-B1", "V1.0", "RM415B1-0001234", "VESK CLOSED"},
                                kHandleBaseboard)},
      // The right strings under another handle.
      {"no-handle-2", BoardTable({"VESK Technology", "RM415-B1", "V1.0", "RM415B1-0001234", "VESK OPEN"},
                                 kHandleBaseboardSwapped)},
  };
  return tables;
}

}  // namespace

SmbiosTableBuilder& SmbiosTableBuilder::Add(uint8_t type, uint16_t handle,
                                            const std::vector<uint8_t>& formatted,
                                            const std::vector<std::string>& strings) {
  bytes_.push_back(type);
  bytes_.push_back(static_cast<uint8_t>(kHeaderSize + formatted.size()));
  AppendWord(bytes_, handle);
  bytes_.insert(bytes_.end(), formatted.begin(), formatted.end());
  for (const auto& text : strings) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
  }
  if (strings.empty()) bytes_.push_back(0);
  bytes_.push_back(0);
  return *this;
}

SmbiosTableBuilder& SmbiosTableBuilder::AddEndOfTable(uint16_t handle) {
  return Add(kTypeEndOfTable, handle, {}, {});
}

const std::vector<std::string>& FirmwareTableNames() {
  static const std::vector<std::string> names{"accepted", "no-model", "switch-off", "no-handle-2"};
  return names;
}

std::optional<FirmwareTable> NamedFirmwareTable(std::string_view name) {
  const auto it = Tables().find(name);
  if (it == Tables().end()) return std::nullopt;
  return it->second;
}

std::optional<FirmwareTable> LoadFirmwareTableFile(const std::string& path, std::string& error) {
  const std::filesystem::path file{std::u8string(path.begin(), path.end())};
  std::error_code code;
  if (!std::filesystem::is_regular_file(file, code)) {
    error = "cannot read '" + path + "': " + (code ? code.message() : "not a regular file");
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot open '" + path + "'";
    return std::nullopt;
  }
  FirmwareTable table;
  table.bytes.resize(kMaxTableBytes);
  in.read(reinterpret_cast<char*>(table.bytes.data()), static_cast<std::streamsize>(table.bytes.size()));
  if (in.bad()) {
    error = "cannot read '" + path + "'";
    return std::nullopt;
  }
  table.bytes.resize(static_cast<std::size_t>(in.gcount()));
  return table;
}

void FirmwareTableSource::ReadTables(SMInfo& info, OsServices& /*os*/) {
  ++reads_;
  StoreSmbiosTable(info, table_.bytes, table_.majorVersion, table_.minorVersion);
}

}  // namespace vesk::sim
