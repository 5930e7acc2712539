#include <cstring>

#include "digest.h"
#include "exports.h"
#include "text.h"

extern "C" int __stdcall clean(char* text) { return setupcore::trim(text); }

extern "C" int __stdcall replace(char* text, int from, int to) {
  setupcore::replace_char(text, from, to);
  return 1;
}

extern "C" int __stdcall rdup(char* text, int c) {
  setupcore::reduce_runs(text, c);
  return 1;
}

extern "C" int __stdcall VerifyAddress(const char* text) {
  return setupcore::verify_address(text) ? 1 : 0;
}

extern "C" int __stdcall strconv(const char* text, char* out) {
  setupcore::format_digest(setupcore::digest(text), out, setupcore::kDigestTextSize);
  return 1;
}
