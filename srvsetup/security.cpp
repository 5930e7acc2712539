#include "exports.h"

// Not built yet: every export here reports failure.
extern "C" int __cdecl RunningAsAdministrator(void) { return 0; }
extern "C" int __cdecl ClearAccessRights(const char*) { return 0; }
extern "C" int __cdecl NTSetDirAccess(const char*, int, int, int, int, int, int, int) { return 0; }
