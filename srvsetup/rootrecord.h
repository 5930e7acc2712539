// A virtual root's record as the web service keeps it: directory, a second
// field of the web service's own, access flags in signed decimal, then
// anything further, separated by commas. Platform-free text work behind
// IISInstallVirtualDir.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace srvsetup {

// Reads access flags as the records hold them: white space (space, tab, line
// feed, vertical tab, form feed, carriage return) skipped, one optional sign,
// then decimal digits up to the first other character. No digits read as 0;
// the arithmetic is 32-bit and wraps.
std::int32_t read_flags(std::string_view text);

// Writes `stored` with `flags` added to its access flags: the first two fields
// unchanged, the third replaced by its old value OR `flags`, and any text
// behind the third field's comma kept behind a comma. Missing fields count as
// empty. `stored` ends at its first zero byte. False, with `out` left empty,
// when the record and its terminator would not fit `capacity`.
bool merge_root_record(std::string_view stored, std::int32_t flags, char* out, std::size_t capacity);

// Writes the record of a new root: the directory as given, an empty second
// field and the flags. False, with `out` left empty, when it would not fit.
bool new_root_record(std::string_view directory, std::int32_t flags, char* out, std::size_t capacity);

}  // namespace srvsetup
