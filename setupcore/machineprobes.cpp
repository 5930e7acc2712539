// The machine probes that only the server library exports.
#include <windows.h>

#include "exports.h"

extern "C" int __cdecl IsNT(void) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return 0;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0;
}

extern "C" int __stdcall DriveOk(const char* drive) {
  const char root[] = {drive[0], ':', '\\', '\0'};
  return GetDriveTypeA(root) == DRIVE_FIXED ? 1 : 0;
}
