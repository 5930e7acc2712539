// The web service's virtual roots: one value per root below the root table,
// named by the root, or by the root followed by a comma.
#include <cstring>
#include <string_view>

#include "exports.h"
#include "registry.h"
#include "rootrecord.h"
#include "text.h"

using setupcore::RegKey;
using namespace srvsetup;

namespace {

constexpr DWORD kRootTextSize = 1024;
// Room is kept for the comma of the second value name.
constexpr std::size_t kLongestRootName = kRootTextSize - 2;

// The root's value name in a fixed buffer, with room to add the comma.
class RootValueName {
 public:
  explicit RootValueName(std::string_view name) : length_(name.size()) {
    name.copy(text_, length_);
    text_[length_] = '\0';
  }
  const char* get() const { return text_; }
  const char* use_plain() {
    text_[length_] = '\0';
    return text_;
  }
  const char* use_comma() {
    text_[length_] = ',';
    text_[length_ + 1] = '\0';
    return text_;
  }

 private:
  char text_[kRootTextSize];
  std::size_t length_;
};

// False when the record can't be read whole; a missing value reads as the
// empty record.
bool read_record(HKEY roots, const char* value_name, char (&record)[kRootTextSize]) {
  const TextRead read = read_text_value(roots, value_name, record, sizeof record);
  return read == TextRead::Text || read == TextRead::Missing;
}

}  // namespace

extern "C" int __stdcall IISInstallVirtualDir(const char* name, const char* directory, int flags) {
  const std::string_view root = name;
  if (root.size() > kLongestRootName) return 0;
  const RegKey roots = open_machine_key(kVirtualRootsKey, kReadWriteCreateAccess);
  if (!roots) return 0;

  RootValueName value_name(root);
  char stored[kRootTextSize];
  if (!read_record(roots.get(), value_name.use_plain(), stored)) return 0;
  if (stored[0] == '\0' && !read_record(roots.get(), value_name.use_comma(), stored)) return 0;

  char record[kRootTextSize];
  bool fits;
  if (stored[0] != '\0') {
    // An existing root keeps its directory, and its value name, and gains flags.
    fits = merge_root_record(stored, flags, record, sizeof record);
  } else {
    value_name.use_plain();
    fits = new_root_record(directory, flags, record, sizeof record);
  }
  // A record that can't be built whole is not written, so a stored one is
  // never replaced by a part of itself.
  if (!fits) return 0;
  return write_text_value(roots.get(), value_name.get(), record) ? 1 : 0;
}

extern "C" int __stdcall IISVirtToReal(char* name_in_directory_out) {
  std::string_view root = name_in_directory_out;
  if (!root.empty() && root.back() == ',') root.remove_suffix(1);
  if (root.size() > kLongestRootName) return 0;
  RootValueName value_name(root);

  const RegKey roots = open_machine_key(kVirtualRootsKey, kReadAccess);
  if (!roots) return 0;
  char record[kRootTextSize];
  if (!read_record(roots.get(), value_name.use_plain(), record)) return 0;
  if (setupcore::is_empty(record)) {
    if (!read_record(roots.get(), value_name.use_comma(), record)) return 0;
    if (setupcore::is_empty(record)) return 0;
  }

  // The directory is the first field.
  if (char* comma = setupcore::find_char(record, ',')) *comma = '\0';
  std::memcpy(name_in_directory_out, record, std::strlen(record) + 1);
  return 1;
}
