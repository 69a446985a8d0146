// Upload texels: the generator's 0x00RRGGBB becomes bytes R, G, B and a constant alpha.
#include <cstring>

#include "tests/texgen/texgen_test_util.h"
#include "texgen/texture_set.h"

TEST(TextureSet, SwizzleForUpload) {
  uint32_t px[2] = {0x00123456u, 0xFFABCDEFu};
  SwizzleForUpload(px);
  const uint8_t expect[8] = {0x12, 0x34, 0x56, 0x80, 0xAB, 0xCD, 0xEF, 0x80};
  EXPECT_EQ(std::memcmp(px, expect, 8), 0);
}
