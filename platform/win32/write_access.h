#pragma once
// Who besides the administrators could change a file or a folder: write
// into it, replace or delete it, or take it over through its access list.
// The program runs with administrator rights and loads libraries and
// drivers from its own folder, and the installer copies them as the system
// account, so a place that others can change is a way into both.
#include <windows.h>

#include <string>

namespace vesk::win32 {

struct WriteAccess {
  enum class Verdict { kAdministratorsOnly, kOthers, kMissing };
  Verdict verdict = Verdict::kAdministratorsOnly;
  // For kOthers: who, as "NAME (SID)" or the SID alone, and how
  // ("owner", "may write", "no access list", or why the list was unreadable).
  std::wstring who;
};

// Counted as administrators: SYSTEM, the Administrators group, the
// installer service TrustedInstaller, a domain's built-in Administrator,
// Domain Admins and Enterprise Admins, and the user this process runs as
// when it runs with the Administrators group in force (the owner of what an
// elevated program creates). An access list that cannot be read counts as
// open to others: nothing can be vouched for then.
WriteAccess CheckWriteAccess(const std::wstring& path);
// The same judgement of a security descriptor's owner and access list.
WriteAccess JudgeWriteAccess(PSECURITY_DESCRIPTOR descriptor);

// The protected access list an installed program folder gets: owned by the
// Administrators, full control for them and SYSTEM, read and execute for
// Users, inherited by everything inside and nothing taken from the parent.
inline constexpr const wchar_t* kProgramFolderSecurity =
    L"O:BAG:SYD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

}  // namespace vesk::win32
