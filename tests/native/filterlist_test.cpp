#include "filterlist.h"

#include <gtest/gtest.h>

#include <string>

#include "exact_capacity.h"

using namespace srvsetup;
using namespace std::string_literals;

namespace {

struct RebuildCase {
  std::string stored;
  const char* new_path;
  const char* written;
};

void PrintTo(const RebuildCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.stored) << " + " << testing::PrintToString(std::string(c.new_path));
}

class RebuildFilterList : public testing::TestWithParam<RebuildCase> {};

TEST_P(RebuildFilterList, NewPathFirstThenTheKeptEntriesTrimmed) {
  const RebuildCase& c = GetParam();
  expect_exact_capacity(c.written, [&](char* out, std::size_t capacity) {
    return rebuild_filter_list(c.stored, c.new_path, out, capacity);
  });
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, RebuildFilterList,
    testing::Values(
        RebuildCase{"", "D:\\w\\sitefilt.dll", "D:\\w\\sitefilt.dll"},
        RebuildCase{"C:\\a\\x.dll, C:\\b\\SITEFILT.DLL ,,b.dll", "D:\\w\\sitefilt.dll",
                    "D:\\w\\sitefilt.dll,C:\\a\\x.dll,b.dll"},
        RebuildCase{"sitefilt.dll,C:\\a\\x.dll", "D:\\w\\sitefilt.dll", "D:\\w\\sitefilt.dll,C:\\a\\x.dll"},
        RebuildCase{"C:\\b\\sitefilt.dll,C:\\a\\x.dll", "sitefilt.dll",
                    "sitefilt.dll,C:\\b\\sitefilt.dll,C:\\a\\x.dll"},
        RebuildCase{"C:\\a\\x.dll,b.dll", "", ",C:\\a\\x.dll,b.dll"}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, RebuildFilterList,
    testing::Values(
        // The same file name in other directories and letter cases goes.
        RebuildCase{"E:\\old\\SiteFilt.Dll,C:\\x.dll,\\\\srv\\share\\sitefilt.DLL", "D:\\w\\sitefilt.dll",
                    "D:\\w\\sitefilt.dll,C:\\x.dll"},
        // Names that only begin or end alike stay.
        RebuildCase{"C:\\a\\sitefilt.dll.bak,C:\\a\\mysitefilt.dll,C:\\a\\sitefilt.dl,sitefilt", "D:\\w\\sitefilt.dll",
                    "D:\\w\\sitefilt.dll,C:\\a\\sitefilt.dll.bak,C:\\a\\mysitefilt.dll,C:\\a\\sitefilt.dl,sitefilt"},
        // Stored entries are compared trimmed, the new path as given.
        RebuildCase{"C:\\b\\sitefilt.dll", "D:\\w\\sitefilt.dll  ", "D:\\w\\sitefilt.dll  ,C:\\b\\sitefilt.dll"},
        RebuildCase{" , ,, ,", "D:\\w\\sitefilt.dll", "D:\\w\\sitefilt.dll"},
        RebuildCase{",  C:\\Program Files\\x.dll   ,", "D:\\w\\sitefilt.dll",
                    "D:\\w\\sitefilt.dll,C:\\Program Files\\x.dll"},
        // Only spaces are trimmed, only backslashes end a directory, only
        // ASCII letters fold.
        RebuildCase{"C:\\b\\sitefilt.dll\t,C:/b/sitefilt.dll,C:\\b\\\xC9.dll", "D:\\w\\sitefilt.dll",
                    "D:\\w\\sitefilt.dll,C:\\b\\sitefilt.dll\t,C:/b/sitefilt.dll,C:\\b\\\xC9.dll"},
        RebuildCase{"C:\\b\\\xC9.dll,C:\\b\\\xE9.dll", "D:\\\xE9.dll", "D:\\\xE9.dll,C:\\b\\\xC9.dll"},
        // A path with forward slashes only has no directory: nothing goes.
        RebuildCase{"C:\\b\\sitefilt.dll", "D:/w/sitefilt.dll", "D:/w/sitefilt.dll,C:\\b\\sitefilt.dll"},
        // The stored data count up to their first zero byte.
        RebuildCase{"C:\\a\\x.dll\0C:\\b\\y.dll"s, "D:\\w\\sitefilt.dll", "D:\\w\\sitefilt.dll,C:\\a\\x.dll"}));

TEST(RebuildFilterListTwice, LeavesWhatOnceDid) {
  char once[256], twice[256];
  ASSERT_TRUE(rebuild_filter_list(" C:\\b\\sitefilt.dll ,x.dll", "D:\\w\\sitefilt.dll", once, sizeof once));
  ASSERT_TRUE(rebuild_filter_list(once, "D:\\w\\sitefilt.dll", twice, sizeof twice));
  EXPECT_STREQ(once, twice);
}

TEST(RebuildFilterListCapacity, SpacesAroundKeptEntriesNeedNoRoom) {
  // Entries are trimmed before they are placed, so a list that fits once
  // trimmed is never refused for the spaces it had.
  const std::string stored = "  C:\\a\\x.dll" + std::string(200, ' ') + ",b.dll   ";
  expect_exact_capacity("D:\\w\\sitefilt.dll,C:\\a\\x.dll,b.dll", [&](char* out, std::size_t capacity) {
    return rebuild_filter_list(stored, "D:\\w\\sitefilt.dll", out, capacity);
  });
}

struct DirCase {
  std::string list;
  const char* directory;  // nullptr: none found
};

void PrintTo(const DirCase& c, std::ostream* os) { *os << testing::PrintToString(c.list); }

class FindFilterDir : public testing::TestWithParam<DirCase> {};

TEST_P(FindFilterDir, DirectoryOfTheFirstEntryNamingTheFile) {
  const DirCase& c = GetParam();
  if (c.directory) {
    expect_exact_capacity(c.directory, [&](char* out, std::size_t capacity) {
      return find_filter_dir(c.list, kFilterFileName, out, capacity);
    });
  } else {
    char out[64] = "not touched?";
    EXPECT_FALSE(find_filter_dir(c.list, kFilterFileName, out, sizeof out));
    EXPECT_STREQ("", out);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindFilterDir,
    testing::Values(DirCase{"C:\\a\\sitefilt.dll,D:\\b\\sitefilt.dll", "C:\\a\\"},
                    DirCase{"  C:\\x\\SiteFilt.DLL ", "C:\\x\\"},
                    DirCase{"\\sitefilt.dll", "\\"},
                    DirCase{"C:\\a\\x.dll,, ,sitefilt.dll,E:\\Program Files\\f\\sitefilt.dll", "E:\\Program Files\\f\\"},
                    DirCase{"C:\\a\\b\\sitefilt.dll", "C:\\a\\b\\"},
                    DirCase{"sitefilt.dll", nullptr},
                    DirCase{"C:\\a\\sitefilt.dll.bak,C:\\a\\xsitefilt.dll,C:\\a\\sitefilt.dll\t", nullptr},
                    DirCase{"C:/a/sitefilt.dll", nullptr},
                    DirCase{"", nullptr},
                    DirCase{" , ,,", nullptr},
                    DirCase{"C:\\a\\x.dll\0C:\\a\\sitefilt.dll"s, nullptr}));

}  // namespace
