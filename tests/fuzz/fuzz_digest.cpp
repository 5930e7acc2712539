// The digest against a byte-wise reference at every start alignment, and its
// formatting against "%X%X" at every capacity.
#include <cassert>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "digest.h"
#include "digest_reference.h"

using namespace setupcore;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, std::strlen(text.c_str()));
  const auto [m, f] = digest_reference::values(text);

  // Each copy ends at its terminator, so the address checker flags any read
  // past it other than the aligned block the digest reads whole.
  for (size_t shift = 0; shift < 8; ++shift) {
    std::unique_ptr<char[]> copy(new char[shift + text.size() + 1]);
    std::memcpy(copy.get() + shift, text.c_str(), text.size() + 1);
    const Digest d = digest(copy.get() + shift);
    assert(d.forward == f && d.mirrored == m);
  }

  const Digest d{m, f};
  char expected[32];
  const int n = std::snprintf(expected, sizeof expected, "%X%X", m, f);
  for (size_t capacity = 0; capacity <= 17; ++capacity) {
    char* out = new char[capacity ? capacity : 1];
    const bool fits = format_digest(d, out, capacity);
    assert(fits == (static_cast<size_t>(n) + 1 <= capacity));
    if (fits) assert(std::strcmp(out, expected) == 0);
    delete[] out;
  }
  return 0;
}
