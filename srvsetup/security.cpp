// The administrator check and the directory access lists the installer sets
// up for the web server's anonymous account and for the administrators.
#include <windows.h>

#include <string_view>

#include "dirrights.h"
#include "exports.h"
#include "handles.h"

using setupcore::AllocatedSid;
using setupcore::Handle;
using setupcore::LocalMemory;
using setupcore::RegKey;

namespace {

constexpr std::size_t kAccountChars = 251;
constexpr DWORD kSidBytes = 1024;
constexpr DWORD kDomainChars = 250;
constexpr DWORD kDescriptorBytes = 65556;  // a self-relative header and the largest list
constexpr DWORD kAnonymousNameBytes = 1024;
constexpr DWORD kAceHeaderAndMask = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);

constexpr char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters";

bool FindAccountSid(const char* account, BYTE (&sid)[kSidBytes]) {
  DWORD sid_size = kSidBytes;
  char domain[kDomainChars];
  DWORD domain_size = kDomainChars;
  SID_NAME_USE use;
  return LookupAccountNameA(nullptr, account, sid, &sid_size, domain, &domain_size, &use) != FALSE;
}

// The accounts the kit names itself go by their well-known SIDs: their names
// are translated on every Windows that isn't English ("Administrateurs",
// "Jeder"), and a lookup of the English name fails there.
struct WellKnownAccount {
  SID_IDENTIFIER_AUTHORITY authority;
  BYTE count;
  DWORD first, second;
};
constexpr WellKnownAccount kEveryone{SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0};
constexpr WellKnownAccount kAdministrators{SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                           DOMAIN_ALIAS_RID_ADMINS};
constexpr WellKnownAccount kLocalSystem{SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID, 0};

AllocatedSid BuildSid(const WellKnownAccount& account) {
  SID_IDENTIFIER_AUTHORITY authority = account.authority;
  AllocatedSid sid;
  if (!AllocateAndInitializeSid(&authority, account.count, account.first, account.second, 0, 0, 0, 0, 0, 0,
                                sid.put()))
    sid.reset();
  return sid;
}

// An access list may hold entries of other layouts; only an entry long
// enough to hold the whole SID after its mask is compared, so the
// comparison never reads past the entry.
bool AceNamesSid(const ACE_HEADER* ace, PSID sid) {
  if (ace->AceSize < kAceHeaderAndMask + GetLengthSid(sid)) return false;
  auto* ace_sid = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(ace) + kAceHeaderAndMask);
  return EqualSid(ace_sid, sid) != FALSE;
}

// Adds one access-allowed entry for the account's SID at the end of the
// path's list and marks the account's first entry as inherited by files. The
// object is only written at the very end, so any failure leaves it as it was.
// The object's owner is left as it is, but without the administrators' SID
// no grant is made at all.
int GrantAccountAccess(const char* path, PSID sid, PSID administrators, DWORD mask) {
  if (!sid || !administrators) return 0;

  alignas(DWORD) BYTE old_descriptor[kDescriptorBytes];
  DWORD needed = 0;
  if (!GetFileSecurityA(path, DACL_SECURITY_INFORMATION, old_descriptor, sizeof old_descriptor, &needed))
    return 0;

  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return 0;

  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL old_acl = nullptr;
  if (!GetSecurityDescriptorDacl(old_descriptor, &present, &old_acl, &defaulted)) return 0;
  // Without a list every access is allowed already; there is nothing to add to.
  if (!present || !old_acl) return 0;

  ACL_SIZE_INFORMATION size{};
  if (!GetAclInformation(old_acl, &size, sizeof size, AclSizeInformation)) return 0;

  const DWORD acl_bytes = size.AclBytesInUse + kAceHeaderAndMask + GetLengthSid(sid);
  LocalMemory memory(LocalAlloc(LPTR, acl_bytes));
  auto* acl = static_cast<PACL>(memory.get());
  if (!acl || !InitializeAcl(acl, acl_bytes, ACL_REVISION)) return 0;

  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(old_acl, i, &ace)) return 0;
    if (!AddAce(acl, ACL_REVISION, MAXDWORD, ace, static_cast<ACE_HEADER*>(ace)->AceSize)) return 0;
  }
  if (!AddAccessAllowedAce(acl, ACL_REVISION, mask, sid)) return 0;

  // The entry appended above matches at the latest, so an account that
  // already had an entry gets its old one marked and the new one unmarked.
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(acl, i, &ace)) return 0;
    auto* header = static_cast<ACE_HEADER*>(ace);
    if (AceNamesSid(header, sid)) {
      header->AceFlags = OBJECT_INHERIT_ACE;
      break;
    }
  }

  if (!SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) return 0;
  return SetFileSecurityA(path, DACL_SECURITY_INFORMATION, &descriptor) ? 1 : 0;
}

// The web server's anonymous account is known only by the name it stored.
int GrantNamedAccountAccess(const char* path, const char* account, PSID administrators, DWORD mask) {
  // Longer names can only come from the registry value, and no account has
  // one; they are refused before anything is asked of the system.
  if (std::string_view(account).size() > kAccountChars) return 0;
  alignas(DWORD) BYTE sid[kSidBytes];
  if (!FindAccountSid(account, sid)) return 0;
  return GrantAccountAccess(path, sid, administrators, mask);
}

// The web server's anonymous account, or an empty name when it can't be read.
void ReadAnonymousUserName(char (&name)[kAnonymousNameBytes]) {
  name[0] = '\0';
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParametersKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return;
  DWORD size = sizeof name;
  if (RegQueryValueExA(key.get(), "AnonymousUserName", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size) !=
      ERROR_SUCCESS) {
    name[0] = '\0';
    return;
  }
  // A value stored without its terminator gets one, at the latest in the
  // buffer's last byte.
  name[size < sizeof name ? size : sizeof name - 1] = '\0';
}

}  // namespace

extern "C" int __cdecl RunningAsAdministrator(void) {
  Handle token;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, token.put())) {
    if (GetLastError() != ERROR_NO_TOKEN) return 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return 0;
  }

  DWORD size = 0;
  if (GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &size) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return 0;
  LocalMemory buffer(LocalAlloc(LMEM_FIXED, size));
  if (!buffer || !GetTokenInformation(token.get(), TokenGroups, buffer.get(), size, &size)) return 0;

  const AllocatedSid administrators = BuildSid(kAdministrators);
  if (!administrators) return 0;

  // A group counts whatever its attributes: present but disabled or
  // deny-only is still membership.
  const auto* groups = static_cast<const TOKEN_GROUPS*>(buffer.get());
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    if (EqualSid(groups->Groups[i].Sid, administrators.get())) return 1;
  return 0;
}

extern "C" int __cdecl ClearAccessRights(const char* path) {
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return 0;
  LocalMemory memory(LocalAlloc(LPTR, sizeof(ACL)));
  auto* acl = static_cast<PACL>(memory.get());
  if (!acl || !InitializeAcl(acl, sizeof(ACL), ACL_REVISION)) return 0;
  if (!SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) return 0;
  return SetFileSecurityA(path, DACL_SECURITY_INFORMATION, &descriptor) ? 1 : 0;
}

extern "C" int __cdecl NTSetDirAccess(const char* path, int read, int write, int execute, int del, int full,
                                      int anonymous, int everyone) {
  if (srvsetup::is_drive_root(path)) return 0;

  char anonymous_name[kAnonymousNameBytes];
  ReadAnonymousUserName(anonymous_name);
  const DWORD mask = srvsetup::access_mask(read, write, execute, del, full);

  const AllocatedSid administrators = BuildSid(kAdministrators);
  // Each grant stands alone: one that fails doesn't keep the others back.
  if (anonymous == 1) {
    GrantNamedAccountAccess(path, anonymous_name, administrators.get(), mask);
    if (everyone != 0) GrantAccountAccess(path, BuildSid(kEveryone).get(), administrators.get(), mask);
  }
  GrantAccountAccess(path, administrators.get(), administrators.get(), GENERIC_ALL);
  GrantAccountAccess(path, BuildSid(kLocalSystem).get(), administrators.get(), GENERIC_ALL);
  return 1;
}
