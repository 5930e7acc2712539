// IISInstallVirtualDir and IISVirtToReal through the built DLL, against the
// registry of the test prefix. Each test names its own root.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "webkeys.h"

using namespace webkeys;

namespace {

LONG WINAPI refuse_set_value(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_ACCESS_DENIED; }
LONG WINAPI refuse_query(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) { return ERROR_ACCESS_DENIED; }

// A record of exactly `length` characters: directory, second field, flags
// `flags`, and further text to make up the length.
std::string record_of(std::size_t length, const char* flags) {
  const std::string head = std::string("D:\\Old,,") + flags + ",";
  return filled(head, length);
}

constexpr std::nullopt_t kUnchanged = std::nullopt;

// ------------------------------------------------------ IISInstallVirtualDir

struct InstallCase {
  const char* what;
  Value plain;  // stored under the root's name
  Value comma;  // stored under the name followed by a comma
  std::string directory;
  int flags;
  int result;
  std::optional<Value> plain_after;  // none: left as stored
  std::optional<Value> comma_after;
};

void PrintTo(const InstallCase& c, std::ostream* os) { *os << c.what; }

class IISInstallVirtualDir : public testing::TestWithParam<InstallCase> {
 protected:
  harness::Dll srv{"srvsetup.dll"};
  TempKey roots{kVirtualRoots};
  const std::string name = harness::unique_name("setupkit_root");
};

TEST_P(IISInstallVirtualDir, CreatesOrAddsFlagsUnderTheValueThatHoldsTheRoot) {
  const InstallCase& c = GetParam();
  write(kVirtualRoots, name, c.plain);
  write(kVirtualRoots, name + ",", c.comma);
  const Value plain = read(kVirtualRoots, name), comma = read(kVirtualRoots, name + ",");
  ASSERT_EQ(c.plain, plain);
  ASSERT_EQ(c.comma, comma);

  EXPECT_EQ(c.result, srv("IISInstallVirtualDir", name.c_str(), c.directory.c_str(), c.flags));
  EXPECT_EQ(c.plain_after.value_or(plain), read(kVirtualRoots, name));
  EXPECT_EQ(c.comma_after.value_or(comma), read(kVirtualRoots, name + ","));
}

const std::string kLongestRecord = record_of(1023, "1");

INSTANTIATE_TEST_SUITE_P(
    Rows, IISInstallVirtualDir,
    testing::Values(
        // Worked examples.
        InstallCase{"nothing stored", kMissing, kMissing, "D:\\Help", 1, 1, text("D:\\Help,,1"), kUnchanged},
        InstallCase{"only under the name with a comma", kMissing, text("D:\\Old,,1"), "E:\\New", 4, 1, kUnchanged,
                    text("D:\\Old,,5")},
        InstallCase{"directory only", text("D:\\Old"), kMissing, "E:\\New", 4, 1, text("D:\\Old,,4"), kUnchanged},
        InstallCase{"hexadecimal flags", text("D:\\Old,x,0x10"), kMissing, "E:\\New", 4, 1, text("D:\\Old,x,4"),
                    kUnchanged},
        InstallCase{"text after the flags", text("D:\\Old,,1,rest"), kMissing, "E:\\New", 2, 1,
                    text("D:\\Old,,3,rest"), kUnchanged},
        InstallCase{"empty record", text(""), kMissing, "D:\\Help", 1, 1, text("D:\\Help,,1"), kUnchanged},
        // Which value is written.
        InstallCase{"both names hold a record", text("D:\\A,y,1"), text("D:\\B,,1"), "E:\\New", 6, 1,
                    text("D:\\A,y,7"), kUnchanged},
        InstallCase{"plain empty, comma holds a record", text(""), text("D:\\B,,1"), "E:\\New", 2, 1, kUnchanged,
                    text("D:\\B,,3")},
        InstallCase{"both empty", text(""), text(""), "D:\\Help", 1, 1, text("D:\\Help,,1"), kUnchanged},
        InstallCase{"spaces only are a record", text("   "), kMissing, "D:\\Help", 4, 1, text("   ,,4"), kUnchanged},
        // Types and flags.
        InstallCase{"stored expandable", text("D:\\Old,,1", REG_EXPAND_SZ), kMissing, "E:\\New", 4, 1,
                    text("D:\\Old,,5"), kUnchanged},
        InstallCase{"stored without terminator", unterminated("D:\\Old,,1,"), kMissing, "E:\\New", 4, 1,
                    text("D:\\Old,,5"), kUnchanged},
        InstallCase{"negative flags on creation", kMissing, kMissing, "D:\\Help", -2, 1, text("D:\\Help,,-2"),
                    kUnchanged},
        InstallCase{"negative flags stored", text("D:\\Old,,-8"), kMissing, "E:\\New", 1, 1, text("D:\\Old,,-7"),
                    kUnchanged},
        InstallCase{"record of 1023 characters", text(kLongestRecord), kMissing, "E:\\New", 1, 1, kUnchanged,
                    kUnchanged},
        InstallCase{"new record of 1023 characters", kMissing, kMissing, filled("D:\\", 1023 - 3), 1, 1,
                    text(filled("D:\\", 1023 - 3) + ",,1"), kUnchanged},
        // Past the fixed buffers: nothing written.
        InstallCase{"updated record of 1024 characters", text(kLongestRecord), kMissing, "E:\\New", 10, 0,
                    kUnchanged, kUnchanged},
        InstallCase{"new record of 1024 characters", kMissing, kMissing, filled("D:\\", 1024 - 3), 1, 0, kUnchanged,
                    kUnchanged},
        InstallCase{"directory far past the record", kMissing, kMissing, filled("D:\\", 5000), 1, 0, kUnchanged,
                    kUnchanged},
        InstallCase{"stored record far past its buffer", text(record_of(5000, "1")), kMissing, "E:\\New", 2, 0,
                    kUnchanged, kUnchanged},
        InstallCase{"record under the comma far past its buffer", kMissing, text(record_of(5000, "1")), "E:\\New",
                    2, 0, kUnchanged, kUnchanged},
        // Cut at the buffer's end, this record would merge into one that fits.
        InstallCase{"stored record filling its buffer without terminator", unterminated(record_of(1024, "1")),
                    kMissing, "E:\\New", 2, 0, kUnchanged, kUnchanged}));

class IISInstallVirtualDirFailures : public testing::Test {
 protected:
  harness::Dll srv{"srvsetup.dll"};
  const std::string name = harness::unique_name("setupkit_root");
};

TEST_F(IISInstallVirtualDirFailures, RootNameLengths) {
  TempKey roots(kVirtualRoots);
  const std::string longest = filled(name, 1022);
  EXPECT_EQ(1, srv("IISInstallVirtualDir", longest.c_str(), "D:\\Help", 1));
  EXPECT_EQ(text("D:\\Help,,1"), read(kVirtualRoots, longest));

  for (std::size_t length : {1023, 5000}) {
    const std::string too_long = filled(name, length);
    write(kVirtualRoots, too_long, text("D:\\Old,,1"));
    EXPECT_EQ(0, srv("IISInstallVirtualDir", too_long.c_str(), "D:\\Help", 2)) << length;
    EXPECT_EQ(text("D:\\Old,,1"), read(kVirtualRoots, too_long)) << length;
    EXPECT_EQ(kMissing, read(kVirtualRoots, too_long + ",")) << length;
  }
}

TEST_F(IISInstallVirtualDirFailures, NoRootTable) {
  TempKey parameters(kParameters);
  EXPECT_EQ(0, srv("IISInstallVirtualDir", name.c_str(), "D:\\Help", 1));
  EXPECT_FALSE(key_exists(kVirtualRoots)) << "no key is created";
}

TEST_F(IISInstallVirtualDirFailures, AsksForReadSetValueAndCreateSubkeyAndNoMore) {
  TempKey roots(kVirtualRoots);
  write(kVirtualRoots, name, text("D:\\Old,,1"));
  for (REGSAM refused : {REGSAM(KEY_CREATE_SUB_KEY), REGSAM(KEY_SET_VALUE), REGSAM(KEY_QUERY_VALUE)}) {
    DeniedRights denied(kVirtualRoots, refused);
    EXPECT_EQ(0, srv("IISInstallVirtualDir", name.c_str(), "D:\\Help", 2)) << refused;
  }
  EXPECT_EQ(text("D:\\Old,,1"), read(kVirtualRoots, name));
  {
    DeniedRights denied(kVirtualRoots, rights_beyond(KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY));
    EXPECT_EQ(1, srv("IISInstallVirtualDir", name.c_str(), "D:\\Help", 2));
  }
  EXPECT_EQ(text("D:\\Old,,3"), read(kVirtualRoots, name));
}

TEST_F(IISInstallVirtualDirFailures, RefusedWriteIsReported) {
  TempKey roots(kVirtualRoots);
  harness::ImportPatch patch(srv.module(), "ADVAPI32.dll", "RegSetValueExA",
                             reinterpret_cast<const void*>(&refuse_set_value));
  ASSERT_TRUE(patch.ok());
  EXPECT_EQ(0, srv("IISInstallVirtualDir", name.c_str(), "D:\\Help", 1));
  EXPECT_EQ(kMissing, read(kVirtualRoots, name));
}

TEST_F(IISInstallVirtualDirFailures, RefusedReadWritesNothing) {
  TempKey roots(kVirtualRoots);
  write(kVirtualRoots, name, text("D:\\Old,,1"));
  harness::ImportPatch patch(srv.module(), "ADVAPI32.dll", "RegQueryValueExA",
                             reinterpret_cast<const void*>(&refuse_query));
  ASSERT_TRUE(patch.ok());
  EXPECT_EQ(0, srv("IISInstallVirtualDir", name.c_str(), "D:\\Help", 2));
  EXPECT_EQ(text("D:\\Old,,1"), read(kVirtualRoots, name));
}

// ------------------------------------------------------------- IISVirtToReal

struct ToRealCase {
  const char* what;
  Value plain;
  Value comma;
  bool passed_with_comma;
  int result;
  std::string directory;
};

void PrintTo(const ToRealCase& c, std::ostream* os) { *os << c.what; }

class IISVirtToReal : public testing::TestWithParam<ToRealCase> {
 protected:
  harness::Dll srv{"srvsetup.dll"};
  TempKey roots{kVirtualRoots};
  const std::string name = harness::unique_name("setupkit_root");
};

TEST_P(IISVirtToReal, FirstFieldOfTheRootsRecordOrBufferUnchanged) {
  const ToRealCase& c = GetParam();
  write(kVirtualRoots, name, c.plain);
  write(kVirtualRoots, name + ",", c.comma);

  std::vector<char> buffer(1024, '#');
  const std::string passed = c.passed_with_comma ? name + "," : name;
  std::memcpy(buffer.data(), passed.c_str(), passed.size() + 1);
  const std::vector<char> before = buffer;
  EXPECT_EQ(c.result, srv("IISVirtToReal", buffer.data()));
  if (c.result)
    EXPECT_EQ(c.directory, buffer.data());
  else
    EXPECT_TRUE(before == buffer) << "buffer unchanged";
  EXPECT_EQ(c.plain, read(kVirtualRoots, name)) << "only read";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IISVirtToReal,
    testing::Values(
        ToRealCase{"trimmed, cut at the first comma", text("  D:\\Help ,,1"), kMissing, false, 1, "D:\\Help "},
        ToRealCase{"no comma", text(" D:\\Help "), kMissing, false, 1, "D:\\Help"},
        ToRealCase{"empty first field", text(",x,1"), kMissing, false, 1, ""},
        ToRealCase{"stored expandable", text("D:\\Help,,1", REG_EXPAND_SZ), kMissing, false, 1, "D:\\Help"},
        ToRealCase{"stored without terminator", unterminated("D:\\Help,,1"), kMissing, false, 1, "D:\\Help"},
        ToRealCase{"both names hold a record", text("D:\\A,,1"), text("D:\\B,,1"), false, 1, "D:\\A"},
        ToRealCase{"only under the name with a comma", kMissing, text("D:\\B,,1"), false, 1, "D:\\B"},
        ToRealCase{"plain of spaces only", text("   "), text("D:\\B,,1"), false, 1, "D:\\B"},
        ToRealCase{"passed with a comma, both stored", text("D:\\A,,1"), text("D:\\B,,1"), true, 1, "D:\\A"},
        ToRealCase{"passed with a comma, only that stored", kMissing, text("D:\\B,,1"), true, 1, "D:\\B"},
        ToRealCase{"record of 1023 characters", text(filled("D:\\", 1023)), kMissing, false, 1, filled("D:\\", 1023)},
        ToRealCase{"neither stored", kMissing, kMissing, false, 0, ""},
        ToRealCase{"both blank", text("  "), text(""), true, 0, ""},
        // Past the fixed buffer: no part of a record is taken for all of it.
        ToRealCase{"record far past its buffer", text(filled("D:\\", 5000)), text("D:\\B,,1"), false, 0, ""},
        ToRealCase{"record under the comma far past its buffer", kMissing, text(filled("D:\\", 5000)), false, 0, ""},
        ToRealCase{"record filling its buffer without terminator", unterminated(filled("D:\\Help,", 1024)), kMissing,
                   false, 0, ""}));

class IISVirtToRealFailures : public testing::Test {
 protected:
  harness::Dll srv{"srvsetup.dll"};
  const std::string name = harness::unique_name("setupkit_root");

  // The result, and whether the buffer came back as it went in.
  std::pair<int, bool> call(const std::string& passed) {
    std::vector<char> buffer(std::max<std::size_t>(1024, passed.size() + 1), '#');
    std::memcpy(buffer.data(), passed.c_str(), passed.size() + 1);
    const std::vector<char> before = buffer;
    const int result = srv("IISVirtToReal", buffer.data());
    return {result, before == buffer};
  }
};

TEST_F(IISVirtToRealFailures, RootNameLengths) {
  TempKey roots(kVirtualRoots);
  const std::string longest = filled(name, 1022);
  write(kVirtualRoots, longest, text("D:\\Help,,1"));
  EXPECT_EQ(1, call(longest).first);
  EXPECT_EQ(1, call(longest + ",").first) << "the comma passed is no part of the name";

  for (std::size_t length : {1023, 5000}) {
    const std::string too_long = filled(name, length);
    write(kVirtualRoots, too_long, text("D:\\Help,,1"));
    EXPECT_EQ(std::make_pair(0, true), call(too_long)) << length;
  }
}

TEST_F(IISVirtToRealFailures, NoRootTable) {
  TempKey parameters(kParameters);
  EXPECT_EQ(std::make_pair(0, true), call(name));
}

TEST_F(IISVirtToRealFailures, AsksOnlyToRead) {
  TempKey roots(kVirtualRoots);
  write(kVirtualRoots, name, text("D:\\Help,,1"));
  {
    DeniedRights denied(kVirtualRoots, KEY_QUERY_VALUE);
    EXPECT_EQ(std::make_pair(0, true), call(name));
  }
  DeniedRights denied(kVirtualRoots, rights_beyond(KEY_READ));
  EXPECT_EQ(std::make_pair(1, false), call(name));
}

}  // namespace
