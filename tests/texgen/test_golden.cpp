// Pins the generated set: a hash of each distinct texture, as first produced by the
// plain per-pixel implementation, so that speed work cannot change a single pixel.
#include "tests/texgen/texgen_test_util.h"
#include "texgen/texture_set.h"

namespace {
uint64_t Fnv1a(const TextureImage& image) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t p : image)
    for (int k = 0; k < 4; ++k) h = (h ^ ((p >> (8 * k)) & 255)) * 1099511628211ull;
  return h;
}
}  // namespace

TEST(TextureSet, ImagesMatchTheirPinnedHashes) {
  const auto images = GenerateTextures(TextureScriptList(), nullptr);
  ASSERT_EQ(images.size(), 9u);
  const uint64_t expect[9] = {0xc943249046da69beull, 0x5adc3796045db15bull, 0xeb25d70dd83bc455ull, 0x213a86fdcf54adfcull, 0xc943249046da69beull,
                             0xc943249046da69beull, 0xc943249046da69beull, 0xc943249046da69beull, 0xcacb77ae46a7a8b5ull};
  for (int k = 0; k < 9; ++k) EXPECT_EQ(Fnv1a(images[k]), expect[k]) << "texture " << k;
}

