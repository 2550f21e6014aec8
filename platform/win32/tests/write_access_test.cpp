// Who besides the administrators can change a folder or a file, read from
// the access lists Windows keeps (Wine keeps them too, beside the files).
#include "platform/win32/write_access.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include "platform/win32/tests/win32_scratch.h"

namespace vesk::win32 {
namespace {

// Sets the owner and the protected access list an SDDL text names.
DWORD Apply(const std::wstring& path, const std::wstring& sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return GetLastError();
  }
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  PSID owner = nullptr;
  GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
  GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
  const DWORD result = SetNamedSecurityInfoW(
      const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, owner, nullptr,
      present ? dacl : nullptr, nullptr);
  LocalFree(descriptor);
  return result;
}

TEST(WriteAccess, OnlyEntriesThatLetOthersChangeTheObjectCount) {
  const std::wstring installed = kProgramFolderSecurity;
  struct Case {
    const wchar_t* added;  // to the installed program folder's list
    bool others;
    const wchar_t* who;
  };
  const Case cases[] = {
      {L"", false, L""},
      // Authenticated Users: Modify, as a folder under C:\ hands down.
      {L"(A;OICI;0x1301bf;;;AU)", true, L"S-1-5-11"},
      // "Add a subfolder" alone is enough to plant.
      {L"(A;;0x4;;;BU)", true, L"S-1-5-32-545"},
      {L"(A;;WD;;;WD)", true, L"S-1-1-0"},
      // Only handed down to new files, or given to a domain's admins.
      {L"(A;OICIIO;FA;;;BU)", false, L""},
      {L"(A;;FA;;;S-1-5-21-1-2-3-512)", false, L""},
      {L"(A;;FA;;;S-1-5-21-1-2-3-513)", true, L"S-1-5-21-1-2-3-513"},
  };
  const testing::ScratchFolder scratch{"权限"};
  for (const Case& c : cases) {
    const std::wstring folder = scratch.Path("folder");
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_EQ(Apply(folder, installed + c.added), static_cast<DWORD>(ERROR_SUCCESS)) << ToUtf8(c.added);
    const WriteAccess access = CheckWriteAccess(folder);
    EXPECT_EQ(access.verdict == WriteAccess::Verdict::kOthers, c.others) << ToUtf8(c.added);
    EXPECT_NE(access.who.find(c.who), std::wstring::npos) << ToUtf8(access.who);
  }
  EXPECT_EQ(CheckWriteAccess(scratch.Path("none.dll")).verdict, WriteAccess::Verdict::kMissing);
}

TEST(WriteAccess, AnOwnerOrAMissingListLetsOthersIn) {
  const testing::ScratchFolder scratch{"owner"};
  const std::wstring file = scratch.Path("WinRing0x64.dll");
  testing::PutFile(file, {1, 2, 3});
  ASSERT_EQ(Apply(file, L"O:BUD:P(A;;FA;;;BA)"), static_cast<DWORD>(ERROR_SUCCESS));
  WriteAccess access = CheckWriteAccess(file);
  EXPECT_EQ(access.verdict, WriteAccess::Verdict::kOthers);
  EXPECT_NE(access.who.find(L"owner"), std::wstring::npos) << ToUtf8(access.who);

  ASSERT_EQ(Apply(file, L"O:BAD:NO_ACCESS_CONTROL"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(CheckWriteAccess(file).verdict, WriteAccess::Verdict::kOthers);
}

}  // namespace
}  // namespace vesk::win32
