#include "registry.h"

#include <cstring>

namespace srvsetup {

setupcore::RegKey open_machine_key(const char* path, REGSAM access) {
  setupcore::RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, key.put()) != ERROR_SUCCESS) key.reset();
  return key;
}

TextRead read_text_value(HKEY key, const char* name, char* buffer, DWORD capacity, DWORD* type) {
  // Zero-filled first, so that data shorter than the buffer always end in a
  // terminator, even when they were stored without one.
  std::memset(buffer, 0, capacity);
  DWORD stored_type = REG_NONE;
  DWORD size = capacity;
  const LONG status = RegQueryValueExA(key, name, nullptr, &stored_type, reinterpret_cast<BYTE*>(buffer), &size);
  if (type) *type = stored_type;

  TextRead result = TextRead::Text;
  if (status == ERROR_FILE_NOT_FOUND)
    result = TextRead::Missing;
  else if (status == ERROR_MORE_DATA)
    result = TextRead::TooLong;
  else if (status != ERROR_SUCCESS)
    result = TextRead::Failed;
  else if (std::memchr(buffer, 0, capacity) == nullptr)
    result = TextRead::TooLong;

  // What a refused read may have left behind is never taken for text.
  if (result != TextRead::Text) buffer[0] = '\0';
  return result;
}

bool write_text_value(HKEY key, const char* name, const char* text) {
  const DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) == ERROR_SUCCESS;
}

}  // namespace srvsetup
