// Checks a builder that writes into a caller-sized buffer against the text it
// should write, at the capacities where faults hide: none at all, one byte,
// one short of the text and its terminator, exactly enough, one more, and one
// the fuzzer picks. Each buffer is a heap block of exactly that size, so the
// address checker reports any byte written past the capacity.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

// `expected` empty: the builder must report failure at every capacity.
template <typename Build>
void check_bounded_output(const std::optional<std::string>& expected, std::size_t fuzzed_capacity, Build build) {
  const std::size_t needed = expected ? expected->size() + 1 : 1;
  const std::size_t capacities[] = {0, 1, needed - 1, needed, needed + 1, fuzzed_capacity};
  for (const std::size_t capacity : capacities) {
    std::unique_ptr<char[]> out(new char[capacity]);
    std::memset(out.get(), '#', capacity);
    const bool fits = build(out.get(), capacity);
    assert(fits == (expected && needed <= capacity));
    if (fits) {
      assert(std::memcmp(out.get(), expected->data(), needed) == 0);  // terminator included
    } else if (capacity > 0) {
      assert(out[0] == '\0');  // a text that did not fit leaves the empty text
    }
  }
}
