#include <gtest/gtest.h>

#include <cstdint>

#include "dirrights.h"

using namespace srvsetup;

namespace {

struct MaskCase {
  int read, write, execute, del, full;
  std::uint32_t mask;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
  *os << c.read << ',' << c.write << ',' << c.execute << ',' << c.del << ',' << c.full;
}

class AccessMask : public testing::TestWithParam<MaskCase> {};

TEST_P(AccessMask, OnlyTheValueOneSelectsARight) {
  const auto& c = GetParam();
  EXPECT_EQ(c.mask, access_mask(c.read, c.write, c.execute, c.del, c.full));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccessMask,
    testing::Values(MaskCase{0, 0, 0, 0, 0, 0}, MaskCase{1, 0, 0, 0, 0, 0xA0000000},
                    MaskCase{0, 1, 0, 0, 0, 0x40000000}, MaskCase{0, 0, 1, 0, 0, 0x20000000},
                    MaskCase{0, 0, 0, 1, 0, 0x00010000}, MaskCase{1, 1, 1, 1, 0, 0xE0010000},
                    // Anything but 1 is no, also for full control.
                    MaskCase{2, 2, 2, 2, 2, 0}, MaskCase{-1, -1, -1, -1, -1, 0}, MaskCase{2, 1, 0, 1, 0, 0x40010000},
                    // Full control stands alone, whatever the others hold.
                    MaskCase{0, 0, 0, 0, 1, 0x10000000}, MaskCase{1, 1, 1, 1, 1, 0x10000000},
                    MaskCase{2, -1, 1, 0, 1, 0x10000000}));

TEST(DriveRoot, OnlyALetterColonBackslashWithNothingAfter) {
  for (const char* root : {"C:\\", "z:\\", "::\\", "1:\\", "\\:\\"}) EXPECT_TRUE(is_drive_root(root)) << root;
  for (const char* other : {"", "C", "C:", "C:\\x", "C:\\\\", "C:/", "CC\\", "\\\\\\", "C\\:", "C:\\ "})
    EXPECT_FALSE(is_drive_root(other)) << other;
}

}  // namespace
