#include "schedule/schedule_file.h"

namespace vesk {

std::string ScheduleFilePath(OsServices& os) { return os.GetModuleDirectory() + kScheduleFileName; }

std::optional<WeekSchedule> ReadScheduleFile(OsServices& os) {
  const auto bytes = os.ReadFileBytes(ScheduleFilePath(os), kWeekScheduleBytes);
  if (!bytes) return std::nullopt;
  return ScheduleFromBytes(*bytes);
}

bool WriteScheduleFile(OsServices& os, const WeekSchedule& schedule) {
  const ScheduleImage image = ScheduleToBytes(schedule);
  return os.ReplaceFileAtomically(ScheduleFilePath(os), image);
}

bool DeleteScheduleFile(OsServices& os) { return os.RemoveFile(ScheduleFilePath(os)); }

}  // namespace vesk
