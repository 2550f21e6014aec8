// Who besides the administrators can change a folder or a file: the
// judgement of an access list, and one read from a folder. (Wine keeps no
// access list of its own: it turns one into the Unix mode bits and back,
// so only "Everyone" survives the trip beside the owner.)
#include "platform/win32/write_access.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <utility>

#include "platform/win32/tests/win32_scratch.h"

namespace vesk::win32 {
namespace {

struct Descriptor {
  explicit Descriptor(const std::wstring& sddl) {
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd, nullptr);
  }
  ~Descriptor() { LocalFree(sd); }
  PSECURITY_DESCRIPTOR sd = nullptr;
};

TEST(WriteAccess, TheOwnerAndEntriesThatLetOthersChangeTheObjectCount) {
  const std::wstring installed = kProgramFolderSecurity;
  const std::pair<std::wstring, const wchar_t*> cases[] = {  // the list, and who else may change it
      {installed, nullptr},
      // Authenticated Users: Modify, as a folder under C:\ hands down.
      {installed + L"(A;OICI;0x1301bf;;;AU)", L"S-1-5-11"},
      // "Add a subfolder" alone is enough to plant.
      {installed + L"(A;;0x4;;;BU)", L"S-1-5-32-545"},
      // Only handed down to new files, or given to a domain's admins.
      {installed + L"(A;OICIIO;FA;;;BU)", nullptr},
      {installed + L"(A;;FA;;;S-1-5-21-1-2-3-512)", nullptr},
      {installed + L"(A;;FA;;;S-1-5-21-1-2-3-513)", L"S-1-5-21-1-2-3-513"},
      {L"O:BUD:P(A;;FA;;;BA)", L"S-1-5-32-545): owner"},
      {L"O:BA", L"everyone"},  // no access list at all
  };
  for (const auto& [sddl, who] : cases) {
    const Descriptor descriptor{sddl};
    ASSERT_NE(descriptor.sd, nullptr) << ToUtf8(sddl);
    const WriteAccess access = JudgeWriteAccess(descriptor.sd);
    EXPECT_EQ(access.verdict == WriteAccess::Verdict::kOthers, who != nullptr) << ToUtf8(sddl);
    if (who != nullptr) {
      EXPECT_NE(access.who.find(who), std::wstring::npos) << ToUtf8(access.who);
    }
  }
}

TEST(WriteAccess, AFolderIsJudgedByTheListTheSystemKeeps) {
  const testing::ScratchFolder scratch{"权限"};
  const std::wstring folder = scratch.Path("folder");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  for (const auto& [sddl, others] : {std::pair{std::wstring(kProgramFolderSecurity), false},
                                     {L"O:BAD:P(A;;FA;;;BA)(A;;FA;;;WD)", true}}) {
    const Descriptor descriptor{sddl};
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor.sd, &present, &dacl, &defaulted);
    ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    dacl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(CheckWriteAccess(folder).verdict == WriteAccess::Verdict::kOthers, others) << ToUtf8(sddl);
  }
  EXPECT_EQ(CheckWriteAccess(scratch.Path("none.dll")).verdict, WriteAccess::Verdict::kMissing);
}

}  // namespace
}  // namespace vesk::win32
