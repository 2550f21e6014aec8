#pragma once
// The timetable file "TimeSetting.bin" beside the executable: the 126-byte
// image of the timetable in force and nothing else.
#include <optional>
#include <string>

#include "platform/os_services.h"
#include "schedule/week_schedule.h"

namespace vesk {

inline constexpr const char* kScheduleFileName = "TimeSetting.bin";

// The full path of a file beside the program; empty when the program's
// folder is unknown, so that nothing lands in the working folder.
std::string FileBesideProgram(OsServices& os, const char* name);

// The executable's folder followed by "TimeSetting.bin"; empty when that
// folder is unknown or not a full path. A bare file name would be taken
// from the working folder, which for a program started at logon is the
// system's own folder.
std::string ScheduleFilePath(OsServices& os);

// The timetable in the file, or nothing when the file does not open or its
// folder is unknown (the caller keeps its own record then). A file of any
// length loads: a short one leaves the rest of the record zero, a long one
// gives its first 126 bytes. Values are taken as they are, unchecked. A file
// that is there but cannot be read now (another program holds it) sets
// `unreadable` to the failure, when given.
std::optional<WeekSchedule> ReadScheduleFile(OsServices& os, FileResult* unreadable = nullptr);

// Replaces the file with the whole 126-byte image. The old file stays whole
// when that fails; the result says why.
FileResult WriteScheduleFile(OsServices& os, const WeekSchedule& schedule);

// Deletes the file; kMissing when there was none.
FileResult DeleteScheduleFile(OsServices& os);

}  // namespace vesk
