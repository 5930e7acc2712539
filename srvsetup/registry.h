// The web service's registry layout below HKEY_LOCAL_MACHINE, and reading
// and writing its texts through fixed buffers.
#pragma once

#include <windows.h>

#include "handles.h"

namespace srvsetup {

// Present when the web service is installed.
constexpr char kWebServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC";
// The web server's setup names the key of its setup record below kSetupRecordParent.
constexpr char kWebServerSetupKey[] = "SOFTWARE\\Microsoft\\INetMgr";
constexpr char kInstalledByValue[] = "InstalledBy";
constexpr char kSetupRecordParent[] = "SOFTWARE\\Microsoft\\";
constexpr char kInstallPathValue[] = "InstallPath";
constexpr char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters";
constexpr char kFilterListValue[] = "Filter DLLs";
// One value per virtual root, named by the root.
constexpr char kVirtualRootsKey[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";

constexpr REGSAM kReadAccess = KEY_READ;
constexpr REGSAM kReadWriteAccess = KEY_READ | KEY_SET_VALUE;
constexpr REGSAM kReadWriteCreateAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
static_assert(kReadAccess == 0x20019 && kReadWriteAccess == 0x2001B && kReadWriteCreateAccess == 0x2001F,
              "the web service's keys are opened with exactly these rights");

// An empty holder when the key is missing or refuses the rights asked for.
setupcore::RegKey open_machine_key(const char* path, REGSAM access);

enum class TextRead {
  Text,     // the value's text and a terminator lie in the buffer
  Missing,  // no such value: the buffer holds the empty text
  TooLong,  // the value's text does not fit: the buffer holds the empty text
  Failed,   // any other refusal: the buffer holds the empty text
};

// Reads a value as text, whatever its stored type (which goes to `type` when
// asked for). The text ends at the first zero byte of the data; data that
// fill the buffer without one are too long, never cut short.
TextRead read_text_value(HKEY key, const char* name, char* buffer, DWORD capacity, DWORD* type = nullptr);

// Writes `text` as REG_SZ, its terminating zero counted. True when stored.
bool write_text_value(HKEY key, const char* name, const char* text);

}  // namespace srvsetup
