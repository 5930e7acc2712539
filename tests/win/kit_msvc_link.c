/* A caller built for the Microsoft ABI (clang in MSVC mode, lld-link, no C
 * runtime) against the .lib import libraries: its objects ask for
 * __imp__DriveOk@4 and __imp__IsNT, and the linker checks safe-SEH marks as
 * Visual Studio's x86 projects do. The exit code is a bit set of failures. */
#define SETUPKIT_API __declspec(dllimport)
#include "setupkit.h"

static int same(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

/* Every export is referenced, so the loader must resolve all 25 plain names. */
static void* volatile every_export[25];

int __cdecl kit_entry(void) {
  char digest[SETUPKIT_DIGEST_SIZE];
  char text[] = "  a--b  ";
  int failed = 0;

  every_export[0] = (void*)&ClearAccessRights;
  every_export[1] = (void*)&DriveOk;
  every_export[2] = (void*)&GetFilterDir;
  every_export[3] = (void*)&GetIISDir;
  every_export[4] = (void*)&IISAddFilter;
  every_export[5] = (void*)&IISInstallVirtualDir;
  every_export[6] = (void*)&IISVirtToReal;
  every_export[7] = (void*)&InstallService;
  every_export[8] = (void*)&IsEmpty;
  every_export[9] = (void*)&IsNT;
  every_export[10] = (void*)&KeyExist;
  every_export[11] = (void*)&LaunchService;
  every_export[12] = (void*)&NTSetDirAccess;
  every_export[13] = (void*)&RemoveService;
  every_export[14] = (void*)&RunningAsAdministrator;
  every_export[15] = (void*)&RunningService;
  every_export[16] = (void*)&ShutService;
  every_export[17] = (void*)&UNow1;
  every_export[18] = (void*)&UNow;
  every_export[19] = (void*)&VerifyAddress;
  every_export[20] = (void*)&clean;
  every_export[21] = (void*)&icmp;
  every_export[22] = (void*)&rdup;
  every_export[23] = (void*)&replace;
  every_export[24] = (void*)&strconv;

  if (IsNT() != 1) failed |= 1;
  if (KeyExist("") != 1) failed |= 2;
  if (DriveOk("C") != 1) failed |= 4;
  if (strconv("abc", digest) != 1 || !same(digest, "65B4AB04CADBBE3D")) failed |= 8;
  if (clean(text) != 1 || !same(text, "a--b")) failed |= 16;
  if (rdup(text, '-') != 1 || !same(text, "a-b")) failed |= 32;
  if (replace(text, '-', ' ') != 1 || !same(text, "a b")) failed |= 64;
  if (VerifyAddress(text) != 0) failed |= 128;
  return failed;
}
