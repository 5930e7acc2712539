#include "exports.h"
#include "text.h"

extern "C" int __stdcall IsEmpty(char* text) { return setupcore::is_empty(text) ? 1 : 0; }
