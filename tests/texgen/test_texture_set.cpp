// The program's texture set: list order, identical textures, upload texels.
#include <cstring>

#include "tests/texgen/texgen_test_util.h"
#include "texgen/texture_set.h"

TEST(TextureSet, NineScriptsOneSharedByFive) {
  const auto list = TextureScriptList();
  ASSERT_EQ(list.size(), 9u);
  for (int k : {4, 5, 6, 7}) EXPECT_EQ(list[k].data(), list[0].data());
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
