// Checks a builder that writes into a caller-sized buffer: it must fit in
// exactly the room its result needs and refuse one byte less, leaving the
// empty text. Both buffers are heap blocks of exactly that size, so the
// sanitizer reports any byte written past the capacity.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>

template <typename Build>
void expect_exact_capacity(const std::string& expected, Build build) {
  const std::size_t needed = expected.size() + 1;
  std::unique_ptr<char[]> exact(new char[needed]);
  std::fill_n(exact.get(), needed, '#');
  EXPECT_TRUE(build(exact.get(), needed));
  EXPECT_EQ(expected, std::string(exact.get()));

  std::unique_ptr<char[]> short_by_one(new char[needed - 1 ? needed - 1 : 1]);
  std::fill_n(short_by_one.get(), needed - 1 ? needed - 1 : 1, '#');
  EXPECT_FALSE(build(short_by_one.get(), needed - 1)) << "one byte short of " << needed;
  if (needed > 1) {
    EXPECT_EQ('\0', short_by_one[0]) << "a text that did not fit leaves the empty text";
  } else {
    EXPECT_EQ('#', short_by_one[0]) << "no capacity, nothing written";
  }
}
