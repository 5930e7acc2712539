#include "exports.h"

// Not built yet: every export here reports failure.
extern "C" int __stdcall IISInstallVirtualDir(const char*, const char*, int) { return 0; }
extern "C" int __stdcall IISVirtToReal(char*) { return 0; }
