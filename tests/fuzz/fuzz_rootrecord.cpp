// Root records on arbitrary stored texts, flags and capacities: the flags
// read by the decimal rule, the merge keeping every byte it doesn't own, and
// nothing written past the buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bounded_output.h"
#include "rootrecord.h"

using namespace srvsetup;

namespace {

bool is_white(char c) {
  switch (c) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r': return true;
    default: return false;
  }
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::int32_t reference_flags(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && is_white(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t value = 0;
  while (i < text.size() && is_digit(text[i])) value = value * 10 + static_cast<std::uint32_t>(text[i++] - '0');
  return static_cast<std::int32_t>(negative ? 0 - value : value);
}

// The C library reads the same white space, sign and digits; up to 18 digits
// it does so exactly, and the low 32 bits of that are what the wrapping rule
// gives.
void cross_check_with_strtoll(const std::string& text, std::int32_t flags) {
  const std::string terminated = text.substr(0, text.find('\0'));
  const char* p = terminated.c_str();
  while (is_white(*p)) ++p;
  if (*p == '+' || *p == '-') ++p;
  std::size_t digits = 0;
  while (is_digit(p[digits])) ++digits;
  if (digits > 18) return;
  const long long value = std::strtoll(terminated.c_str(), nullptr, 10);
  assert(flags == static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<unsigned long long>(value))));
}

std::string decimal(std::int32_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(n));
  return text;
}

// Cuts the next comma-separated field off `rest`, and the comma with it.
std::string field(std::string& rest) {
  const std::size_t comma = rest.find(',');
  std::string f = rest.substr(0, comma);
  rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
  return f;
}

std::string merged(const std::string& stored, std::int32_t flags) {
  std::string rest = stored.substr(0, stored.find('\0'));
  const std::string directory = field(rest);
  const std::string second = field(rest);
  const std::string third = field(rest);
  std::string record = directory + ',' + second + ',' + decimal(reference_flags(third) | flags);
  if (!rest.empty()) record += ',' + rest;
  return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t fuzzed_capacity = input.ConsumeIntegralInRange<std::size_t>(0, 2048);
  const std::int32_t flags = input.ConsumeIntegral<std::int32_t>();
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::int32_t read = read_flags(text);
  assert(read == reference_flags(text));
  cross_check_with_strtoll(text, read);

  const std::string record = merged(text, flags);
  check_bounded_output(record, fuzzed_capacity,
                       [&](char* out, std::size_t capacity) { return merge_root_record(text, flags, out, capacity); });

  // Merging again adds nothing new and keeps the record as it is.
  check_bounded_output(record, fuzzed_capacity,
                       [&](char* out, std::size_t capacity) { return merge_root_record(record, flags, out, capacity); });

  const std::string directory = text.substr(0, text.find('\0'));
  check_bounded_output(directory + ",," + decimal(flags), fuzzed_capacity, [&](char* out, std::size_t capacity) {
    return new_root_record(text, flags, out, capacity);
  });
  return 0;
}
