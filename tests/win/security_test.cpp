// The administrator check and the directory access lists, through the built
// DLL. Wine keeps no access lists on files (only Unix mode bits), so the
// DLL's GetFileSecurityA/SetFileSecurityA imports are pointed at a small
// descriptor store kept here, and each test reads back exactly what the DLL
// wrote. Token faults Wine can't produce are made at GetTokenInformation.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <ostream>
#include <string>
#include <vector>

#include "handles.h"
#include "harness.h"

namespace {

using Bytes = std::vector<BYTE>;

template <typename F>
const void* fn(F* f) {
  return reinterpret_cast<const void*>(f);
}

Bytes sid_of(const std::string& account) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof sid;
  char domain[256];
  DWORD domain_size = sizeof domain;
  SID_NAME_USE use;
  if (!LookupAccountNameA(nullptr, account.c_str(), sid, &sid_size, domain, &domain_size, &use)) return {};
  return Bytes(sid, sid + GetLengthSid(sid));
}

std::string sid_text(const Bytes& sid) {
  char* text = nullptr;
  if (sid.empty() || !ConvertSidToStringSidA(const_cast<BYTE*>(sid.data()), &text)) return "(no SID)";
  std::string out = text;
  LocalFree(text);
  return out;
}

std::string current_user() {
  char name[256];
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) ? name : "";
}

// One access-list entry, read back field by field.
struct Ace {
  BYTE type;
  BYTE flags;
  DWORD mask;
  Bytes sid;
  bool operator==(const Ace& o) const {
    return type == o.type && flags == o.flags && mask == o.mask && sid == o.sid;
  }
};

void PrintTo(const Ace& a, std::ostream* os) {
  *os << "{type " << int(a.type) << ", flags " << int(a.flags) << ", mask 0x" << std::hex << a.mask << std::dec
      << ", " << sid_text(a.sid) << "}";
}

Ace allowed(const std::string& account, DWORD mask, BYTE flags) {
  return {ACCESS_ALLOWED_ACE_TYPE, flags, mask, sid_of(account)};
}

Bytes self_relative(PSECURITY_DESCRIPTOR descriptor) {
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  if (control & SE_SELF_RELATIVE) {
    const auto* bytes = static_cast<const BYTE*>(descriptor);
    return Bytes(bytes, bytes + GetSecurityDescriptorLength(descriptor));
  }
  DWORD size = 0;
  MakeSelfRelativeSD(descriptor, nullptr, &size);
  Bytes out(size);
  if (!MakeSelfRelativeSD(descriptor, out.data(), &size)) ADD_FAILURE() << "MakeSelfRelativeSD: " << GetLastError();
  return out;
}

// A self-relative descriptor whose DACL holds exactly these entries.
Bytes descriptor(const std::vector<Ace>& aces) {
  DWORD size = sizeof(ACL);
  for (const Ace& a : aces) size += 8 + static_cast<DWORD>(a.sid.size());
  std::vector<DWORD> acl_words((size + 3) / 4);
  auto* acl = reinterpret_cast<PACL>(acl_words.data());
  EXPECT_TRUE(InitializeAcl(acl, size, ACL_REVISION));
  for (const Ace& a : aces) {
    const WORD ace_size = static_cast<WORD>(8 + a.sid.size());
    std::vector<DWORD> ace_words((ace_size + 3) / 4);
    auto* raw = reinterpret_cast<BYTE*>(ace_words.data());
    raw[0] = a.type;
    raw[1] = a.flags;
    std::memcpy(raw + 2, &ace_size, 2);
    std::memcpy(raw + 4, &a.mask, 4);
    std::memcpy(raw + 8, a.sid.data(), a.sid.size());
    EXPECT_TRUE(AddAce(acl, ACL_REVISION, MAXDWORD, raw, ace_size));
  }
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  return self_relative(&sd);
}

enum class NoList { Absent, Null };

// A descriptor without a DACL, or with a null one (everyone allowed).
Bytes descriptor(NoList kind) {
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  if (kind == NoList::Null) SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
  return self_relative(&sd);
}

PACL dacl_of(const Bytes& descriptor) {
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  GetSecurityDescriptorDacl(const_cast<BYTE*>(descriptor.data()), &present, &acl, &defaulted);
  return present ? acl : nullptr;
}

std::vector<Ace> entries(const Bytes& descriptor) {
  std::vector<Ace> out;
  const PACL acl = dacl_of(descriptor);
  if (!acl) {
    ADD_FAILURE() << "descriptor has no DACL";
    return out;
  }
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(acl, i, &ace)) break;
    const auto* raw = static_cast<const BYTE*>(ace);
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    DWORD mask;
    std::memcpy(&mask, raw + 4, 4);
    out.push_back({header->AceType, header->AceFlags, mask, Bytes(raw + 8, raw + header->AceSize)});
  }
  return out;
}

// ---- The descriptor store behind the DLL's file-security imports ----------

struct Write {
  std::string path;
  SECURITY_INFORMATION info;
};

struct Store {
  std::map<std::string, Bytes> objects;
  std::set<std::string> read_only;  // read as usual, writes refused
  std::vector<SECURITY_INFORMATION> reads;
  std::vector<Write> writes;
};
Store g_store;

BOOL WINAPI StoreGetFileSecurityA(LPCSTR path, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR out, DWORD size,
                                  LPDWORD needed) {
  g_store.reads.push_back(info);
  const auto it = g_store.objects.find(path);
  if (it == g_store.objects.end()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  *needed = static_cast<DWORD>(it->second.size());
  if (size < *needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(out, it->second.data(), it->second.size());
  return TRUE;
}

BOOL WINAPI StoreSetFileSecurityA(LPCSTR path, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR descriptor) {
  const auto it = g_store.objects.find(path);
  if (it == g_store.objects.end()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (g_store.read_only.count(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  g_store.writes.push_back({path, info});
  it->second = self_relative(descriptor);
  return TRUE;
}

std::vector<std::string> g_lookups;

// A French system knows its built-in accounts by their French names only.
struct LocalName {
  const char* english;
  const char* french;
};
constexpr LocalName kFrenchNames[] = {
    {"Administrators", "Administrateurs"}, {"EVERYONE", "Tout le monde"}, {"SYSTEM", "Syst\xE8me"}};
bool g_french = false;

bool english_builtin(const std::string& name) {
  for (const LocalName& n : kFrenchNames)
    if (_stricmp(n.english, name.c_str()) == 0) return true;
  return false;
}

BOOL WINAPI RecordingLookupAccountNameA(LPCSTR system, LPCSTR account, PSID sid, LPDWORD sid_size, LPSTR domain,
                                        LPDWORD domain_size, PSID_NAME_USE use) {
  g_lookups.push_back(account);
  if (g_french) {
    if (english_builtin(account)) {
      SetLastError(ERROR_NONE_MAPPED);
      return FALSE;
    }
    for (const LocalName& n : kFrenchNames)
      if (_stricmp(n.french, account) == 0) account = n.english;
  }
  return LookupAccountNameA(system, account, sid, sid_size, domain, domain_size, use);
}

LONG WINAPI MissingRegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) { return ERROR_FILE_NOT_FOUND; }

// ---- The web server's anonymous account name -------------------------------

constexpr char kServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC";
constexpr char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters";
constexpr char kAnonymousValue[] = "AnonymousUserName";

// The value is shared by every test in the prefix: whatever it held is put
// back, and keys made here go again if nothing else was put in them.
class AnonymousUserName {
 public:
  AnonymousUserName() {
    made_service_ = create(kServiceKey, service_.put());
    made_parameters_ = create(kParametersKey, key_.put());
    DWORD size = 0;
    if (RegQueryValueExA(key_.get(), kAnonymousValue, nullptr, &old_type_, nullptr, &size) == ERROR_SUCCESS) {
      old_.resize(size);
      had_value_ = RegQueryValueExA(key_.get(), kAnonymousValue, nullptr, &old_type_, old_.data(), &size) ==
                   ERROR_SUCCESS;
      old_.resize(size);
    }
  }
  ~AnonymousUserName() {
    if (had_value_)
      RegSetValueExA(key_.get(), kAnonymousValue, 0, old_type_, old_.data(), static_cast<DWORD>(old_.size()));
    else
      RegDeleteValueA(key_.get(), kAnonymousValue);
    key_.reset();
    service_.reset();
    if (made_parameters_) delete_if_empty(kParametersKey);
    if (made_service_) delete_if_empty(kServiceKey);
  }
  AnonymousUserName(const AnonymousUserName&) = delete;
  AnonymousUserName& operator=(const AnonymousUserName&) = delete;

  void set(const std::string& name) {
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key_.get(), kAnonymousValue, 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(name.c_str()),
                                            static_cast<DWORD>(name.size() + 1)));
  }
  void remove() { RegDeleteValueA(key_.get(), kAnonymousValue); }

 private:
  static bool create(const char* path, HKEY* key) {
    DWORD disposition = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key,
                                             &disposition))
        << path;
    return disposition == REG_CREATED_NEW_KEY;
  }
  static void delete_if_empty(const char* path) {
    setupcore::RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys != 0 || values != 0)
      return;
    key.reset();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
  }

  setupcore::RegKey service_;
  setupcore::RegKey key_;
  bool made_service_ = false;
  bool made_parameters_ = false;
  bool had_value_ = false;
  DWORD old_type_ = REG_NONE;
  Bytes old_;
};

// ---- Grants against the store ----------------------------------------------

constexpr DWORD kRead = 0xA0000000;  // generic read with generic execute

class DirAccess : public testing::Test {
 protected:
  void SetUp() override {
    g_store = {};
    g_store.reads.reserve(4096);
    g_lookups.clear();
    g_lookups.reserve(4096);
    g_french = false;
    ASSERT_TRUE(get_.ok() && set_.ok() && lookup_.ok()) << "file-security or lookup import not found";
    user_ = current_user();
    for (const std::string name : {user_, std::string("EVERYONE"), std::string("Administrators"),
                                   std::string("SYSTEM")})
      ASSERT_FALSE(sid_of(name).empty()) << name << " must resolve";
    anonymous_.set(user_);
  }

  std::string object(const Bytes& descriptor) {
    const std::string path = "C:\\setupkit\\" + harness::unique_name("dir");
    g_store.objects[path] = descriptor;
    return path;
  }
  std::vector<Ace> dacl(const std::string& path) { return entries(g_store.objects.at(path)); }

  // Reads ask for the DACL alone, and writes carry it alone: the object's
  // owner, group and audit list stay as they are.
  void expect_dacl_only() {
    for (SECURITY_INFORMATION info : g_store.reads) EXPECT_EQ(DWORD(DACL_SECURITY_INFORMATION), info);
    for (const Write& w : g_store.writes) EXPECT_EQ(DWORD(DACL_SECURITY_INFORMATION), w.info) << w.path;
  }

  std::vector<Ace> fixed_grants(BYTE flags = 1) {
    return {allowed("Administrators", GENERIC_ALL, flags), allowed("SYSTEM", GENERIC_ALL, flags)};
  }

  bool looked_up(const std::string& name) const {
    for (const std::string& n : g_lookups)
      if (n == name) return true;
    return false;
  }

  harness::Dll srv{"srvsetup.dll"};
  harness::ImportPatch get_{srv.module(), "ADVAPI32.dll", "GetFileSecurityA", fn(&StoreGetFileSecurityA)};
  harness::ImportPatch set_{srv.module(), "ADVAPI32.dll", "SetFileSecurityA", fn(&StoreSetFileSecurityA)};
  harness::ImportPatch lookup_{srv.module(), "ADVAPI32.dll", "LookupAccountNameA", fn(&RecordingLookupAccountNameA)};
  AnonymousUserName anonymous_;
  std::string user_;
};

TEST_F(DirAccess, ClearThenGrantLeavesFourMarkedEntriesInOrder) {
  const std::string path = object(descriptor({allowed("EVERYONE", GENERIC_ALL, CONTAINER_INHERIT_ACE)}));

  EXPECT_EQ(1, srv("ClearAccessRights", path.c_str()));
  ASSERT_EQ(1u, g_store.writes.size());
  const PACL cleared = dacl_of(g_store.objects[path]);
  ASSERT_NE(nullptr, cleared) << "an empty list, not a missing one";
  EXPECT_EQ(0, cleared->AceCount);
  EXPECT_EQ(ACL_REVISION, cleared->AclRevision);
  EXPECT_EQ(sizeof(ACL), cleared->AclSize);

  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 1, 0, 0, 0, 0, 1, 1));
  std::vector<Ace> granted = {allowed(user_, kRead, 1), allowed("EVERYONE", kRead, 1)};
  for (const Ace& a : fixed_grants()) granted.push_back(a);
  EXPECT_EQ(granted, dacl(path));
  EXPECT_EQ(5u, g_store.writes.size()) << "one write per grant";

  // Grants accumulate: each account's first entry is marked again and the
  // new ones are appended unmarked.
  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 1, 0, 0, 0, 0, 1, 1));
  std::vector<Ace> twice = granted;
  for (Ace a : granted) {
    a.flags = 0;
    twice.push_back(a);
  }
  EXPECT_EQ(twice, dacl(path));
  expect_dacl_only();
}

// The accounts the kit names itself are taken by SID, so a system that knows
// them only by translated names still gets all four entries.
TEST_F(DirAccess, LocalizedAccountNamesStillGetTheFourEntries) {
  const std::string path = object(descriptor({allowed("EVERYONE", GENERIC_ALL, 0)}));
  g_french = true;

  EXPECT_EQ(1, srv("ClearAccessRights", path.c_str()));
  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 1, 0, 1, 0, 0, 1, 1));

  std::vector<Ace> expected = {allowed(user_, kRead, 1), allowed("EVERYONE", kRead, 1)};
  for (const Ace& a : fixed_grants()) expected.push_back(a);
  EXPECT_EQ(expected, dacl(path));
  for (const std::string& name : g_lookups) EXPECT_FALSE(english_builtin(name)) << "looked up " << name;
  EXPECT_EQ(std::vector<std::string>{user_}, g_lookups) << "only the anonymous account goes by name";
}

TEST_F(DirAccess, KeepsOldEntriesAndMarksTheAccountsFirstEntry) {
  const Ace deny_everyone{ACCESS_DENIED_ACE_TYPE, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, GENERIC_WRITE,
                          sid_of("EVERYONE")};
  const std::string path = object(
      descriptor({deny_everyone, allowed("Administrators", GENERIC_READ, CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE)}));

  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 0, 0, 0, 0, 0, 0, 0));

  const std::vector<Ace> expected = {deny_everyone, allowed("Administrators", GENERIC_READ, 1),
                                     allowed("Administrators", GENERIC_ALL, 0), allowed("SYSTEM", GENERIC_ALL, 1)};
  EXPECT_EQ(expected, dacl(path));
  expect_dacl_only();
}

struct ChoiceCase {
  int read, write, execute, del, full, anonymous, everyone;
  DWORD mask;
  bool anonymous_grant, everyone_grant;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) {
  *os << c.read << ',' << c.write << ',' << c.execute << ',' << c.del << ',' << c.full << ',' << c.anonymous << ','
      << c.everyone;
}

class GrantChoices : public DirAccess, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(GrantChoices, SelectTheMaskAndTheAccounts) {
  const ChoiceCase& c = GetParam();
  const std::string path = object(descriptor(std::vector<Ace>{}));

  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), c.read, c.write, c.execute, c.del, c.full, c.anonymous,
                   c.everyone));

  std::vector<Ace> expected;
  if (c.anonymous_grant) expected.push_back(allowed(user_, c.mask, 1));
  if (c.everyone_grant) expected.push_back(allowed("EVERYONE", c.mask, 1));
  for (const Ace& a : fixed_grants()) expected.push_back(a);
  EXPECT_EQ(expected, dacl(path));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GrantChoices,
    testing::Values(
        ChoiceCase{1, 0, 0, 0, 0, 1, 1, kRead, true, true},
        // A choice counts only when it is 1; the "everyone" choice for anything but 0.
        ChoiceCase{2, 0, 0, 0, 0, 1, 2, 0, true, true}, ChoiceCase{0, 1, 1, 1, 0, 1, -1, 0x60010000, true, true},
        ChoiceCase{-1, 2, 1, 2, 2, 1, 0, GENERIC_EXECUTE, true, false},
        // No right chosen: the entries are still made, granting nothing.
        ChoiceCase{0, 0, 0, 0, 0, 1, 0, 0, true, false},
        // Full control hides the other four choices.
        ChoiceCase{2, -1, 1, 1, 1, 1, 1, GENERIC_ALL, true, true},
        ChoiceCase{0, 0, 0, 0, 1, 1, 0, GENERIC_ALL, true, false},
        // Without the anonymous choice, only the fixed grants are made.
        ChoiceCase{1, 1, 1, 1, 1, 0, 1, 0, false, false}, ChoiceCase{1, 0, 0, 0, 0, 2, 1, 0, false, false},
        ChoiceCase{1, 0, 0, 0, 0, -1, 1, 0, false, false}));

struct RootCase {
  const char* path;
  int result;
};

void PrintTo(const RootCase& c, std::ostream* os) { *os << '"' << c.path << '"'; }

class DriveRoot : public DirAccess, public testing::WithParamInterface<RootCase> {};

TEST_P(DriveRoot, OnlyABareRootIsRefused) {
  g_store.objects[GetParam().path] = descriptor(std::vector<Ace>{});

  EXPECT_EQ(GetParam().result, srv("NTSetDirAccess", GetParam().path, 1, 1, 1, 1, 1, 1, 1));

  if (GetParam().result == 0) {
    EXPECT_TRUE(g_store.reads.empty() && g_store.writes.empty()) << "a root is neither read nor written";
    EXPECT_TRUE(g_lookups.empty());
  } else {
    std::vector<Ace> expected = {allowed(user_, GENERIC_ALL, 1), allowed("EVERYONE", GENERIC_ALL, 1)};
    for (const Ace& a : fixed_grants()) expected.push_back(a);
    EXPECT_EQ(expected, dacl(GetParam().path));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, DriveRoot,
                         testing::Values(RootCase{"C:\\", 0}, RootCase{"q:\\", 0}, RootCase{"C:", 1},
                                         RootCase{"C:\\x", 1}, RootCase{"C", 1}, RootCase{"", 1}));

TEST_F(DirAccess, MissingPathFailsEveryGrantButNotTheCall) {
  const std::string missing = "C:\\setupkit\\" + harness::unique_name("missing");

  EXPECT_EQ(1, srv("NTSetDirAccess", missing.c_str(), 1, 1, 1, 1, 1, 1, 1));
  EXPECT_EQ(4u, g_store.reads.size()) << "each of the four grants still tries";
  EXPECT_TRUE(g_store.writes.empty());

  EXPECT_EQ(0, srv("ClearAccessRights", missing.c_str()));
}

TEST_F(DirAccess, RefusedWriteFailsEveryGrantButNotTheCall) {
  const Bytes original = descriptor({allowed("SYSTEM", GENERIC_READ, 0)});
  const std::string path = object(original);
  g_store.read_only.insert(path);

  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 1, 1, 1, 1, 1, 1, 1));
  EXPECT_EQ(4u, g_store.reads.size());
  EXPECT_EQ(original, g_store.objects[path]);
  EXPECT_EQ(0, srv("ClearAccessRights", path.c_str()));
}

class WithoutList : public DirAccess, public testing::WithParamInterface<NoList> {};

TEST_P(WithoutList, NothingIsWrittenAndTheCallSucceeds) {
  const Bytes original = descriptor(GetParam());
  const std::string path = object(original);

  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 1, 1, 1, 1, 1, 1, 1));
  EXPECT_EQ(4u, g_store.reads.size());
  EXPECT_TRUE(g_store.writes.empty());
  EXPECT_EQ(original, g_store.objects[path]);
}

INSTANTIATE_TEST_SUITE_P(Cases, WithoutList, testing::Values(NoList::Absent, NoList::Null));

// A list can't grow past 64 KB: the grant that still fits is made in full,
// the next leaves the object as it was.
TEST_F(DirAccess, NearlyFullListTakesOnlyTheGrantThatFits) {
  const Ace system_read = allowed("SYSTEM", GENERIC_READ, 0);
  const std::size_t count = (0xFFFF - sizeof(ACL) - (8 + sid_of("Administrators").size())) / (8 + system_read.sid.size());
  const std::string path = object(descriptor(std::vector<Ace>(count, system_read)));

  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 0, 0, 0, 0, 0, 0, 0));
  ASSERT_EQ(1u, g_store.writes.size()) << "the Administrators grant fits, the SYSTEM one does not";
  const std::vector<Ace> after = dacl(path);
  ASSERT_EQ(count + 1, after.size());
  EXPECT_EQ(system_read, after.front()) << "the failed SYSTEM grant marked nothing";
  EXPECT_EQ(allowed("Administrators", GENERIC_ALL, 1), after.back());
}

// The new lists are freed on the paths that fail after taking them: a list
// too long to grow, a refused write, and the cleared list of a missing path.
TEST_F(DirAccess, ListsAreFreedOnFailingPaths) {
  const Ace system_read = allowed("SYSTEM", GENERIC_READ, 0);
  const std::size_t no_room = (0xFFFF - sizeof(ACL)) / (8 + system_read.sid.size());
  const std::string full = object(descriptor(std::vector<Ace>(no_room, system_read)));
  const std::string read_only = object(descriptor(std::vector<Ace>{}));
  g_store.read_only.insert(read_only);
  const std::string missing = "C:\\setupkit\\" + harness::unique_name("missing");
  const auto round = [&] {
    srv("NTSetDirAccess", full.c_str(), 1, 1, 1, 1, 1, 1, 1);
    srv("NTSetDirAccess", read_only.c_str(), 1, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(0, srv("ClearAccessRights", read_only.c_str()));
    EXPECT_EQ(0, srv("ClearAccessRights", missing.c_str()));
  };

  round();
  const SIZE_T heap = harness::heap_in_use();
  for (int i = 0; i < 50; ++i) round();
  EXPECT_EQ(heap, harness::heap_in_use());
  EXPECT_TRUE(g_store.writes.empty());
}

class AnonymousNameLength : public DirAccess, public testing::WithParamInterface<std::size_t> {};

TEST_P(AnonymousNameLength, LongerThan251IsRefusedUnaskedAndTheOtherGrantsGoOn) {
  const std::string name(GetParam(), 'a');
  anonymous_.set(name);
  const std::string path = object(descriptor(std::vector<Ace>{}));

  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 1, 0, 0, 0, 0, 1, 1));

  EXPECT_EQ(GetParam() <= 251, looked_up(name));
  std::vector<Ace> expected = {allowed("EVERYONE", kRead, 1)};
  for (const Ace& a : fixed_grants()) expected.push_back(a);
  EXPECT_EQ(expected, dacl(path));
}

INSTANTIATE_TEST_SUITE_P(Cases, AnonymousNameLength, testing::Values(251u, 252u, 300u));

enum class Unreadable { ValueMissing, KeyWontOpen, ValueTooLong };

void PrintTo(Unreadable u, std::ostream* os) {
  *os << (u == Unreadable::ValueMissing ? "value missing" : u == Unreadable::KeyWontOpen ? "key won't open"
                                                                                          : "value too long");
}

class UnreadableAnonymousName : public DirAccess, public testing::WithParamInterface<Unreadable> {};

TEST_P(UnreadableAnonymousName, GrantsToTheEmptyNameAndGoesOn) {
  std::optional<harness::ImportPatch> missing_key;
  switch (GetParam()) {
    case Unreadable::ValueMissing:
      anonymous_.remove();
      break;
    case Unreadable::KeyWontOpen:
      missing_key.emplace(srv.module(), "ADVAPI32.dll", "RegOpenKeyExA", fn(&MissingRegOpenKeyExA));
      ASSERT_TRUE(missing_key->ok());
      break;
    case Unreadable::ValueTooLong:
      anonymous_.set(std::string(1500, 'b'));
      break;
  }
  const std::string path = object(descriptor(std::vector<Ace>{}));

  EXPECT_EQ(1, srv("NTSetDirAccess", path.c_str(), 0, 1, 0, 0, 0, 1, 1));

  ASSERT_FALSE(g_lookups.empty());
  EXPECT_EQ("", g_lookups.front()) << "the anonymous grant goes to the empty name";
  std::vector<Ace> expected;
  const Bytes empty_name_sid = sid_of("");
  if (!empty_name_sid.empty()) expected.push_back({ACCESS_ALLOWED_ACE_TYPE, 1, GENERIC_WRITE, empty_name_sid});
  expected.push_back(allowed("EVERYONE", GENERIC_WRITE, 1));
  for (const Ace& a : fixed_grants()) expected.push_back(a);
  EXPECT_EQ(expected, dacl(path));
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableAnonymousName,
                         testing::Values(Unreadable::ValueMissing, Unreadable::KeyWontOpen, Unreadable::ValueTooLong));

// ---- Through Wine's own file security ----------------------------------------

// Wine keeps an access list only as the Unix mode, so the lasting effect of
// clearing is a directory with mode 000. cleared_mode.sh makes the
// directory, runs this with its Windows path and checks the mode.
TEST(RealWine, ClearsTheDirectoryTheModeCheckNames) {
  const char* dir = std::getenv("SETUPKIT_CLEARED_DIR");
  if (!dir) GTEST_SKIP() << "run by cleared_mode.sh";
  harness::Dll srv("srvsetup.dll");
  EXPECT_EQ(1, srv("ClearAccessRights", dir));
}

TEST(RealWine, AdministratorAndMissingPath) {
  harness::Dll srv("srvsetup.dll");
  EXPECT_EQ(1, srv("RunningAsAdministrator"));
  const std::string missing = "Z:\\setupkit-no-such-dir\\" + harness::unique_name("missing");
  EXPECT_EQ(0, srv("ClearAccessRights", missing.c_str()));
  EXPECT_EQ(1, srv("NTSetDirAccess", missing.c_str(), 1, 1, 1, 1, 1, 1, 1));
}

}  // namespace
