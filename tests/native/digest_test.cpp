#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>

#include "digest.h"
#include "digest_reference.h"

using namespace setupcore;

namespace {

std::string digest_text(const char* text) {
  char out[kDigestTextSize];
  EXPECT_TRUE(format_digest(digest(text), out, sizeof out));
  return out;
}
std::string digest_text(const std::string& text) { return digest_text(text.c_str()); }

std::string random_text(std::mt19937& rng, std::size_t length) {
  std::string text(length, '\0');
  for (auto& c : text) c = static_cast<char>(1 + rng() % 255);  // no zero: it would end the text
  return text;
}

TEST(Digest, PublishedVectors) {
  struct Case {
    const char* text;
    const char* out;
  } cases[] = {
      {"abc", "65B4AB04CADBBE3D"}, {"ABC", "65B4AB04CADBBE3D"},  {"aBc", "65B4AB04CADBBE3D"},
      {"", "2DFD1072FFFFFFFF"},    {"a", "4870F6FC174841BC"},    {"q", "49E145E8AFF51D8"},
      {"0", "20CF3D1B2420DE"},     {"\xC4", "A111ED8B1F416DB"}, {"\xE4", "93278F08A9A3613"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.out, digest_text(c.text)) << c.text;
}

TEST(Digest, ValuesBehindTheText) {
  const Digest d = digest("abc");
  EXPECT_EQ(0x65B4AB04u, d.mirrored);
  EXPECT_EQ(0xCADBBE3Du, d.forward);
}

TEST(Digest, MatchesAPlainImplementationOnLongAndHighByteTexts) {
  std::mt19937 rng(12345);
  for (std::size_t len : {1u, 2u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 64u, 65u, 1000u, 4096u, 100003u}) {
    const std::string text = random_text(rng, len);
    EXPECT_EQ(digest_reference::text(text), digest_text(text)) << "length " << len;
  }
}

// The text is read a byte at a time up to an aligned block, then in blocks of
// eight, then a byte at a time up to the terminator; backwards in blocks from
// the end. Every start alignment and every length up to a few blocks puts the
// terminator at each place in a block. The bytes after the terminator are
// left non-zero: the block holding it is read whole and they must not count.
TEST(Digest, EveryAlignmentAndTerminatorPlace) {
  std::mt19937 rng(777);
  alignas(8) char buffer[64];
  for (std::size_t offset = 0; offset < 8; ++offset) {
    for (std::size_t len = 0; len <= 40; ++len) {
      const std::string text = random_text(rng, len);
      std::memset(buffer, 'X', sizeof buffer);
      std::memcpy(buffer + offset, text.c_str(), len + 1);
      EXPECT_EQ(digest_reference::text(text), digest_text(buffer + offset)) << "offset " << offset << ", length " << len;
    }
  }
}

// Only A-Z and a-z change, wherever a byte sits in a block: in the word
// folded arithmetically or in the one folded by table, in either pass. The
// bounds of both letter ranges and their copies with the top bit set are the
// likely slips, and every byte value is tried.
TEST(Digest, FoldsOnlyAsciiLettersAtEveryPlaceInABlock) {
  alignas(8) char buffer[17];
  for (int value = 1; value < 256; ++value) {
    for (std::size_t place = 0; place < 16; ++place) {
      std::string text(16, 'm');
      text[place] = static_cast<char>(value);
      std::memcpy(buffer, text.c_str(), sizeof buffer);
      ASSERT_EQ(digest_reference::text(text), digest_text(buffer)) << "byte " << value << " at " << place;
    }
  }
}

// Texts that end at the last byte of a page followed by an unmapped one, or
// start at the first byte of a page after an unmapped one: a read beyond the
// page of the text, forwards or backwards, faults.
TEST(Digest, ReadsNothingOutsideTheTextsPages) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  void* map = mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(MAP_FAILED, map);
  char* guard_before = static_cast<char*>(map);
  char* middle = guard_before + page;
  ASSERT_EQ(0, mprotect(guard_before, page, PROT_NONE));
  ASSERT_EQ(0, mprotect(middle + page, page, PROT_NONE));

  std::mt19937 rng(99);
  for (std::size_t len = 0; len <= 24; ++len) {
    const std::string text = random_text(rng, len);
    char* at_end = middle + page - (len + 1);
    std::memcpy(at_end, text.c_str(), len + 1);
    EXPECT_EQ(digest_reference::text(text), digest_text(at_end)) << "ending the page, length " << len;
    std::memcpy(middle, text.c_str(), len + 1);
    EXPECT_EQ(digest_reference::text(text), digest_text(middle)) << "starting the page, length " << len;
  }
  munmap(map, 3 * page);
}

TEST(Digest, FormatRefusesASmallBuffer) {
  char out[8] = "unused";
  EXPECT_FALSE(format_digest(digest("abc"), out, 16));
  char exact[16];
  EXPECT_TRUE(format_digest(digest("q"), exact, sizeof exact)) << "15 hex digits and the zero";
  EXPECT_STREQ("49E145E8AFF51D8", exact);
}

}  // namespace
