// The web service's filter list: the paths of the filter modules it loads,
// separated by commas. Platform-free text work behind IISAddFilter and
// GetFilterDir.
#pragma once

#include <cstddef>
#include <string_view>

namespace srvsetup {

// File name of the product's own filter module.
constexpr char kFilterFileName[] = "sitefilt.dll";

// Writes the list that registers `new_path` ahead of the `stored` list: the
// new path exactly as given, then each stored entry, trimmed of spaces and
// behind one comma. Empty entries go; so does every entry whose file name
// (the text behind its last backslash) equals the new path's, ASCII case
// folded, unless the new path has no backslash. Texts end at their first
// zero byte. False, with `out` left empty, when the list and its terminator
// would not fit `capacity`.
bool rebuild_filter_list(std::string_view stored, std::string_view new_path, char* out,
                         std::size_t capacity);

// Writes the directory, up to and including the last backslash, of the first
// entry of `list` that has a backslash and whose file name equals
// `file_name`, ASCII case folded; the entry is trimmed of spaces first. False,
// with `out` left empty, when no entry matches or the directory and its
// terminator would not fit `capacity`.
bool find_filter_dir(std::string_view list, std::string_view file_name, char* out,
                     std::size_t capacity);

}  // namespace srvsetup
