#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text.h"

using namespace setupcore;

namespace {

// A text in a buffer with a guard region behind its terminator, so a write
// past the entry terminator shows up.
struct Buffer {
  explicit Buffer(const std::string& text) {
    std::memset(bytes, '#', sizeof bytes);
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    end = text.size();
  }
  std::string str() const { return bytes; }
  bool guard_intact() const {
    for (std::size_t i = end + 1; i < sizeof bytes; ++i)
      if (bytes[i] != '#') return false;
    return true;
  }
  char bytes[64];
  std::size_t end;
};

struct TrimCase {
  const char* in;
  const char* out;
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << '"' << c.in << '"'; }

class Trim : public testing::TestWithParam<TrimCase> {};

TEST_P(Trim, TrimsSpacesOnlyAndStaysInsideTheText) {
  Buffer b(GetParam().in);
  EXPECT_EQ(1, trim(b.bytes));
  EXPECT_EQ(GetParam().out, b.str());
  EXPECT_TRUE(b.guard_intact());

  Buffer e(GetParam().in);
  EXPECT_EQ(std::string(GetParam().out).empty(), is_empty(e.bytes));
  EXPECT_EQ(GetParam().out, e.str()) << "is_empty leaves the text trimmed";
}

INSTANTIATE_TEST_SUITE_P(Cases, Trim,
                         testing::Values(TrimCase{"", ""}, TrimCase{"   ", ""}, TrimCase{"  a b  ", "a b"},
                                         TrimCase{" \t a\t", "\t a\t"}, TrimCase{" x ", "x"},
                                         TrimCase{"x", "x"}, TrimCase{"ab   ", "ab"}, TrimCase{"   ab", "ab"},
                                         TrimCase{"\n\r a \xA0 ", "\n\r a \xA0"}));

TEST(Replace, EveryOccurrenceUpToTheEntryTerminator) {
  Buffer b("a,b,,c");
  replace_char(b.bytes, ',', 0);
  EXPECT_STREQ("a", b.bytes);
  EXPECT_EQ(0, std::memcmp(b.bytes, "a\0b\0\0c\0", 7)) << "every comma became a terminator";
  EXPECT_TRUE(b.guard_intact());
}

TEST(Replace, CasesThatChangeNothingAndLowBitsOnly) {
  struct Case {
    const char* in;
    int from, to;
    const char* out;
  } cases[] = {
      {"abc", 0, 'x', "abc"},          {"", 'a', 'b', ""},
      {"aXa", 'a', 'a', "aXa"},        {"a\tb\t", 9, 32, "a b "},
      {"a-b", 0x12D, 0x15F, "a_b"},    {"\xC4x", 0xC4, 'A', "Ax"},
  };
  for (const auto& c : cases) {
    Buffer b(c.in);
    replace_char(b.bytes, c.from, c.to);
    EXPECT_EQ(c.out, b.str()) << c.in;
    EXPECT_TRUE(b.guard_intact());
  }
}

TEST(ReduceRuns, CutsRunsToOne) {
  struct Case {
    const char* in;
    int c;
    const char* out;
  } cases[] = {
      {"a  b   c", ' ', "a b c"}, {"---x---", '-', "-x-"}, {"--", '-', "-"}, {"-", '-', "-"},
      {"abc", 0, "abc"},         {"a--b", 301, "a-b"},     {"", '-', ""},   {"abc", '-', "abc"},
      {"xx-xx", 'x', "x-x"},
  };
  for (const auto& c : cases) {
    Buffer b(c.in);
    reduce_runs(b.bytes, c.c);
    EXPECT_EQ(c.out, b.str()) << c.in;
    EXPECT_TRUE(b.guard_intact());
  }
}

TEST(VerifyAddress, CommaOrSpaceAnywhereFails) {
  EXPECT_TRUE(verify_address(""));
  EXPECT_TRUE(verify_address("a\tb"));
  EXPECT_TRUE(verify_address("host.example"));
  for (const char* bad : {",", " ", " a", "a ", "a,b", ",a", "a b"}) EXPECT_FALSE(verify_address(bad)) << bad;
}

TEST(Searches, BehaveAsStrchrAndStrrchr) {
  const char text[] = "c:\\a\\b.dll";
  EXPECT_EQ(text + 4, find_last(text, '\\'));
  EXPECT_EQ(text + 2, find_char(text, '\\'));
  EXPECT_EQ(nullptr, find_char(text, 'z'));
  EXPECT_EQ(nullptr, find_last(text, 'z'));
  EXPECT_EQ(text + 10, find_char(text, 0));
  EXPECT_EQ(text + 10, find_last(text, 0));
  EXPECT_EQ(text + 4, find_last(text, 0x15C)) << "low 8 bits only";
  const char high[] = "a\xE4";
  EXPECT_EQ(high + 1, find_char(high, 0xE4));
}

TEST(NextField, StopsAtTheSeparatorWithoutSteppingOverIt) {
  struct Case {
    const char* source;
    const char* separators;
    const char* field;
    std::size_t stop;
  } cases[] = {
      {"ab,cd", ",", "ab", 2}, {",cd", ",", "", 0}, {"ab", ",", "ab", 2},     {"", ",", "", 0},
      {" a ,b", ",", " a ", 3}, {"ab;c,d", ",;", "ab", 2}, {"a,b", "", "a,b", 3},
  };
  for (const auto& c : cases) {
    char field[16];
    const char* stop = nextfield(c.source, field, sizeof field, c.separators);
    EXPECT_STREQ(c.field, field) << c.source;
    EXPECT_EQ(c.source + c.stop, stop) << c.source;
  }
}

TEST(NextField, RefusesAFieldThatDoesNotFit) {
  char field[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(nullptr, nextfield("abcd,e", field, sizeof field, ","));
  EXPECT_STREQ("", field);
  char exact[5];
  const char src[] = "abcd,e";
  EXPECT_EQ(src + 4, nextfield(src, exact, sizeof exact, ","));
  EXPECT_STREQ("abcd", exact);
}

}  // namespace
