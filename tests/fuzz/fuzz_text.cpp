// Text routines on arbitrary bytes: nothing written past the entry
// terminator, results consistent with the plain C library.
#include <cassert>
#include <cstring>
#include <vector>

#include "text.h"

using namespace setupcore;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  if (size < 2) return 0;
  const int c1 = data[0], c2 = data[1];
  std::vector<char> text(data + 2, data + size);
  text.push_back('\0');
  const size_t len = std::strlen(text.data());

  // Each in-place routine works on an exact-size heap copy, so ASan sees any
  // byte past the terminator.
  auto run = [&](auto&& routine) {
    std::vector<char> copy(text.begin(), text.begin() + len + 1);
    char* heap = new char[len + 1];
    std::memcpy(heap, copy.data(), len + 1);
    routine(heap);
    assert(std::strlen(heap) <= len);
    delete[] heap;
  };
  run([](char* t) { trim(t); assert(t[0] != ' '); size_t n = std::strlen(t); assert(n == 0 || t[n - 1] != ' '); });
  run([](char* t) { is_empty(t); });
  run([&](char* t) { replace_char(t, c1, c2); });
  run([&](char* t) {
    reduce_runs(t, c1);
    const char ch = static_cast<char>(c1);
    for (size_t i = 0; t[i] && t[i + 1]; ++i) assert(!(t[i] == ch && t[i + 1] == ch));
  });

  assert(find_char(text.data(), c1) == std::strchr(text.data(), static_cast<char>(c1)));
  assert(find_last(text.data(), c1) == std::strrchr(text.data(), static_cast<char>(c1)));
  assert(verify_address(text.data()) == (!std::strchr(text.data(), ',') && !std::strchr(text.data(), ' ')));

  const size_t capacity = c2 % 16;
  char* field = new char[capacity ? capacity : 1];
  const char seps[] = {static_cast<char>(c1 ? c1 : ','), '\0'};
  const char* stop = nextfield(text.data(), field, capacity, seps);
  if (stop) {
    assert(static_cast<size_t>(stop - text.data()) == std::strcspn(text.data(), seps));
    assert(std::strlen(field) < capacity);
  }
  delete[] field;
  return 0;
}
