// Directory grants on arbitrary choices and paths: the mask from the rights
// each choice of exactly 1 selects, and the drive-root test on any bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "dirrights.h"

using namespace srvsetup;

namespace {

// Mostly 0, 1 and their neighbours, where a wrong test would show.
int choice(FuzzedDataProvider& input) {
  return input.ConsumeBool() ? input.ConsumeIntegralInRange(-1, 2) : input.ConsumeIntegral<int>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int read = choice(input), write = choice(input), execute = choice(input), del = choice(input),
            full = choice(input);
  const std::string path = input.ConsumeRemainingBytesAsString();

  const std::uint32_t mask = access_mask(read, write, execute, del, full);
  if (full == 1) {
    assert(mask == 0x10000000);
  } else {
    std::uint32_t expected = 0;
    if (read == 1) expected |= 0xA0000000;
    if (write == 1) expected |= 0x40000000;
    if (execute == 1) expected |= 0x20000000;
    if (del == 1) expected |= 0x00010000;
    assert(mask == expected);
  }

  // An exact-size copy with no terminator, so a look at the byte behind the
  // path is a read past the block.
  std::unique_ptr<char[]> bytes(new char[path.size()]);
  std::memcpy(bytes.get(), path.data(), path.size());
  const bool root = path.size() == 3 && path[1] == ':' && path[2] == '\\';
  assert(is_drive_root(std::string_view(bytes.get(), path.size())) == root);
  return 0;
}
