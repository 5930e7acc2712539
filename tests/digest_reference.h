// A second, deliberately plain digest for the tests: bit by bit, whole
// passes, nothing shared with the shipped code. Used by the native tests,
// the fuzzer and the tests through the DLLs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace digest_reference {

inline std::uint32_t feed(std::uint32_t reg, unsigned char b) {
  reg ^= b;
  for (int i = 0; i < 8; ++i) reg = (reg & 1) ? (reg >> 1) ^ 0xEDB88320u : reg >> 1;
  return reg;
}

struct Values {
  std::uint32_t mirrored;
  std::uint32_t forward;
};

inline Values values(std::string_view text) {
  auto lower = [](unsigned char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c); };
  auto upper = [](unsigned char c) { return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c); };
  std::uint32_t forward = 0xFFFFFFFF;
  for (unsigned char c : text) forward = feed(forward, lower(c));
  std::uint32_t mirrored = 0xFFFFFFFF;
  for (unsigned char c : text) mirrored = feed(mirrored, lower(c));
  mirrored = feed(mirrored, 0);
  for (auto it = text.rbegin(); it != text.rend(); ++it) mirrored = feed(mirrored, upper(*it));
  return {mirrored, forward};
}

// "%X%X" of the mirrored value, then the forward one.
inline std::string text(std::string_view input) {
  const Values v = values(input);
  char out[32];
  std::snprintf(out, sizeof out, "%X%X", static_cast<unsigned>(v.mirrored), static_cast<unsigned>(v.forward));
  return out;
}

}  // namespace digest_reference
