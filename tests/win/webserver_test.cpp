// GetIISDir, IISAddFilter and GetFilterDir through the built DLL, against the
// registry of the test prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "webkeys.h"

using namespace webkeys;

namespace {

constexpr char kInstalledBy[] = "InstalledBy";
constexpr char kInstallPath[] = "InstallPath";
constexpr char kFilterList[] = "Filter DLLs";
constexpr char kNewFilter[] = "D:\\w\\sitefilt.dll";

LONG WINAPI refuse_set_value(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_ACCESS_DENIED; }
LONG WINAPI refuse_query(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) { return ERROR_ACCESS_DENIED; }

// A filter list of exactly `length` characters that ends in `last`.
std::string list_ending_in(const std::string& last, std::size_t length) {
  return filled("C:\\a\\x.dll,C:\\f\\", length - last.size() - 1) + ',' + last;
}

// ---------------------------------------------------------------- GetIISDir

struct IisDirCase {
  const char* what;
  bool web_service;
  bool setup_key;
  std::string installed_by;  // "@" stands for the setup record's key name
  DWORD installed_by_type;
  bool record_key;
  Value install_path;
  int result;
  std::string directory;
};

void PrintTo(const IisDirCase& c, std::ostream* os) { *os << c.what; }

class GetIISDir : public testing::TestWithParam<IisDirCase> {
 protected:
  harness::Dll srv{"srvsetup.dll"};
};

TEST_P(GetIISDir, FindsTheInstallationDirectoryOrLeavesTheBufferAlone) {
  const IisDirCase& c = GetParam();
  const std::string record = harness::unique_name("setupkit_record");
  std::string installed_by = c.installed_by;
  if (const auto at = installed_by.find('@'); at != std::string::npos) installed_by.replace(at, 1, record);

  std::optional<TempKey> web, setup, record_key;
  if (c.web_service) web.emplace(kWebService);
  if (c.setup_key) {
    setup.emplace(kInetMgr);
    write(kInetMgr, kInstalledBy, c.installed_by_type == REG_NONE ? kMissing : text(installed_by, c.installed_by_type));
  }
  if (c.record_key) {
    record_key.emplace(kMicrosoft + record);
    write(kMicrosoft + record, kInstallPath, c.install_path);
  }

  char out[1024];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(c.result, srv("GetIISDir", out));
  if (c.result) {
    EXPECT_EQ(c.directory, out);
  } else {
    EXPECT_EQ(std::string(sizeof out, '#'), std::string(out, sizeof out)) << "buffer untouched";
  }
}

const std::string kLongestPath = filled("C:\\", 1023);

INSTANTIATE_TEST_SUITE_P(
    Rows, GetIISDir,
    testing::Values(
        IisDirCase{"plain", true, true, "@", REG_SZ, true, text("C:\\InetPub"), 1, "C:\\InetPub"},
        IisDirCase{"spaces around both texts", true, true, "  @  ", REG_SZ, true, text("  C:\\Inet Pub\\  "), 1,
                   "C:\\Inet Pub\\"},
        IisDirCase{"InstallPath stored without terminator", true, true, "@", REG_SZ, true,
                   unterminated("C:\\InetPub"), 1, "C:\\InetPub"},
        IisDirCase{"InstallPath of 1023 characters", true, true, "@", REG_SZ, true, text(kLongestPath), 1, kLongestPath},
        IisDirCase{"no web service key", false, true, "@", REG_SZ, true, text("C:\\InetPub"), 0, ""},
        IisDirCase{"no setup key", true, false, "@", REG_SZ, true, text("C:\\InetPub"), 0, ""},
        IisDirCase{"InstalledBy missing", true, true, "@", REG_NONE, true, text("C:\\InetPub"), 0, ""},
        IisDirCase{"InstalledBy expandable", true, true, "@", REG_EXPAND_SZ, true, text("C:\\InetPub"), 0, ""},
        IisDirCase{"InstalledBy blank", true, true, "   ", REG_SZ, true, text("C:\\InetPub"), 0, ""},
        IisDirCase{"no setup record key", true, true, "@", REG_SZ, false, kMissing, 0, ""},
        IisDirCase{"InstallPath missing", true, true, "@", REG_SZ, true, kMissing, 0, ""},
        IisDirCase{"InstallPath expandable", true, true, "@", REG_SZ, true, text("C:\\InetPub", REG_EXPAND_SZ), 0, ""},
        IisDirCase{"InstallPath multi-string", true, true, "@", REG_SZ, true, text("C:\\InetPub", REG_MULTI_SZ), 0, ""},
        IisDirCase{"InstallPath blank", true, true, "@", REG_SZ, true, text("    "), 0, ""},
        // Past the fixed buffers.
        IisDirCase{"InstalledBy far past its buffer", true, true, filled("@\\", 5000), REG_SZ, true,
                   text("C:\\InetPub"), 0, ""},
        IisDirCase{"InstallPath far past its buffer", true, true, "@", REG_SZ, true, text(filled("C:\\", 5000)), 0,
                   ""},
        IisDirCase{"InstallPath filling its buffer without terminator", true, true, "@", REG_SZ, true,
                   unterminated(filled("C:\\", 1024)), 0, ""}));

// Wine holds no key path this long, so the opens are recorded at the DLL's
// import and passed on.
std::vector<std::string> g_opened;
const void* g_real_open = nullptr;
LONG WINAPI recording_open(HKEY root, LPCSTR path, DWORD options, REGSAM access, PHKEY key) {
  g_opened.push_back(path);
  return reinterpret_cast<decltype(&RegOpenKeyExA)>(g_real_open)(root, path, options, access, key);
}

TEST(GetIISDirKeyPath, OpensTheWholePathUpTo1023CharactersAndNothingLonger) {
  harness::Dll srv("srvsetup.dll");
  harness::ImportPatch patch(srv.module(), "ADVAPI32.dll", "RegOpenKeyExA", reinterpret_cast<const void*>(&recording_open));
  ASSERT_TRUE(patch.ok());
  g_real_open = patch.original();
  TempKey web(kWebService), setup(kInetMgr);
  const std::string stem = harness::unique_name("setupkit_record");
  const std::size_t longest = 1023 - (sizeof kMicrosoft - 1);

  // Spaces around the name don't count: the trimmed text makes the path.
  write(kInetMgr, kInstalledBy, text("  " + filled(stem, longest) + "  "));
  g_opened.clear();
  char out[1024];
  srv("GetIISDir", out);
  ASSERT_FALSE(g_opened.empty());
  EXPECT_EQ(kMicrosoft + filled(stem, longest), g_opened.back());

  write(kInetMgr, kInstalledBy, text(filled(stem, longest + 1)));
  g_opened.clear();
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(0, srv("GetIISDir", out));
  for (const std::string& path : g_opened) EXPECT_EQ(std::string::npos, path.find(stem)) << "opened past the limit";
  EXPECT_EQ(std::string(sizeof out, '#'), std::string(out, sizeof out));
}

TEST(GetIISDirAccess, AsksOnlyToRead) {
  const std::string record = harness::unique_name("setupkit_record");
  TempKey web(kWebService), setup(kInetMgr), record_key(kMicrosoft + record);
  write(kInetMgr, kInstalledBy, text(record));
  write(kMicrosoft + record, kInstallPath, text("C:\\InetPub"));
  DeniedRights a(kWebService, rights_beyond(KEY_READ)), b(kInetMgr, rights_beyond(KEY_READ)),
      c(kMicrosoft + record, rights_beyond(KEY_READ));
  harness::Dll srv("srvsetup.dll");
  char out[1024] = "";
  EXPECT_EQ(1, srv("GetIISDir", out));
  EXPECT_STREQ("C:\\InetPub", out);
}

// ------------------------------------------------------------- IISAddFilter

struct AddFilterCase {
  const char* what;
  Value stored;
  std::string new_path;
  int result;
  std::optional<Value> after;  // none: left as stored
};

constexpr std::nullopt_t kUnchanged = std::nullopt;

void PrintTo(const AddFilterCase& c, std::ostream* os) { *os << c.what; }

class IISAddFilter : public testing::TestWithParam<AddFilterCase> {
 protected:
  harness::Dll srv{"srvsetup.dll"};
};

TEST_P(IISAddFilter, WritesTheNewListOrLeavesTheStoredOne) {
  const AddFilterCase& c = GetParam();
  TempKey parameters(kParameters);
  write(kParameters, kFilterList, c.stored);
  const Value before = read(kParameters, kFilterList);
  ASSERT_EQ(c.stored, before);
  EXPECT_EQ(c.result, srv("IISAddFilter", c.new_path.c_str()));
  EXPECT_EQ(c.after.value_or(before), read(kParameters, kFilterList));
}

const std::string kFullList = list_ending_in("C:\\b\\sitefilt.dll", 2047);

INSTANTIATE_TEST_SUITE_P(
    Rows, IISAddFilter,
    testing::Values(
        AddFilterCase{"value missing", kMissing, kNewFilter, 1, text(kNewFilter)},
        AddFilterCase{"same name elsewhere and blanks", text("C:\\a\\x.dll, C:\\b\\SITEFILT.DLL ,,b.dll"), kNewFilter,
                      1, text("D:\\w\\sitefilt.dll,C:\\a\\x.dll,b.dll")},
        AddFilterCase{"bare file name stored", text("sitefilt.dll,C:\\a\\x.dll"), kNewFilter, 1,
                      text("D:\\w\\sitefilt.dll,C:\\a\\x.dll")},
        AddFilterCase{"new path without directory", text("C:\\b\\sitefilt.dll,C:\\a\\x.dll"), "sitefilt.dll", 1,
                      text("sitefilt.dll,C:\\b\\sitefilt.dll,C:\\a\\x.dll")},
        AddFilterCase{"empty new path", text("C:\\a\\x.dll,b.dll"), "", 1, text(",C:\\a\\x.dll,b.dll")},
        AddFilterCase{"commas and spaces only", text(" , ,, "), kNewFilter, 1, text(kNewFilter)},
        AddFilterCase{"new path with trailing spaces", text("C:\\b\\sitefilt.dll"), "D:\\w\\sitefilt.dll  ", 1,
                      text("D:\\w\\sitefilt.dll  ,C:\\b\\sitefilt.dll")},
        AddFilterCase{"stored expandable", text("C:\\a\\x.dll", REG_EXPAND_SZ), kNewFilter, 1,
                      text("D:\\w\\sitefilt.dll,C:\\a\\x.dll")},
        AddFilterCase{"stored without terminator", unterminated("C:\\a\\x.dll"), kNewFilter, 1,
                      text("D:\\w\\sitefilt.dll,C:\\a\\x.dll")},
        AddFilterCase{"new list of 2047 characters", text(kFullList), kNewFilter, 1,
                      text(std::string(kNewFilter) + "," + kFullList.substr(0, kFullList.rfind(',')))},
        AddFilterCase{"new path of 2047 characters", kMissing, filled("D:\\w\\", 2047), 1,
                      text(filled("D:\\w\\", 2047))},
        // Past the fixed buffers: nothing written.
        AddFilterCase{"new list of 2048 characters", text(kFullList), "D:\\ww\\sitefilt.dll", 0, kUnchanged},
        AddFilterCase{"new path far past the list", text("C:\\a\\x.dll"), filled("D:\\w\\", 5000), 0, kUnchanged},
        AddFilterCase{"new path far past the list, none stored", kMissing, filled("D:\\w\\", 5000), 0, kUnchanged},
        AddFilterCase{"stored list far past its buffer", text(list_ending_in("C:\\b\\sitefilt.dll", 5000)),
                      kNewFilter, 0, kUnchanged},
        // Cut at the buffer's end, this list would lose its long last entry
        // and make a new list that fits.
        AddFilterCase{"stored list filling its buffer without terminator",
                      unterminated(list_ending_in(filled("C:\\", 200) + "\\sitefilt.dll", 2048)), kNewFilter, 0,
                      kUnchanged}));

class IISAddFilterFailures : public testing::Test {
 protected:
  harness::Dll srv{"srvsetup.dll"};
  const Value stored = text("C:\\a\\x.dll,C:\\b\\sitefilt.dll");
};

TEST_F(IISAddFilterFailures, NoParametersKey) {
  TempKey web(kWebService);
  EXPECT_EQ(0, srv("IISAddFilter", kNewFilter));
  EXPECT_FALSE(key_exists(kParameters)) << "no key is created";
}

TEST_F(IISAddFilterFailures, SetValueRefused) {
  TempKey parameters(kParameters);
  write(kParameters, kFilterList, stored);
  {
    DeniedRights denied(kParameters, KEY_SET_VALUE);
    EXPECT_EQ(0, srv("IISAddFilter", kNewFilter));
  }
  EXPECT_EQ(stored, read(kParameters, kFilterList));
}

TEST_F(IISAddFilterFailures, NoRightBeyondReadAndSetValueNeeded) {
  TempKey parameters(kParameters);
  write(kParameters, kFilterList, stored);
  {
    DeniedRights denied(kParameters, rights_beyond(KEY_READ | KEY_SET_VALUE));
    EXPECT_EQ(1, srv("IISAddFilter", kNewFilter));
  }
  EXPECT_EQ(text("D:\\w\\sitefilt.dll,C:\\a\\x.dll"), read(kParameters, kFilterList));
}

TEST_F(IISAddFilterFailures, RefusedWriteStillCountsAsDone) {
  TempKey parameters(kParameters);
  write(kParameters, kFilterList, stored);
  harness::ImportPatch patch(srv.module(), "ADVAPI32.dll", "RegSetValueExA",
                             reinterpret_cast<const void*>(&refuse_set_value));
  ASSERT_TRUE(patch.ok());
  EXPECT_EQ(1, srv("IISAddFilter", kNewFilter));
  EXPECT_EQ(stored, read(kParameters, kFilterList));
}

TEST_F(IISAddFilterFailures, RefusedReadWritesNothing) {
  TempKey parameters(kParameters);
  write(kParameters, kFilterList, stored);
  harness::ImportPatch patch(srv.module(), "ADVAPI32.dll", "RegQueryValueExA",
                             reinterpret_cast<const void*>(&refuse_query));
  ASSERT_TRUE(patch.ok());
  EXPECT_EQ(0, srv("IISAddFilter", kNewFilter));
  EXPECT_EQ(stored, read(kParameters, kFilterList));
}

// ------------------------------------------------------------- GetFilterDir

struct FilterDirCase {
  const char* what;
  Value stored;
  int result;
  std::string directory;
};

void PrintTo(const FilterDirCase& c, std::ostream* os) { *os << c.what; }

class GetFilterDir : public testing::TestWithParam<FilterDirCase> {
 protected:
  harness::Dll srv{"srvsetup.dll"};
};

TEST_P(GetFilterDir, DirectoryOfTheFirstRegistrationOrEmpty) {
  const FilterDirCase& c = GetParam();
  TempKey parameters(kParameters);
  write(kParameters, kFilterList, c.stored);
  ASSERT_EQ(c.stored, read(kParameters, kFilterList));
  char out[2048];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(c.result, srv("GetFilterDir", out));
  EXPECT_EQ(c.directory, out);
  EXPECT_EQ(c.stored, read(kParameters, kFilterList)) << "only read";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GetFilterDir,
    testing::Values(
        FilterDirCase{"first of two", text("C:\\a\\sitefilt.dll,D:\\b\\sitefilt.dll"), 1, "C:\\a\\"},
        FilterDirCase{"spaces before the drive letter, other case", text("x.dll,  C:\\x\\SiteFilt.DLL "), 1,
                      "C:\\x\\"},
        FilterDirCase{"backslash and file name", text("\\sitefilt.dll"), 1, "\\"},
        FilterDirCase{"bare file name only", text("sitefilt.dll"), 0, ""},
        FilterDirCase{"no entry for the module", text("C:\\a\\x.dll,C:\\a\\sitefilt.dll.old"), 0, ""},
        FilterDirCase{"value missing", kMissing, 0, ""},
        FilterDirCase{"stored expandable", text("x.dll,C:\\a\\sitefilt.dll", REG_EXPAND_SZ), 1, "C:\\a\\"},
        FilterDirCase{"stored without terminator", unterminated("C:\\a\\sitefilt.dll"), 1, "C:\\a\\"},
        FilterDirCase{"list of 2047 characters, module last", text(kFullList), 1, "C:\\b\\"},
        // Past the fixed buffer: no part of the list is taken for all of it.
        FilterDirCase{"list far past its buffer, module first",
                      text(filled("C:\\b\\sitefilt.dll,C:\\f\\", 5000)), 0, ""},
        FilterDirCase{"list filling its buffer without terminator, module first",
                      unterminated(filled("C:\\b\\sitefilt.dll,C:\\f\\", 2048)), 0, ""}));

class GetFilterDirFailures : public testing::Test {
 protected:
  harness::Dll srv{"srvsetup.dll"};
  // Only the key's refusal leaves the buffer as it came.
  void expect_untouched() {
    char out[2048];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(0, srv("GetFilterDir", out));
    EXPECT_EQ(std::string(sizeof out, '#'), std::string(out, sizeof out));
  }
};

TEST_F(GetFilterDirFailures, NoParametersKey) {
  TempKey web(kWebService);
  expect_untouched();
}

TEST_F(GetFilterDirFailures, SetValueRefusedAlthoughItOnlyReads) {
  TempKey parameters(kParameters);
  write(kParameters, kFilterList, text("C:\\a\\sitefilt.dll"));
  DeniedRights denied(kParameters, KEY_SET_VALUE);
  expect_untouched();
}

TEST_F(GetFilterDirFailures, NoRightBeyondReadAndSetValueNeeded) {
  TempKey parameters(kParameters);
  write(kParameters, kFilterList, text("C:\\a\\sitefilt.dll"));
  DeniedRights denied(kParameters, rights_beyond(KEY_READ | KEY_SET_VALUE));
  char out[2048] = "";
  EXPECT_EQ(1, srv("GetFilterDir", out));
  EXPECT_STREQ("C:\\a\\", out);
}

}  // namespace
