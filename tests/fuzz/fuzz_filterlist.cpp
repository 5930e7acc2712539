// Filter-list rebuild and filter-directory search on arbitrary lists, paths
// and capacities, against a plain reference of the list rules: a rebuild
// that reports success has lost no entry, added none and kept their order,
// and nothing is ever written past the buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <string>
#include <vector>

#include "bounded_output.h"
#include "filterlist.h"

using namespace srvsetup;

namespace {

std::string up_to_zero(std::string text) { return text.substr(0, text.find('\0')); }

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool same_name(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

std::string trimmed(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && text[first] == ' ') ++first;
  while (last > first && text[last - 1] == ' ') --last;
  return text.substr(first, last - first);
}

// The list's entries trimmed, empty ones included.
std::vector<std::string> entries(const std::string& list) {
  std::vector<std::string> result;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    result.push_back(trimmed(list.substr(start, comma - start)));
    if (comma == std::string::npos) return result;
    start = comma + 1;
  }
}

bool has_backslash(const std::string& path) { return path.find('\\') != std::string::npos; }

std::string file_name(const std::string& path) {
  const std::size_t last = path.rfind('\\');
  return last == std::string::npos ? path : path.substr(last + 1);
}

// The new path first, then every stored entry that is not empty once trimmed
// and does not name the new module, in the stored order: none lost, none
// added.
std::string expected_list(const std::string& stored, const std::string& new_path) {
  std::string list = new_path;
  for (const std::string& entry : entries(stored)) {
    if (entry.empty()) continue;
    if (has_backslash(new_path) && same_name(file_name(entry), file_name(new_path))) continue;
    list += ',' + entry;
  }
  return list;
}

std::optional<std::string> expected_dir(const std::string& list, const std::string& name) {
  for (const std::string& entry : entries(list)) {
    if (has_backslash(entry) && same_name(file_name(entry), name)) return entry.substr(0, entry.rfind('\\') + 1);
  }
  return std::nullopt;
}

// Flips the letter case of the bytes the mask picks, so names that differ
// only in case turn up often.
std::string flip_case(std::string text, std::uint32_t mask) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((mask >> (i % 32) & 1) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) text[i] = c ^ 0x20;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t fuzzed_capacity = input.ConsumeIntegralInRange<std::size_t>(0, 4096);
  const bool borrow = input.ConsumeBool();
  const std::size_t pick = input.ConsumeIntegral<std::uint8_t>();
  const std::uint32_t case_mask = input.ConsumeIntegral<std::uint32_t>();
  std::string new_path = input.ConsumeRandomLengthString(512);
  const std::string stored = input.ConsumeRemainingBytesAsString();

  // Most new paths worth trying name a module the list already holds: take
  // one of its entries, perhaps under another directory, in other letters.
  if (borrow) {
    const std::vector<std::string> stored_entries = entries(up_to_zero(stored));
    new_path = flip_case(new_path + stored_entries[pick % stored_entries.size()], case_mask);
  }

  const std::string list = expected_list(up_to_zero(stored), up_to_zero(new_path));
  check_bounded_output(list, fuzzed_capacity, [&](char* out, std::size_t capacity) {
    return rebuild_filter_list(stored, new_path, out, capacity);
  });

  // The search looks for the new path's file name and for the product's own.
  const std::string name = flip_case(file_name(up_to_zero(new_path)), ~case_mask);
  for (const std::string& wanted : {name, std::string(kFilterFileName)}) {
    check_bounded_output(expected_dir(up_to_zero(stored), wanted), fuzzed_capacity,
                         [&](char* out, std::size_t capacity) { return find_filter_dir(stored, wanted, out, capacity); });
  }
  return 0;
}
