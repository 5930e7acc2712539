#include "filterlist.h"

#include <algorithm>

#include "fields.h"

namespace srvsetup {

namespace {

constexpr char kPathSeparator = '\\';
constexpr char kSpace = ' ';

// Spaces only: a tab or any other byte belongs to the entry.
std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// The whole path when it has no backslash.
std::string_view file_name(std::string_view path) {
  return path.substr(path.rfind(kPathSeparator) + 1);
}

constexpr char fold_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return fold_ascii(x) == fold_ascii(y); });
}

}  // namespace

bool rebuild_filter_list(std::string_view stored, std::string_view new_path, char* out,
                         std::size_t capacity) {
  stored = up_to_zero(stored);
  new_path = up_to_zero(new_path);
  // A bare file name can't tell an older copy from another module, so it
  // replaces nothing.
  const bool replaces = new_path.find(kPathSeparator) != std::string_view::npos;
  const std::string_view new_name = file_name(new_path);

  BoundedText list(out, capacity);
  list << new_path;
  while (!stored.empty()) {
    const std::string_view entry = trimmed(take_field(stored));
    if (entry.empty()) continue;
    if (replaces && same_name(file_name(entry), new_name)) continue;
    list << kFieldSeparator << entry;
  }
  return list.finish();
}

bool find_filter_dir(std::string_view list, std::string_view name, char* out, std::size_t capacity) {
  list = up_to_zero(list);
  BoundedText directory(out, capacity);
  while (!list.empty()) {
    const std::string_view entry = trimmed(take_field(list));
    const std::size_t last = entry.rfind(kPathSeparator);
    if (last == std::string_view::npos) continue;
    if (!same_name(entry.substr(last + 1), name)) continue;
    directory << entry.substr(0, last + 1);
    return directory.finish();
  }
  directory.finish();
  return false;
}

}  // namespace srvsetup
