// Text routines over zero-terminated narrow texts, byte by byte.
// Platform-free: no locale, no code page, no allocation. "Space" is byte 32
// only; a character passed as an int counts by its low 8 bits.
#pragma once

#include <cstddef>

namespace setupcore {

constexpr char kSpace = ' ';

constexpr unsigned char low8(int c) { return static_cast<unsigned char>(c & 0xFF); }

// Removes leading and trailing spaces in place. Always 1.
int trim(char* text);

// Trims in place; true when nothing is left.
bool is_empty(char* text);

// Replaces every byte equal to `from` by `to`, up to the terminator the text
// had on entry, even when `to` is 0.
void replace_char(char* text, int from, int to);

// Cuts every run of two or more `c` to a single one.
void reduce_runs(char* text, int c);

// True when the text holds neither a comma nor a space.
bool verify_address(const char* text);

// First / last occurrence of the low 8 bits of `c`, exactly as strchr and
// strrchr: a search for 0 finds the terminator.
const char* find_char(const char* text, int c);
const char* find_last(const char* text, int c);
inline char* find_char(char* text, int c) {
  return const_cast<char*>(find_char(static_cast<const char*>(text), c));
}
inline char* find_last(char* text, int c) {
  return const_cast<char*>(find_last(static_cast<const char*>(text), c));
}

// Next-field copy: copies `source` up to the first byte of `separators` (or
// its end) into `field`, terminated. Returns where the copy stopped (the
// separator, not stepped over, or the terminator). Returns nullptr and leaves
// `field` empty when the field and its terminator would not fit `capacity`.
const char* nextfield(const char* source, char* field, std::size_t capacity,
                      const char* separators);

}  // namespace setupcore
