#include "digest.h"

#include <array>

namespace setupcore {
namespace {

constexpr std::array<std::uint32_t, 256> make_table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t x = i;
    for (int bit = 0; bit < 8; ++bit) x = (x & 1) ? (x >> 1) ^ 0xEDB88320u : x >> 1;
    table[i] = x;
  }
  return table;
}

// Fixed at build time: no first-call fill, so no ready flag and no race.
constexpr std::array<std::uint32_t, 256> kTable = make_table();

constexpr unsigned char lower(unsigned char b) { return (b >= 'A' && b <= 'Z') ? b + 32 : b; }
constexpr unsigned char upper(unsigned char b) { return (b >= 'a' && b <= 'z') ? b - 32 : b; }

constexpr std::uint32_t feed(std::uint32_t reg, unsigned char b) {
  return kTable[(b ^ reg) & 0xFF] ^ (reg >> 8);
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

Digest digest(std::string_view text) {
  std::uint32_t reg = 0xFFFFFFFFu;
  for (unsigned char b : text) reg = feed(reg, lower(b));
  const std::uint32_t forward = reg;
  // The mirrored pass begins with exactly the forward pass's bytes, so it
  // carries on from that register.
  reg = feed(reg, 0);
  for (auto it = text.rbegin(); it != text.rend(); ++it) reg = feed(reg, upper(static_cast<unsigned char>(*it)));
  return {reg, forward};
}

bool format_digest(const Digest& d, char* out, std::size_t capacity) {
  if (hex_length(d.mirrored) + hex_length(d.forward) + 1 > capacity) return false;
  std::size_t n = put_hex(d.mirrored, out);
  n += put_hex(d.forward, out + n);
  out[n] = '\0';
  return true;
}

}  // namespace setupcore
