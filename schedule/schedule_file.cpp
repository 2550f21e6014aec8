#include "schedule/schedule_file.h"

#include "platform/paths.h"

namespace vesk {

std::string FileBesideProgram(OsServices& os, const char* name) {
  const std::string folder = os.GetModuleDirectory();
  return IsFullPath(folder) ? folder + name : std::string{};
}

std::string ScheduleFilePath(OsServices& os) { return FileBesideProgram(os, kScheduleFileName); }

std::optional<WeekSchedule> ReadScheduleFile(OsServices& os, FileResult* unreadable) {
  const std::string path = ScheduleFilePath(os);
  if (path.empty()) return std::nullopt;
  const FileContent content = os.ReadFileContent(path, kWeekScheduleBytes);
  if (content.result.status == FileResult::Status::kFailed && unreadable != nullptr) *unreadable = content.result;
  if (!content.result) return std::nullopt;
  return ScheduleFromBytes(content.bytes);
}

FileResult WriteScheduleFile(OsServices& os, const WeekSchedule& schedule) {
  const std::string path = ScheduleFilePath(os);
  if (path.empty()) return FileResult::Failed({});
  const ScheduleImage image = ScheduleToBytes(schedule);
  return os.ReplaceFileAtomically(path, image);
}

FileResult DeleteScheduleFile(OsServices& os) {
  const std::string path = ScheduleFilePath(os);
  if (path.empty()) return FileResult::Failed({});
  return os.RemoveFile(path);
}

}  // namespace vesk
