#include "digest.h"

#include <array>
#include <cstring>

namespace setupcore {
namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "a word read from the text holds its first byte in the low bits");

// The text is read as words. The block read below goes through a may_alias
// type since it reads chars as words.
using Word = std::uint32_t;
typedef Word __attribute__((may_alias)) AliasedWord;
using CrcTable = std::array<std::uint32_t, 256>;

// The text goes in eight bytes at a time, as two words.
constexpr std::size_t kBlockSize = 2 * sizeof(Word);

// crc[0] is the CRC-32 byte table; crc[k][i] is what byte i leaves in the
// register once k more zero bytes have followed it. With them a block goes
// in with eight independent lookups instead of a chain of eight.
constexpr std::array<CrcTable, kBlockSize> make_crc_tables() {
  std::array<CrcTable, kBlockSize> crc{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t x = i;
    for (int bit = 0; bit < 8; ++bit) x = (x & 1) ? (x >> 1) ^ 0xEDB88320u : x >> 1;
    crc[0][i] = x;
  }
  for (std::size_t k = 1; k < crc.size(); ++k)
    for (std::size_t i = 0; i < 256; ++i) crc[k][i] = (crc[k - 1][i] >> 8) ^ crc[0][crc[k - 1][i] & 0xFF];
  return crc;
}

// Fixed at build time: no first-call fill, so no ready flag and no race.
constexpr std::array<CrcTable, kBlockSize> kCrc = make_crc_tables();

// One direction of the ASCII case fold: the letters first_letter to
// last_letter get bit 0x20 flipped, every other byte passes. It is applied by
// table to single bytes and arithmetically to whole words.
struct CaseFold {
  unsigned char first_letter, last_letter;
  std::array<unsigned char, 256> table;
};

constexpr CaseFold make_fold(unsigned char first_letter, unsigned char last_letter) {
  CaseFold fold{first_letter, last_letter, {}};
  for (int b = 0; b < 256; ++b)
    fold.table[b] = static_cast<unsigned char>(b >= first_letter && b <= last_letter ? b ^ 0x20 : b);
  return fold;
}

constexpr CaseFold kToLower = make_fold('A', 'Z');
constexpr CaseFold kToUpper = make_fold('a', 'z');

constexpr Word kOnes = 0x01010101u;
constexpr Word kHighBits = 0x80808080u;

constexpr bool has_zero_byte(Word w) { return ((w - kOnes) & ~w & kHighBits) != 0; }

// Adding to the low seven bits of each byte carries into its top bit exactly
// when the byte reaches a bound, and never into the next byte; a byte from
// 0x80 up is kept out by its own top bit. Shifted down by two, the top bit of
// each letter is the 0x20 to flip.
// The DLLs are built for size, which would leave this and feed_block as calls
// made once per block: hence always_inline.
__attribute__((always_inline)) constexpr Word fold_word(Word w, const CaseFold& fold) {
  const Word low7 = w & ~kHighBits;
  const Word from_first = low7 + kOnes * (0x80 - fold.first_letter);
  const Word past_last_or_high = (low7 + kOnes * (0x7F - fold.last_letter)) | w;
  const Word in_range = from_first & ~past_last_or_high & kHighBits;
  return w ^ (in_range >> 2);
}

constexpr std::uint32_t feed(std::uint32_t reg, unsigned char b) {
  return kCrc[0][(b ^ reg) & 0xFF] ^ (reg >> 8);
}

std::uint32_t feed(std::uint32_t reg, const CaseFold& fold, char c) {
  return feed(reg, fold.table[static_cast<unsigned char>(c)]);
}

// Feeds one block, the words in text order, folding it on the way. Only the
// first word meets the register, so only it is folded as a word; the
// second's bytes are folded by table as they are taken apart for the CRC
// lookups anyway, which costs less.
__attribute__((always_inline)) inline std::uint32_t feed_block(std::uint32_t reg, Word first, Word second,
                                                               const CaseFold& fold) {
  const Word a = fold_word(first, fold) ^ reg;
  const auto& f = fold.table;
  return kCrc[7][a & 0xFF] ^ kCrc[6][(a >> 8) & 0xFF] ^ kCrc[5][(a >> 16) & 0xFF] ^ kCrc[4][a >> 24] ^
         kCrc[3][f[second & 0xFF]] ^ kCrc[2][f[(second >> 8) & 0xFF]] ^ kCrc[1][f[(second >> 16) & 0xFF]] ^
         kCrc[0][f[second >> 24]];
}

// The one read that may go past the text's end: the block holding the
// terminator is read whole. Being aligned, it never reaches into another
// page, so it can't fault; the address checker is told so.
__attribute__((no_sanitize("address"))) inline void read_aligned_block(const char* p, Word& first, Word& second) {
  const AliasedWord* words = reinterpret_cast<const AliasedWord*>(p);
  first = words[0];
  second = words[1];
}

// Feeds the text lower-cased up to its terminator, finding its length on the
// way instead of in a pass of its own.
std::uint32_t feed_lower(std::uint32_t reg, const char* text, std::size_t& length) {
  const char* p = text;
  while (*p != '\0' && reinterpret_cast<std::uintptr_t>(p) % kBlockSize != 0) reg = feed(reg, kToLower, *p++);
  if (*p != '\0') {
    for (;; p += kBlockSize) {
      Word first, second;
      read_aligned_block(p, first, second);
      if (has_zero_byte(first) || has_zero_byte(second)) break;
      reg = feed_block(reg, first, second, kToLower);
    }
    while (*p != '\0') reg = feed(reg, kToLower, *p++);
  }
  length = static_cast<std::size_t>(p - text);
  return reg;
}

// Feeds the text upper-cased from its last byte back to its first. Read
// backwards, a block's last word comes first, each word byte-swapped.
std::uint32_t feed_upper_reversed(std::uint32_t reg, const char* text, std::size_t length) {
  const char* p = text + length;
  while (static_cast<std::size_t>(p - text) >= kBlockSize) {
    p -= kBlockSize;
    Word last, before_last;
    std::memcpy(&last, p + sizeof(Word), sizeof last);
    std::memcpy(&before_last, p, sizeof before_last);
    reg = feed_block(reg, __builtin_bswap32(last), __builtin_bswap32(before_last), kToUpper);
  }
  while (p != text) reg = feed(reg, kToUpper, *--p);
  return reg;
}

std::size_t put_hex(std::uint32_t v, char* out) {
  char digits[8];
  std::size_t n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[v & 0xF];
    v >>= 4;
  } while (v != 0);
  for (std::size_t i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return n;
}

std::size_t hex_length(std::uint32_t v) {
  std::size_t n = 1;
  while (v >>= 4) ++n;
  return n;
}

}  // namespace

Digest digest(const char* text) {
  std::size_t length = 0;
  const std::uint32_t forward = feed_lower(0xFFFFFFFFu, text, length);
  // The mirrored pass begins with exactly the forward pass's bytes, so it
  // carries on from that register.
  const std::uint32_t mirrored = feed_upper_reversed(feed(forward, 0), text, length);
  return {mirrored, forward};
}

bool format_digest(const Digest& d, char* out, std::size_t capacity) {
  if (hex_length(d.mirrored) + hex_length(d.forward) + 1 > capacity) return false;
  std::size_t n = put_hex(d.mirrored, out);
  n += put_hex(d.forward, out + n);
  out[n] = '\0';
  return true;
}

}  // namespace setupcore
