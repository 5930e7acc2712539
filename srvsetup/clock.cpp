#include "exports.h"

// Not built yet: every export here reports failure.
extern "C" int __stdcall UNow(char*) { return 0; }
extern "C" int __stdcall UNow1(char*) { return 0; }
