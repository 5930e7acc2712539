#include "webkeys.h"

#include <gtest/gtest.h>

#include <vector>

#include "handles.h"

namespace webkeys {

using setupcore::RegKey;

void PrintTo(const Value& v, std::ostream* os) {
  if (!v.exists) {
    *os << "(missing)";
    return;
  }
  *os << "type " << v.type << ", " << v.data.size() << " bytes ";
  if (v.data.size() > 80)
    *os << testing::PrintToString(v.data.substr(0, 40)) << "..." << testing::PrintToString(v.data.substr(v.data.size() - 20));
  else
    *os << testing::PrintToString(v.data);
}

Value text(const std::string& s, DWORD type) { return Value{true, type, s + '\0'}; }
Value unterminated(const std::string& s, DWORD type) { return Value{true, type, s}; }

std::string filled(const std::string& head, std::size_t length) {
  std::string s = head;
  s.resize(length, 'x');
  return s;
}

Value read(const std::string& key, const std::string& name) {
  RegKey k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS) return {};
  DWORD type = REG_NONE, size = 0;
  if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  std::string data(size, '\0');
  if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return {};
  data.resize(size);
  return Value{true, type, data};
}

void write(const std::string& key, const std::string& name, const Value& value) {
  RegKey k;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, k.put())) << key;
  if (!value.exists) {
    RegDeleteValueA(k.get(), name.c_str());
    return;
  }
  // A text whose count leaves out a zero byte right behind it gets that zero
  // counted by the system; a byte other than zero there keeps the count.
  const std::string bytes = value.data + 'Z';
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k.get(), name.c_str(), 0, value.type,
                                          reinterpret_cast<const BYTE*>(bytes.data()),
                                          static_cast<DWORD>(value.data.size())))
      << key << " / " << name.substr(0, 40);
}

bool key_exists(const std::string& key) {
  RegKey k;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, k.put()) == ERROR_SUCCESS;
}

namespace {

void create_key(const std::string& path) {
  RegKey k;
  EXPECT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr))
      << path;
}

}  // namespace

TempKey::TempKey(std::string path) : path_(std::move(path)) {
  // Walk down the path so the first component that is missing is known.
  for (std::size_t end = path_.find('\\'); ; end = path_.find('\\', end + 1)) {
    const std::string part = path_.substr(0, end);
    if (!key_exists(part)) {
      created_ = part;
      break;
    }
    if (end == std::string::npos) break;
  }
  create_key(path_);
}

TempKey::~TempKey() {
  if (!created_.empty()) EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_LOCAL_MACHINE, created_.c_str())) << created_;
}

namespace {

struct Everyone {
  Everyone() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, sid.put());
  }
  setupcore::AllocatedSid sid;
};

}  // namespace

DeniedRights::DeniedRights(const std::string& key, REGSAM denied) : key_(key) { apply(denied); }

void DeniedRights::apply(REGSAM denied) {
  RegKey k;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, READ_CONTROL | WRITE_DAC, k.put()));
  DWORD size = 0;
  RegGetKeySecurity(k.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
  std::string saved(size, '\0');
  ASSERT_EQ(ERROR_SUCCESS, RegGetKeySecurity(k.get(), DACL_SECURITY_INFORMATION, saved.data(), &size));

  Everyone everyone;
  alignas(DWORD) BYTE acl_bytes[256];
  auto* acl = reinterpret_cast<PACL>(acl_bytes);
  ASSERT_TRUE(InitializeAcl(acl, sizeof acl_bytes, ACL_REVISION));
  ASSERT_TRUE(AddAccessDeniedAce(acl, ACL_REVISION, denied, everyone.sid.get()));
  ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone.sid.get()));
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(k.get(), DACL_SECURITY_INFORMATION, &sd));
  saved_ = std::move(saved);
}

DeniedRights::~DeniedRights() {
  if (saved_.empty()) return;
  RegKey k;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, WRITE_DAC, k.put()));
  EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(k.get(), DACL_SECURITY_INFORMATION, saved_.data()));
}

namespace {

// The keys these tests make are shared by the whole prefix: whatever other
// programs left there is moved to a stash for the run and brought back after
// it. A stash found at the start is from a run that never finished; it still
// holds what was there before that run, so it is kept and the leftovers go.
class SharedKeysAside : public testing::Environment {
 public:
  void SetUp() override {
    const bool unfinished = key_exists(kStash);
    create_key(kStash);
    for (const Shared& s : kShared) {
      const std::string stashed = std::string(kStash) + "\\" + s.stash_name;
      if (!unfinished && key_exists(s.path)) {
        create_key(stashed);
        copy_tree(s.path, stashed);
      }
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, s.path);
      ASSERT_FALSE(key_exists(s.path)) << s.path;
    }
  }
  void TearDown() override {
    for (const Shared& s : kShared) {
      const std::string stashed = std::string(kStash) + "\\" + s.stash_name;
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, s.path);
      if (key_exists(stashed)) {
        create_key(s.path);
        copy_tree(stashed, s.path);
      }
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kStash);
  }

 private:
  struct Shared {
    const char* path;
    const char* stash_name;
  };
  static constexpr char kStash[] = "SOFTWARE\\setupkit-webserver-tests-aside";
  static constexpr Shared kShared[] = {{kWebService, "W3SVC"}, {kInetMgr, "INetMgr"}};

  static void copy_tree(const std::string& from, const std::string& to) {
    RegKey source, target;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, from.c_str(), 0, KEY_READ, source.put()));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, to.c_str(), 0, KEY_ALL_ACCESS, target.put()));
    ASSERT_EQ(ERROR_SUCCESS, RegCopyTreeA(source.get(), nullptr, target.get())) << from;
  }
};

testing::Environment* const registered = testing::AddGlobalTestEnvironment(new SharedKeysAside);

}  // namespace

}  // namespace webkeys
