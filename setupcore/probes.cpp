#include <windows.h>

#include "exports.h"
#include "handles.h"

using setupcore::Library;
using setupcore::RegKey;

extern "C" int __cdecl KeyExist(const char* key_path) {
  RegKey key;
  return RegOpenKeyA(HKEY_LOCAL_MACHINE, key_path, key.put()) == ERROR_SUCCESS ? 1 : 0;
}

extern "C" int __cdecl icmp(void) {
  // By full system path: a bare module name would let a DLL planted beside
  // the (often elevated) installer run inside it.
  constexpr char kName[] = "\\icmp.dll";
  char path[MAX_PATH + sizeof kName];
  const UINT n = GetSystemDirectoryA(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 0;
  lstrcpyA(path + n, kName);
  Library library(LoadLibraryA(path));
  return library ? 1 : 0;
}
