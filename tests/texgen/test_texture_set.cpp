// The program's texture set: script bytes, list order, identical textures, upload texels.
#include <cstring>

#include "tests/texgen/texgen_test_util.h"
#include "texgen/texture_set.h"

TEST(TextureSet, ScriptsAssembleToTheirBytes) {
  const auto list = TextureScriptList();
  ASSERT_EQ(list.size(), 9u);
  const int counts[9] = {11, 16, 14, 5, 11, 11, 11, 11, 14};
  int units = 0;
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(list[k].size(), size_t(4 + 9 * counts[k])) << k;
    EXPECT_EQ(ScriptWorkUnits(list[k]), counts[k]);
    EXPECT_EQ(std::memcmp(list[k].data(), "ATG", 3), 0);
    units += ScriptWorkUnits(list[k]);
  }
  EXPECT_EQ(units, 104);
  for (int k : {4, 5, 6, 7}) EXPECT_EQ(list[k].data(), list[0].data());
  // Spot checks of the stored bytes: first and last records of A, a record of C.
  const uint8_t a1[9] = {5, 0, 2, 128, 129, 251, 134, 61, 0};
  EXPECT_EQ(std::memcmp(textureScriptA.data() + 4, a1, 9), 0);
  const uint8_t a11[9] = {30, 0, 36, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(textureScriptA.data() + 4 + 90, a11, 9), 0);
  const uint8_t c10[9] = {18, 3, 2, 1, 16, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(textureScriptC.data() + 4 + 81, c10, 9), 0);
  const uint8_t e8[9] = {4, 1, 1, 0, 233, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(textureScriptE.data() + 4 + 63, e8, 9), 0);
}

TEST(TextureSet, SharedScriptGivesIdenticalTextures) {
  const auto images = GenerateTextures(TextureScriptList(), nullptr);
  ASSERT_EQ(images.size(), 9u);
  for (int k : {4, 5, 6, 7}) EXPECT_EQ(images[k], images[0]) << k;
  for (int k : {1, 2, 3, 8}) EXPECT_NE(images[k], images[0]) << k;
  for (const auto& image : images)
    for (uint32_t p : image) ASSERT_EQ(p >> 24, 0u);
}

TEST(TextureSet, SwizzleForUpload) {
  uint32_t px[2] = {0x00123456u, 0xFFABCDEFu};
  SwizzleForUpload(px);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(px);
  const uint8_t expect[8] = {0x12, 0x34, 0x56, 0x80, 0xAB, 0xCD, 0xEF, 0x80};
  EXPECT_EQ(std::memcmp(bytes, expect, 8), 0);
}
