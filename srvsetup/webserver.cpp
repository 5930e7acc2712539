#include "exports.h"

// Not built yet: every export here reports failure.
extern "C" int __stdcall GetIISDir(char*) { return 0; }
extern "C" int __stdcall IISAddFilter(const char*) { return 0; }
extern "C" int __stdcall GetFilterDir(char*) { return 0; }
