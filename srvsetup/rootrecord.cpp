#include "rootrecord.h"

#include "fields.h"

namespace srvsetup {

std::int32_t read_flags(std::string_view text) {
  std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at == std::string_view::npos) return 0;
  const bool negative = text[at] == '-';
  if (text[at] == '-' || text[at] == '+') ++at;
  std::uint32_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    value = value * 10u + static_cast<std::uint32_t>(text[at] - '0');
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

bool merge_root_record(std::string_view stored, std::int32_t flags, char* out, std::size_t capacity) {
  std::string_view rest = up_to_zero(stored);
  const std::string_view directory = take_field(rest);
  const std::string_view second = take_field(rest);
  const std::int32_t merged = read_flags(take_field(rest)) | flags;

  BoundedText record(out, capacity);
  record << directory << kFieldSeparator << second << kFieldSeparator << merged;
  // A comma that ended the record has nothing behind it and goes.
  if (!rest.empty()) record << kFieldSeparator << rest;
  return record.finish();
}

bool new_root_record(std::string_view directory, std::int32_t flags, char* out, std::size_t capacity) {
  BoundedText record(out, capacity);
  record << up_to_zero(directory) << kFieldSeparator << kFieldSeparator << flags;
  return record.finish();
}

}  // namespace srvsetup
