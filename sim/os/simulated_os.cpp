#include "sim/os/simulated_os.h"

#include <algorithm>

#include "platform/paths.h"

namespace vesk::sim {

int32_t SimulatedOs::GetUtcOffsetMinutes(const LocalTime& utc) {
  const auto offset = zone_.OffsetAt(VirtualClock::FromLocalTime(utc));
  return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::minutes>(offset).count());
}

uint64_t SimulatedOs::GetTickCount64() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now().time_since_epoch()).count());
}

void SimulatedOs::Sleep(uint32_t milliseconds) {
  clock_.Advance(std::chrono::milliseconds{milliseconds});
}

void SimulatedOs::DelayMicroseconds(uint32_t microseconds) {
  clock_.Advance(Microseconds{microseconds});
}

OsServices::LockWait SimulatedOs::AcquireNamedLock(const std::string& name, uint32_t timeoutMs) {
  if (namedLocks_.Acquire(name, std::chrono::milliseconds{timeoutMs})) return LockWait::kTaken;
  clock_.Advance(std::chrono::milliseconds{timeoutMs});
  return LockWait::kTimedOut;
}

std::string SimulatedOs::GetModuleDirectory() { return ContainingFolder(modulePath_); }

bool SimulatedOs::Locked(const std::string& path) const {
  const auto lock = locks_.find(path);
  return lock != locks_.end() && clock_.Now() < lock->second;
}

std::optional<std::vector<uint8_t>> SimulatedOs::ReadFileBytes(const std::string& path,
                                                                std::size_t maxBytes) {
  FileContent content = ReadFileContent(path, maxBytes);
  if (!content.result) return std::nullopt;
  return std::move(content.bytes);
}

FileContent SimulatedOs::ReadFileContent(const std::string& path, std::size_t maxBytes) {
  const auto it = files_.find(path);
  const bool locked = it != files_.end() && Locked(path);
  fileOps_.push_back({FileOp::Read, path, it != files_.end() && !locked});
  if (it == files_.end()) return {FileResult::Missing(), {}};
  if (locked) return {FileResult::Failed(kSharingViolation), {}};
  const auto& content = it->second;
  return {FileResult::Done(), std::vector<uint8_t>(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(
                                                                        std::min(maxBytes, content.size())))};
}

FileResult SimulatedOs::ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  const bool locked = Locked(path);
  const bool ok = !failFileWrites_ && !locked;
  if (ok) files_[path].assign(bytes.begin(), bytes.end());
  fileOps_.push_back({FileOp::Replace, path, ok});
  if (locked) return FileResult::Failed(kSharingViolation);
  return ok ? FileResult::Done() : FileResult::Failed(kAccessDenied);
}

FileResult SimulatedOs::RemoveFile(const std::string& path) {
  if (files_.count(path) == 0) {
    fileOps_.push_back({FileOp::Remove, path, false});
    return FileResult::Missing();
  }
  const bool locked = Locked(path);
  const bool ok = !failFileRemovals_ && !locked;
  if (ok) files_.erase(path);
  fileOps_.push_back({FileOp::Remove, path, ok});
  if (locked) return FileResult::Failed(kSharingViolation);
  return ok ? FileResult::Done() : FileResult::Failed(kAccessDenied);
}

bool SimulatedOs::AppendToFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::size_t written = failFileWrites_ ? 0 : bytes.size();
  if (appendCut_) written = std::min(written, *appendCut_);
  const bool ok = written == bytes.size() && !failFileWrites_;
  appendCut_.reset();
  if (!failFileWrites_) files_[path].insert(files_[path].end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(written));
  fileOps_.push_back({FileOp::Append, path, ok});
  return ok;
}

bool SimulatedOs::RenameFileReplacing(const std::string& from, const std::string& to) {
  const auto it = files_.find(from);
  const bool ok = it != files_.end() && !failFileWrites_;
  if (ok) {
    std::vector<uint8_t> content = std::move(it->second);
    files_.erase(it);
    files_[to] = std::move(content);
  }
  fileOps_.push_back({FileOp::Rename, from, ok});
  return ok;
}

bool SimulatedOs::OpenInViewer(const std::string& path) {
  viewed_.push_back(path);
  return files_.count(path) > 0;
}

bool SimulatedOs::ReportToEventLog(EventLogType type, uint16_t eventId, const std::string& text) {
  eventLog_.push_back({type, eventId, text});
  return true;
}

int SimulatedOs::ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) {
  messageBoxes_.push_back({clock_.Now(), caption, text, type, 0, 0});
  if (messageBoxHook_) return messageBoxHook_(messageBoxes_.back());
  return kIdOk;
}

int SimulatedOs::ShowTimedMessageBox(const std::string& text, const std::string& caption,
                                     unsigned type, uint16_t langId, uint32_t timeoutMs) {
  messageBoxes_.push_back({clock_.Now(), caption, text, type, langId, timeoutMs});
  if (messageBoxHook_) return messageBoxHook_(messageBoxes_.back());
  clock_.Advance(std::chrono::milliseconds{timeoutMs});
  return kIdTimeout;
}

std::vector<OsServices::OpenPath> SimulatedOs::ChangeableByOthers(const std::vector<std::string>& paths) {
  std::vector<OpenPath> open;
  for (const std::string& path : paths) {
    const auto found = openPaths_.find(path);
    if (found != openPaths_.end()) open.push_back({path, found->second});
  }
  return open;
}

bool SimulatedOs::RunHidden(const std::string& commandLine) {
  commands_.push_back({clock_.Now(), commandLine});
  if (commandHook_) commandHook_(commands_.back());
  return true;
}

bool SimulatedOs::CreateSingleInstanceMutex(const std::string& name) {
  const bool alreadyHeld = heldMutexes_.count(name) > 0;
  heldMutexes_[name] = true;
  return alreadyHeld;
}

bool SimulatedOs::WriteRegistryString(RegistryRoot root, const std::string& subKey,
                                      const std::string& valueName, const std::string& data) {
  if (failRegistry_) return false;
  registryWrites_.push_back({root, subKey, valueName, data});
  return true;
}

void SimulatedOs::EndProcess(int exitCode) { throw SimulatedProcessExit{exitCode}; }

void SimulatedOs::ClearRecords() {
  messageBoxes_.clear();
  commands_.clear();
  registryWrites_.clear();
  fileOps_.clear();
  debugOutput_.clear();
  eventLog_.clear();
  viewed_.clear();
}

}  // namespace vesk::sim
