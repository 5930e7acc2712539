// The string digest: two CRC-32 registers (reflected 0xEDB88320, start
// 0xFFFFFFFF, no final complement) over an ASCII-case-folded text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace setupcore {

struct Digest {
  std::uint32_t mirrored;  // lower(text), a zero byte, upper(text) reversed
  std::uint32_t forward;   // lower(text)
};

// Takes the text zero-terminated: its length is found while it is read.
// The aligned eight bytes that hold the terminator are read whole, so up to
// seven bytes past it may be read, never outside the terminator's page.
Digest digest(const char* text);

// Writes "%X%X" of mirrored then forward, terminated. False (and nothing
// written) when `capacity` can't hold it; 17 bytes always do.
bool format_digest(const Digest& d, char* out, std::size_t capacity);

constexpr std::size_t kDigestTextSize = 17;

}  // namespace setupcore
