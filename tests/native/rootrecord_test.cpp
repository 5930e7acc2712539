#include "rootrecord.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "exact_capacity.h"

using namespace srvsetup;
using namespace std::string_literals;

namespace {

TEST(ReadFlags, DecimalRule) {
  struct Case {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"", 0},
      {"12", 12},
      {" \t\n\v\f\r12", 12},
      {"+7", 7},
      {"-7", -7},
      {"007", 7},
      {"0x10", 0},
      {"12abc", 12},
      {"5 6", 5},
      {"abc", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"\xA0" "5", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MIN},
      {"-2147483648", INT_MIN},
      {"4294967295", -1},
      {"4294967297", 1},
      {"99999999999", 1215752191},
  };
  for (const auto& c : cases) EXPECT_EQ(c.value, read_flags(c.text)) << '"' << c.text << '"';
}

struct MergeCase {
  std::string stored;
  std::int32_t flags;
  const char* written;
};

void PrintTo(const MergeCase& c, std::ostream* os) { *os << testing::PrintToString(c.stored) << " | " << c.flags; }

class MergeRootRecord : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeRootRecord, KeepsTheFieldsAndAddsTheFlags) {
  const MergeCase& c = GetParam();
  expect_exact_capacity(c.written, [&](char* out, std::size_t capacity) {
    return merge_root_record(c.stored, c.flags, out, capacity);
  });
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, MergeRootRecord,
                         testing::Values(MergeCase{"D:\\Old,,1", 4, "D:\\Old,,5"},
                                         MergeCase{"D:\\Old", 4, "D:\\Old,,4"},
                                         MergeCase{"D:\\Old,x,0x10", 4, "D:\\Old,x,4"},
                                         MergeCase{"D:\\Old,,1,rest", 2, "D:\\Old,,3,rest"}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, MergeRootRecord,
    testing::Values(MergeCase{"D:\\Old,,5", 4, "D:\\Old,,5"},
                    MergeCase{"D:\\Old,,1,", 2, "D:\\Old,,3"},
                    MergeCase{"D:\\Old,,1,a, b ,", 2, "D:\\Old,,3,a, b ,"},
                    MergeCase{"D:\\Old,,1,,", 0, "D:\\Old,,1,,"},
                    MergeCase{" D:\\Old , y ,  12  ,z", 1, " D:\\Old , y ,13,z"},
                    MergeCase{"D:\\Old,", 1, "D:\\Old,,1"},
                    MergeCase{",,", 0, ",,0"},
                    MergeCase{"D:\\Old,,-8", 1, "D:\\Old,,-7"},
                    MergeCase{"D:\\Old,,5", INT_MIN, "D:\\Old,,-2147483643"},
                    MergeCase{"D:\\Old,,+3", -4, "D:\\Old,,-1"},
                    MergeCase{"D:\\Old\0,,9"s, 2, "D:\\Old,,2"}));

TEST(NewRootRecord, DirectoryTwoCommasAndFlags) {
  struct Case {
    const char* directory;
    std::int32_t flags;
    const char* written;
  } cases[] = {
      {"D:\\Help", 1, "D:\\Help,,1"},
      {"", 0, ",,0"},
      {"D:\\Help", -1, "D:\\Help,,-1"},
      {"D:\\Help", INT_MIN, "D:\\Help,,-2147483648"},
      {" D:\\My Help ", INT_MAX, " D:\\My Help ,,2147483647"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directory);
    expect_exact_capacity(c.written, [&](char* out, std::size_t capacity) {
      return new_root_record(c.directory, c.flags, out, capacity);
    });
  }
}

}  // namespace
