#include "exports.h"

// Not built yet: every export here reports failure.
extern "C" int __stdcall InstallService(const char*, const char*, const char*) { return 0; }
extern "C" int __stdcall RemoveService(const char*) { return 0; }
extern "C" int __stdcall LaunchService(const char*) { return 0; }
extern "C" int __stdcall ShutService(const char*) { return 0; }
extern "C" int __stdcall RunningService(const char*) { return 0; }
