// Text routines and the digest through the built DLLs. Every case runs
// against both libraries, which must agree byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "harness.h"

namespace {

class BothDlls : public testing::TestWithParam<const char*> {
 protected:
  harness::Dll dll{GetParam()};
};

// The whole 32-byte buffer after the call, so changes past the visible text
// (which the routines may make only up to the entry terminator) are compared.
struct Buffer {
  explicit Buffer(const char* text) {
    std::memset(bytes, '#', sizeof bytes);
    std::memcpy(bytes, text, std::strlen(text) + 1);
  }
  char bytes[32];
};

TEST_P(BothDlls, CleanTrimsSpacesOnly) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"", ""}, {"   ", ""}, {"  a b  ", "a b"}, {" \t a\t", "\t a\t"}, {"x", "x"}};
  for (const auto& c : cases) {
    Buffer b(c.in);
    EXPECT_EQ(1, dll("clean", b.bytes));
    EXPECT_STREQ(c.out, b.bytes) << '"' << c.in << '"';
  }
}

TEST_P(BothDlls, ReplaceAndRdup) {
  Buffer commas("a,b,,c");
  EXPECT_EQ(1, dll("replace", commas.bytes, ',', 0));
  EXPECT_EQ(0, std::memcmp(commas.bytes, "a\0b\0\0c\0#", 8));

  Buffer tabs("a\tb\t");
  EXPECT_EQ(1, dll("replace", tabs.bytes, 9 + 0x100, 32 + 0x7700));
  EXPECT_STREQ("a b ", tabs.bytes);

  struct Case {
    const char* in;
    int c;
    const char* out;
  } runs[] = {{"a  b   c", ' ', "a b c"}, {"---x---", 301, "-x-"}, {"--", '-', "-"}, {"abc", 0, "abc"}};
  for (const auto& r : runs) {
    Buffer b(r.in);
    EXPECT_EQ(1, dll("rdup", b.bytes, r.c));
    EXPECT_STREQ(r.out, b.bytes) << r.in;
  }
}

TEST_P(BothDlls, VerifyAddress) {
  for (const char* good : {"", "a\tb", "host.example"}) EXPECT_EQ(1, dll("VerifyAddress", good)) << good;
  for (const char* bad : {"a b", ",a", "a,", " "}) EXPECT_EQ(0, dll("VerifyAddress", bad)) << bad;
}

TEST_P(BothDlls, StrconvPublishedVectors) {
  struct Case {
    const char* text;
    const char* out;
  } cases[] = {
      {"abc", "65B4AB04CADBBE3D"}, {"aBc", "65B4AB04CADBBE3D"}, {"", "2DFD1072FFFFFFFF"},
      {"a", "4870F6FC174841BC"},   {"q", "49E145E8AFF51D8"},    {"0", "20CF3D1B2420DE"},
      {"\xC4", "A111ED8B1F416DB"}, {"\xE4", "93278F08A9A3613"},
  };
  for (const auto& c : cases) {
    char out[32];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(1, dll("strconv", c.text, out));
    EXPECT_STREQ(c.out, out) << c.text;
    EXPECT_EQ('#', out[17]) << "nothing past the 17 bytes the caller must give";
  }
}

INSTANTIATE_TEST_SUITE_P(Libraries, BothDlls, testing::Values("srvsetup.dll", "clisetup.dll"),
                         [](const auto& info) { return std::string(info.param).substr(0, 8); });

TEST(Srvsetup, IsEmptyTrimsWhatItTests) {
  harness::Dll srv("srvsetup.dll");
  struct Case {
    const char* in;
    int result;
    const char* out;
  } cases[] = {{"", 1, ""}, {"   ", 1, ""}, {" x ", 0, "x"}, {"x", 0, "x"}, {"\t", 0, "\t"}};
  for (const auto& c : cases) {
    Buffer b(c.in);
    EXPECT_EQ(c.result, srv("IsEmpty", b.bytes)) << '"' << c.in << '"';
    EXPECT_STREQ(c.out, b.bytes);
  }
}

// The shared exports of the two libraries leave the same bytes for the same
// inputs, over a spread of texts and characters.
TEST(BothLibraries, AgreeOnEveryTextExport) {
  harness::Dll srv("srvsetup.dll");
  harness::Dll cli("clisetup.dll");
  const char* texts[] = {"", " ", "  a  b  ", "a,,b", "--x--", "\xC4\xE4 \t", "abcdefghijklmnopqrstuvwxyz",
                         "C:\\Inetpub\\wwwroot"};
  const int chars[] = {0, ' ', ',', '-', 'a', 0xC4, 301, -1};
  for (const char* t : texts) {
    Buffer a(t), b(t);
    EXPECT_EQ(srv("clean", a.bytes), cli("clean", b.bytes));
    EXPECT_EQ(0, std::memcmp(a.bytes, b.bytes, sizeof a.bytes)) << "clean " << t;
    EXPECT_EQ(srv("VerifyAddress", t), cli("VerifyAddress", t)) << t;
    char da[32] = {}, db[32] = {};
    srv("strconv", t, da);
    cli("strconv", t, db);
    EXPECT_STREQ(da, db) << t;
    for (int c1 : chars) {
      Buffer ra(t), rb(t);
      EXPECT_EQ(srv("rdup", ra.bytes, c1), cli("rdup", rb.bytes, c1));
      EXPECT_EQ(0, std::memcmp(ra.bytes, rb.bytes, sizeof ra.bytes)) << "rdup " << t << " " << c1;
      for (int c2 : chars) {
        Buffer pa(t), pb(t);
        EXPECT_EQ(srv("replace", pa.bytes, c1, c2), cli("replace", pb.bytes, c1, c2));
        EXPECT_EQ(0, std::memcmp(pa.bytes, pb.bytes, sizeof pa.bytes)) << "replace " << t;
      }
    }
  }
}

}  // namespace
