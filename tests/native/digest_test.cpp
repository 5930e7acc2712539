#include <gtest/gtest.h>

#include <random>
#include <string>

#include "digest.h"

using namespace setupcore;

namespace {

std::string digest_text(std::string_view text) {
  char out[kDigestTextSize];
  EXPECT_TRUE(format_digest(digest(text), out, sizeof out));
  return out;
}

// A second, deliberately plain implementation: bit by bit, whole passes.
std::uint32_t crc_bits(std::uint32_t reg, unsigned char b) {
  reg ^= b;
  for (int i = 0; i < 8; ++i) reg = (reg & 1) ? (reg >> 1) ^ 0xEDB88320u : reg >> 1;
  return reg;
}
std::string reference(const std::string& text) {
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
  std::uint32_t f = 0xFFFFFFFF, m = 0xFFFFFFFF;
  for (unsigned char c : text) f = crc_bits(f, lower(c));
  for (unsigned char c : text) m = crc_bits(m, lower(c));
  m = crc_bits(m, 0);
  for (auto it = text.rbegin(); it != text.rend(); ++it) m = crc_bits(m, upper(*it));
  char out[32];
  std::snprintf(out, sizeof out, "%X%X", m, f);
  return out;
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
    std::string text(len, '\0');
    for (auto& c : text) c = static_cast<char>(1 + rng() % 255);  // no zero: it would end the text
    EXPECT_EQ(reference(text), digest_text(text)) << "length " << len;
  }
}

TEST(Digest, FormatRefusesASmallBuffer) {
  char out[8] = "unused";
  EXPECT_FALSE(format_digest(digest("abc"), out, 16));
  char exact[16];
  EXPECT_TRUE(format_digest(digest("q"), exact, sizeof exact)) << "15 hex digits and the zero";
  EXPECT_STREQ("49E145E8AFF51D8", exact);
}

}  // namespace
