#include "installer/actions/fleet_files.h"

#include <string_view>

#include "platform/paths.h"
#include "platform/win32/atomic_file.h"
#include "platform/win32/file_paths.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os_services.h"
#include "schedule/holidays.h"
#include "schedule/validation.h"
#include "schedule/week_schedule.h"

namespace vesk::installer {

namespace {

constexpr LANGID kChinese = 2052;
constexpr std::wstring_view kContentPrefix = L"hex:";
// What InstallFleetFile keeps beside the file until the installation ends:
// the file as it was, or an empty note that there was none.
constexpr const wchar_t* kKeptSuffix = L".before-install";
constexpr const wchar_t* kNoneSuffix = L".none-before-install";

bool IsTimetable(const FleetFile& file) { return std::wstring_view(file.name) == kFleetTimetable.name; }

std::wstring LastErrorText() { return win32::ToWide(win32::SystemErrorText(GetLastError())); }

std::wstring NotFullPathText(LANGID langId) {
  if (langId == kChinese) return L"必须是完整路径（C:\\... 或 \\\\服务器\\共享\\...）";
  return L"it must be a full path (C:\\... or \\\\server\\share\\...)";
}

std::wstring CannotReadText(const std::wstring& reason, LANGID langId) {
  if (langId == kChinese) return L"无法读取：" + reason;
  return L"it cannot be read: " + reason;
}

std::wstring WrongSizeText(std::size_t size, LANGID langId) {
  const std::wstring bytes = size > kWeekScheduleBytes ? L"more than 126" : std::to_wstring(size);
  if (langId == kChinese) return L"文件长度为 " + bytes + L" 字节，而时间表文件为 126 字节";
  return L"it is " + bytes + L" bytes long, and a timetable file is 126";
}

// At most `limit` + 1 bytes: one more than allowed is enough to refuse.
std::optional<std::vector<uint8_t>> ReadAtMost(const std::wstring& path, std::size_t limit) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<uint8_t> bytes(limit + 1);
  std::size_t got = 0;
  DWORD read = 0;
  bool failed = false;
  while (got < bytes.size()) {
    if (!ReadFile(file, bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &read, nullptr)) {
      failed = true;
      break;
    }
    if (read == 0) break;
    got += read;
  }
  const DWORD error = GetLastError();
  CloseHandle(file);
  if (failed) {
    SetLastError(error);
    return std::nullopt;
  }
  bytes.resize(got);
  return bytes;
}

}  // namespace

std::wstring JudgeTimetable(const std::vector<uint8_t>& bytes, LANGID langId) {
  if (bytes.size() != kWeekScheduleBytes) return WrongSizeText(bytes.size(), langId);
  const ScheduleCheck check = CheckSchedule(ScheduleFromBytes(bytes));
  if (check.fault == ScheduleFault::kNone) return {};
  return win32::ToWide(DescribeScheduleFault(check, langId).text);
}

std::wstring JudgeHolidays(const std::vector<uint8_t>& bytes, LANGID langId) {
  HolidayError error;
  if (bytes.size() > kHolidaysFileMaxBytes) {
    error.fault = HolidayFault::kFileTooLong;
  } else {
    ParseHolidays(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error);
  }
  if (error.fault == HolidayFault::kNone) return {};
  return win32::ToWide(DescribeHolidayFileError(error, langId).text);
}

FleetSource ReadFleetSource(const FleetFile& file, const std::wstring& path) {
  const LANGID langId = GetSystemDefaultLangID();
  if (!IsFullPath(path)) return {{}, NotFullPathText(langId)};
  const bool timetable = IsTimetable(file);
  auto bytes = ReadAtMost(path, timetable ? kWeekScheduleBytes : kHolidaysFileMaxBytes);
  if (!bytes) return {{}, CannotReadText(LastErrorText(), langId)};
  std::wstring refusal = timetable ? JudgeTimetable(*bytes, langId) : JudgeHolidays(*bytes, langId);
  return {std::move(*bytes), std::move(refusal)};
}

std::wstring EncodeFleetContent(const std::vector<uint8_t>& bytes) {
  constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring text{kContentPrefix};
  for (const uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

std::optional<std::vector<uint8_t>> DecodeFleetContent(const std::wstring& text) {
  if (!text.starts_with(kContentPrefix) || (text.size() - kContentPrefix.size()) % 2 != 0) return std::nullopt;
  const auto digit = [](wchar_t c) -> int {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
  };
  std::vector<uint8_t> bytes;
  for (std::size_t i = kContentPrefix.size(); i < text.size(); i += 2) {
    const int high = digit(text[i]), low = digit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return bytes;
}

std::wstring InstallFleetFile(const std::wstring& folder, const wchar_t* name, const std::vector<uint8_t>& bytes) {
  const std::wstring target = JoinPath(folder, name);
  const std::wstring kept = target + kKeptSuffix, none = target + kNoneSuffix;
  if (win32::IsFile(target)) {
    if (!CopyFileW(target.c_str(), kept.c_str(), FALSE)) return LastErrorText();
    DeleteFileW(none.c_str());
  } else {
    const HANDLE note = CreateFileW(none.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (note == INVALID_HANDLE_VALUE) return LastErrorText();
    CloseHandle(note);
    DeleteFileW(kept.c_str());
  }
  if (!win32::ReplaceFileAtomically(target, bytes)) return LastErrorText();
  return {};
}

bool UndoFleetFile(const std::wstring& folder, const wchar_t* name) {
  const std::wstring target = JoinPath(folder, name);
  const std::wstring kept = target + kKeptSuffix, none = target + kNoneSuffix;
  if (win32::IsFile(kept)) {
    return MoveFileExW(kept.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (!win32::IsFile(none)) return false;
  DeleteFileW(target.c_str());
  return DeleteFileW(none.c_str()) != FALSE;
}

void ForgetFleetBackup(const std::wstring& folder, const wchar_t* name) {
  const std::wstring target = JoinPath(folder, name);
  DeleteFileW((target + kKeptSuffix).c_str());
  DeleteFileW((target + kNoneSuffix).c_str());
}

}  // namespace vesk::installer
