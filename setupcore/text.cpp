#include "text.h"

namespace setupcore {

int trim(char* text) {
  if (*text == '\0') return 1;
  const char* first = text;
  while (*first == kSpace) ++first;
  char* out = text;
  if (first != text) {
    // Front-to-back copy: source and destination overlap, source ahead.
    while ((*out = *first) != '\0') ++out, ++first;
  } else {
    while (*out != '\0') ++out;
  }
  if (out == text) return 1;
  // No lower bound needed: the first byte is not a space after the move.
  char* last = out - 1;
  while (*last == kSpace) --last;
  last[1] = '\0';
  return 1;
}

bool is_empty(char* text) {
  trim(text);
  return *text == '\0';
}

void replace_char(char* text, int from, int to) {
  const char f = static_cast<char>(low8(from));
  const char t = static_cast<char>(low8(to));
  if (*text == '\0') return;
  // The end is judged by the byte after the one visited, so writing a zero
  // does not shorten the walk.
  char* p = text;
  do {
    if (*p == f) *p = t;
    ++p;
  } while (*p != '\0');
}

void reduce_runs(char* text, int c) {
  const char ch = static_cast<char>(low8(c));
  const char* read = text;
  char* write = text;
  while (*read != '\0') {
    const char copied = *read++;
    *write++ = copied;
    if (copied == ch) {
      while (*read == ch) ++read;
    }
  }
  *write = '\0';
}

const char* find_char(const char* text, int c) {
  const char ch = static_cast<char>(low8(c));
  for (;; ++text) {
    if (*text == ch) return text;
    if (*text == '\0') return nullptr;
  }
}

const char* find_last(const char* text, int c) {
  const char ch = static_cast<char>(low8(c));
  const char* found = nullptr;
  for (;; ++text) {
    if (*text == ch) found = text;
    if (*text == '\0') return found;
  }
}

bool verify_address(const char* text) {
  return find_char(text, ',') == nullptr && find_char(text, kSpace) == nullptr;
}

const char* nextfield(const char* source, char* field, std::size_t capacity,
                      const char* separators) {
  if (capacity == 0) return nullptr;
  std::size_t n = 0;
  while (*source != '\0' && find_char(separators, static_cast<unsigned char>(*source)) == nullptr) {
    if (n + 1 >= capacity) {
      field[0] = '\0';
      return nullptr;
    }
    field[n++] = *source++;
  }
  field[n] = '\0';
  return source;
}

}  // namespace setupcore
