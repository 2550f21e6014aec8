// vesk-sim identity: the board check on a simulated firmware table, with the
// parsed table index on request.
#include <ostream>

#include "identity/info_check.h"
#include "identity/smbios_table.h"
#include "sim/cli/command.h"
#include "sim/firmware/firmware_tables.h"
#include "sim/os/simulated_os.h"

namespace vesk::sim::cli {

namespace {

constexpr char kPrefix[] = "vesk-sim identity: ";

std::string NameList() {
  std::string list;
  for (const auto& name : FirmwareTableNames()) list += (list.empty() ? "" : ", ") + name;
  return list;
}

// A line feed in a message text is written as \n, so each answer stays one line.
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) line += c == '\n' ? std::string("\\n") : std::string(1, c);
  return line;
}

void DumpIndex(const SMInfo& info, std::ostream& out) {
  out << "structures: " << info.StructNum << "\n";
  for (uint32_t i = 0; i < info.StructNum; ++i) {
    out << "structure " << i << " offset=" << info.StructAddr[i] << " length=" << info.StructLen[i]
        << " handle=" << info.HandleStr[i] << "\n";
  }
  out << "runs: " << info.TypeNum << "\n";
  for (uint32_t r = 0; r < info.TypeNum; ++r) {
    out << "run " << r << " offset=" << info.TypeAddr[r] << " length=" << info.TypeLen[r]
        << " type=" << info.TypeStr[r] << "\n";
  }
}

std::optional<FirmwareTable> ChosenTable(const Options& options, std::string& error) {
  if (options.Has("--smbios") == options.Has("--table")) {
    error = "give exactly one of --smbios FILE and --table NAME";
    return std::nullopt;
  }
  if (const auto name = options.Get("--table")) {
    auto table = NamedFirmwareTable(*name);
    if (!table) error = "unknown table '" + *name + "' (known: " + NameList() + ")";
    return table;
  }
  return LoadFirmwareTableFile(*options.Get("--smbios"), error);
}

int RunIdentity(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto options = Options::Parse(
      args, {{"--smbios", 1}, {"--table", 1}, {"--lang", 1}, {"--dump", 0}}, error);
  if (!options) {
    err << kPrefix << error << "\n";
    return kExitUsage;
  }
  auto table = ChosenTable(*options, error);
  if (!table) {
    err << kPrefix << error << "\n";
    return kExitUsage;
  }
  uint16_t langId = kDefaultLangId;
  if (const auto lang = options->Get("--lang")) {
    const auto parsed = ParseLangId(*lang);
    if (!parsed) {
      err << kPrefix << "--lang needs a language id from 0 to 65535, not '" << *lang << "'\n";
      return kExitUsage;
    }
    langId = *parsed;
  }

  FirmwareTableSource source{std::move(*table)};
  VirtualClock clock;
  SimulatedOs os{clock};
  os.SetLangId(langId);

  if (options->Has("--dump")) {
    const auto info = MakeEmptySMInfo();
    source.ReadTables(*info, os);
    ParseSmbiosTables(*info);
    DumpIndex(*info, out);
  }

  try {
    InfoCheckValid(os, source);
  } catch (const SimulatedProcessExit&) {
    if (os.MessageBoxes().empty()) {
      err << kPrefix << "the check ended the process without a message\n";
      return kExitRefused;
    }
    const auto& box = os.MessageBoxes().back();
    out << "refused: " << box.caption << ": " << OneLine(box.text) << "\n";
    return kExitRefused;
  }
  out << "accepted\n";
  return kExitOk;
}

const CommandRegistration registration{
    {"identity", "identity (--smbios FILE | --table NAME) [--lang ID] [--dump]", &RunIdentity}};

}  // namespace

}  // namespace vesk::sim::cli
