// strconv as shipped: the i686 build of the digest, called through both
// DLLs, against a plain bit-by-bit reference. The native tests cover the same
// source; this catches what only the 32-bit, size-optimised build could get
// wrong, at the alignments and page edges the word-wise reads care about.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "digest_reference.h"
#include "harness.h"

namespace {

std::string random_text(std::mt19937& rng, std::size_t length) {
  std::string text(length, '\0');
  for (auto& c : text) c = static_cast<char>(1 + rng() % 255);
  return text;
}

class StrconvExport : public ::testing::TestWithParam<const char*> {
 protected:
  std::string strconv(const char* text) {
    char out[32];
    std::memset(out, 'X', sizeof out);
    EXPECT_EQ(1, dll_("strconv", text, out));
    EXPECT_EQ(nullptr, std::memchr(out + 17, '\0', sizeof out - 17)) << "wrote past 17 bytes";
    return out;
  }
  harness::Dll dll_{GetParam()};
};

TEST_P(StrconvExport, MatchesTheReferenceAtEveryAlignmentAndLength) {
  std::mt19937 rng(4242);
  alignas(8) char buffer[80];
  for (std::size_t offset = 0; offset < 8; ++offset) {
    for (std::size_t len : {0u, 1u, 3u, 7u, 8u, 9u, 12u, 15u, 16u, 17u, 23u, 24u, 25u, 31u, 40u, 63u}) {
      const std::string text = random_text(rng, len);
      std::memset(buffer, 'X', sizeof buffer);
      std::memcpy(buffer + offset, text.c_str(), len + 1);
      EXPECT_EQ(digest_reference::text(text), strconv(buffer + offset)) << "offset " << offset << ", length " << len;
    }
  }
  const std::string long_text = random_text(rng, 70001);
  EXPECT_EQ(digest_reference::text(long_text), strconv(long_text.c_str()));
  EXPECT_EQ("65B4AB04CADBBE3D", strconv("aBc"));
}

// A text ending at the last byte before a no-access page, and one starting
// right after such a page: a read outside the text's own page faults.
TEST_P(StrconvExport, ReadsNothingOutsideTheTextsPages) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const std::size_t page = info.dwPageSize;
  auto* base = static_cast<char*>(VirtualAlloc(nullptr, 3 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(nullptr, base);
  DWORD old;
  ASSERT_TRUE(VirtualProtect(base, page, PAGE_NOACCESS, &old));
  ASSERT_TRUE(VirtualProtect(base + 2 * page, page, PAGE_NOACCESS, &old));
  char* middle = base + page;

  std::mt19937 rng(17);
  for (std::size_t len = 0; len <= 20; ++len) {
    const std::string text = random_text(rng, len);
    char* at_end = middle + page - (len + 1);
    std::memcpy(at_end, text.c_str(), len + 1);
    EXPECT_EQ(digest_reference::text(text), strconv(at_end)) << "ending the page, length " << len;
    std::memcpy(middle, text.c_str(), len + 1);
    EXPECT_EQ(digest_reference::text(text), strconv(middle)) << "starting the page, length " << len;
  }
  VirtualFree(base, 0, MEM_RELEASE);
}

INSTANTIATE_TEST_SUITE_P(BothLibraries, StrconvExport, ::testing::Values("srvsetup.dll", "clisetup.dll"));

}  // namespace
