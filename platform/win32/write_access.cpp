#include "platform/win32/write_access.h"

#include <aclapi.h>
#include <sddl.h>

#include <array>
#include <cstring>
#include <vector>

namespace vesk::win32 {

namespace {

// Rights that change what a file holds or what a folder contains, or that
// hand the object to someone else. For a folder the first two are "add a
// file" and "add a subfolder".
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | FILE_DELETE_CHILD |
                                        WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// NT SERVICE\TrustedInstaller, which owns the system's own files.
constexpr const wchar_t* kTrustedInstaller = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Relative ids of a domain's accounts that are administrators by definition.
constexpr std::array<DWORD, 3> kDomainAdministratorRids = {DOMAIN_USER_RID_ADMIN, DOMAIN_GROUP_RID_ADMINS,
                                                           DOMAIN_GROUP_RID_ENTERPRISE_ADMINS};
constexpr DWORD kNtNonUniqueAuthority = SECURITY_NT_NON_UNIQUE;  // S-1-5-21-...

class LocalMemory {
 public:
  LocalMemory() = default;
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
  ~LocalMemory() {
    if (memory_ != nullptr) LocalFree(memory_);
  }
  PSECURITY_DESCRIPTOR* Out() { return &memory_; }
  PSECURITY_DESCRIPTOR Get() const { return memory_; }

 private:
  PSECURITY_DESCRIPTOR memory_ = nullptr;
};

std::wstring SidText(PSID sid) {
  LPWSTR text = nullptr;
  std::wstring sidText = L"?";
  if (ConvertSidToStringSidW(sid, &text)) {
    sidText = text;
    LocalFree(text);
  }
  wchar_t name[256] = L"";
  wchar_t domain[256] = L"";
  DWORD nameLength = 256;
  DWORD domainLength = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use) || name[0] == L'\0') {
    return sidText;
  }
  const std::wstring account = domain[0] != L'\0' ? std::wstring(domain) + L"\\" + name : std::wstring(name);
  return account + L" (" + sidText + L")";
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; }

bool IsDomainAdministrator(PSID sid) {
  const PSID_IDENTIFIER_AUTHORITY authority = GetSidIdentifierAuthority(sid);
  const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  if (std::memcmp(authority, &nt, sizeof nt) != 0) return false;
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  if (count < 2 || *GetSidSubAuthority(sid, 0) != kNtNonUniqueAuthority) return false;
  const DWORD rid = *GetSidSubAuthority(sid, count - 1);
  for (const DWORD admin : kDomainAdministratorRids) {
    if (rid == admin) return true;
  }
  return false;
}

bool IsTrustedInstaller(PSID sid) {
  PSID trusted = nullptr;
  if (!ConvertStringSidToSidW(kTrustedInstaller, &trusted)) return false;
  const bool same = EqualSid(sid, trusted) != FALSE;
  LocalFree(trusted);
  return same;
}

// The user of this process, when it runs with the Administrators group in
// force; empty otherwise.
std::vector<BYTE> ElevatedOwnUser() {
  std::array<BYTE, SECURITY_MAX_SID_SIZE> admins{};
  DWORD size = static_cast<DWORD>(admins.size());
  BOOL member = FALSE;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins.data(), &size) ||
      !CheckTokenMembership(nullptr, admins.data(), &member) || !member) {
    return {};
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::vector<BYTE> user(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE);
  DWORD got = 0;
  const BOOL ok = GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &got);
  CloseHandle(token);
  if (!ok) return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  return std::vector<BYTE>(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
}

bool IsAdministrator(PSID sid, const std::vector<BYTE>& ownUser) {
  if (IsWellKnown(sid, WinLocalSystemSid) || IsWellKnown(sid, WinBuiltinAdministratorsSid)) return true;
  // An ACE for CREATOR OWNER only says what a creator gets in new objects;
  // no one's rights come from it on the object itself.
  if (IsWellKnown(sid, WinCreatorOwnerSid)) return true;
  if (!ownUser.empty() && EqualSid(sid, const_cast<BYTE*>(ownUser.data()))) return true;
  return IsTrustedInstaller(sid) || IsDomainAdministrator(sid);
}

WriteAccess Others(std::wstring who) { return {WriteAccess::Verdict::kOthers, std::move(who)}; }

}  // namespace

WriteAccess CheckWriteAccess(const std::wstring& path) {
  LocalMemory descriptor;
  const DWORD error =
      GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, nullptr, nullptr, descriptor.Out());
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {WriteAccess::Verdict::kMissing, {}};
  if (error != ERROR_SUCCESS) return Others(L"unreadable access list, error " + std::to_wstring(error));
  return JudgeWriteAccess(descriptor.Get());
}

WriteAccess JudgeWriteAccess(PSECURITY_DESCRIPTOR descriptor) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
    return Others(L"unreadable access list, error " + std::to_wstring(GetLastError()));
  }
  if (!present || dacl == nullptr) return Others(L"everyone: no access list");

  const std::vector<BYTE> ownUser = ElevatedOwnUser();
  // The owner may rewrite the access list whatever it says.
  if (owner != nullptr && !IsAdministrator(owner, ownUser)) return Others(SidText(owner) + L": owner");
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    // Deny entries are not weighed: a list that needs them to keep others
    // out is not one this program sets up or relies on.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    const PSID sid = &allowed->SidStart;
    if ((allowed->Mask & kChangingRights) != 0 && !IsAdministrator(sid, ownUser)) {
      return Others(SidText(sid) + L": may write");
    }
  }
  return {};
}

}  // namespace vesk::win32
