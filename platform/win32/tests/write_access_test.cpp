// Who besides the administrators can change a folder or a file, judged
// from its owner and access list. (Reading the list from a folder is left
// to the installer's test: Wine keeps no list of its own, only the Unix
// mode bits it turns one into, so only "Everyone" survives the trip.)
#include "platform/win32/write_access.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <utility>

#include "platform/win32/wide_text.h"

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

}  // namespace
}  // namespace vesk::win32
