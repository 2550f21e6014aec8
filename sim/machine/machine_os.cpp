#include "sim/machine/machine_os.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "schedule/holidays.h"
#include "schedule/schedule_file.h"

namespace vesk::sim {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

}  // namespace

std::optional<ShutdownRequest> ParseShutdown(const std::string& commandLine) {
  std::istringstream words(Lower(commandLine));
  std::vector<std::string> tokens;
  for (std::string word; words >> word;) tokens.push_back(word);
  const auto verb = std::find(tokens.begin(), tokens.end(), "shutdown");
  if (verb == tokens.end()) return std::nullopt;
  std::optional<ShutdownRequest> request;
  for (auto it = verb + 1; it != tokens.end(); ++it) {
    if (*it == "-s" || *it == "/s") request = ShutdownRequest{ShutdownRequest::Kind::PowerOff};
    if (*it == "-r" || *it == "/r") request = ShutdownRequest{ShutdownRequest::Kind::Restart};
    if (*it == "-a" || *it == "/a") return ShutdownRequest{ShutdownRequest::Kind::Abort};
  }
  if (!request) return std::nullopt;
  for (auto it = verb + 1; it + 1 < tokens.end(); ++it) {
    if (*it == "-t" || *it == "/t") request->delaySeconds = std::max(0, std::atoi((it + 1)->c_str()));
  }
  return request;
}

int MachineOs::ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) {
  hooks_.message(caption, text);
  return SimulatedOs::ShowMessageBox(text, caption, type);
}

int MachineOs::ShowTimedMessageBox(const std::string& text, const std::string& caption, unsigned type,
                                   uint16_t langId, uint32_t timeoutMs) {
  hooks_.message(caption, text);
  return SimulatedOs::ShowTimedMessageBox(text, caption, type, langId, timeoutMs);
}

bool MachineOs::RunHidden(const std::string& commandLine) {
  const bool result = SimulatedOs::RunHidden(commandLine);
  hooks_.command(commandLine);
  return result;
}

bool MachineOs::WriteRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName,
                                    const std::string& data) {
  const bool written = SimulatedOs::WriteRegistryString(root, subKey, valueName, data);
  if (written) hooks_.registry(root, subKey, valueName, data);
  return written;
}

FileResult MachineOs::ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  FileResult written = SimulatedOs::ReplaceFileAtomically(path, bytes);
  if (written && path == ScheduleFilePath(*this)) hooks_.saved();
  if (written && path == HolidaysFilePath(*this)) hooks_.holidaysSaved();
  return written;
}

bool MachineOs::ReportToEventLog(EventLogType type, uint16_t eventId, const std::string& text) {
  hooks_.eventLogged(type, eventId, text);
  return SimulatedOs::ReportToEventLog(type, eventId, text);
}

FileResult MachineOs::RemoveFile(const std::string& path) {
  FileResult removed = SimulatedOs::RemoveFile(path);
  if (removed.status != FileResult::Status::kFailed && path == ScheduleFilePath(*this)) hooks_.removed();
  return removed;
}

void MachineOs::Sleep(uint32_t milliseconds) {
  const SimTime before = Clock().Now();
  SimulatedOs::Sleep(milliseconds);
  delayed_ += Clock().Now() - before;
}

void MachineOs::DelayMicroseconds(uint32_t microseconds) {
  const SimTime before = Clock().Now();
  SimulatedOs::DelayMicroseconds(microseconds);
  delayed_ += Clock().Now() - before;
}

}  // namespace vesk::sim
