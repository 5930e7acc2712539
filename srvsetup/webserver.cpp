// Where the web server is installed, and the product's filter module in the
// web service's filter list.
#include <cstring>

#include "exports.h"
#include "fields.h"
#include "filterlist.h"
#include "registry.h"
#include "text.h"

using setupcore::RegKey;
using namespace srvsetup;

namespace {

constexpr DWORD kSetupTextSize = 1024;
constexpr DWORD kFilterListSize = 2048;

// A REG_SZ read whole and trimmed; false when missing, of another type, too
// long or blank.
bool read_setup_text(HKEY key, const char* name, char (&text)[kSetupTextSize]) {
  DWORD type = REG_NONE;
  if (read_text_value(key, name, text, sizeof text, &type) != TextRead::Text || type != REG_SZ) return false;
  return !setupcore::is_empty(text);
}

}  // namespace

extern "C" int __stdcall GetIISDir(char* out) {
  // Only the web service key's presence counts; it is closed at once.
  if (!open_machine_key(kWebServiceKey, kReadAccess)) return 0;

  char record_path[kSetupTextSize];
  {
    const RegKey setup = open_machine_key(kWebServerSetupKey, kReadAccess);
    if (!setup) return 0;
    char installed_by[kSetupTextSize];
    if (!read_setup_text(setup.get(), kInstalledByValue, installed_by)) return 0;
    BoundedText path(record_path, sizeof record_path);
    path << kSetupRecordParent << installed_by;
    if (!path.finish()) return 0;
  }

  const RegKey record = open_machine_key(record_path, kReadAccess);
  if (!record) return 0;
  char install_path[kSetupTextSize];
  if (!read_setup_text(record.get(), kInstallPathValue, install_path)) return 0;
  std::memcpy(out, install_path, std::strlen(install_path) + 1);
  return 1;
}

extern "C" int __stdcall IISAddFilter(const char* filter_path) {
  const RegKey parameters = open_machine_key(kParametersKey, kReadWriteAccess);
  if (!parameters) return 0;

  char stored[kFilterListSize];
  const TextRead read = read_text_value(parameters.get(), kFilterListValue, stored, sizeof stored);
  // Rebuilt from a part, the list would lose the registrations of other
  // modules: a list that can't be read whole is left as it is.
  if (read == TextRead::TooLong || read == TextRead::Failed) return 0;

  char list[kFilterListSize];
  if (!rebuild_filter_list(stored, filter_path, list, sizeof list)) return 0;
  // Installation scripts treat registration as done once the key opened, so
  // a refused write is not reported.
  write_text_value(parameters.get(), kFilterListValue, list);
  return 1;
}

extern "C" int __stdcall GetFilterDir(char* out) {
  // Opened with the rights registration needs, so that a key IISAddFilter
  // could not change reports no filter directory either.
  const RegKey parameters = open_machine_key(kParametersKey, kReadWriteAccess);
  if (!parameters) return 0;

  char list[kFilterListSize];
  if (read_text_value(parameters.get(), kFilterListValue, list, sizeof list) != TextRead::Text) {
    out[0] = '\0';
    return 0;
  }
  return find_filter_dir(list, kFilterFileName, out, kFilterListSize) ? 1 : 0;
}
