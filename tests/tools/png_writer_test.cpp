// The capture's fast PNG frames read back as the pixels given, whatever they hold: noise that
// will not compress (the output must still fit, stored), flat colour, and awkward shapes.
#include "tools/png_writer.h"

#include <png.h>

#include <filesystem>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> ReadBack(const std::string& path, int channels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  return pixels;
}

}  // namespace

TEST(FastPng, ReadsBackAsThePixelsGiven) {
  const std::string path = (std::filesystem::temp_directory_path() / "vale_fast_png_test.png").string();
  std::mt19937 random(7);
  struct Case { int width, height, channels; bool noise; };
  for (const Case c : {Case{1024, 768, 3, true}, Case{1, 1, 3, true}, Case{3, 20000, 4, true},
                       Case{640, 480, 3, false}, Case{333, 7, 4, false}}) {
    std::vector<uint8_t> pixels(static_cast<size_t>(c.width) * c.height * c.channels, 0x5a);
    if (c.noise) for (uint8_t& b : pixels) b = static_cast<uint8_t>(random());
    std::string error;
    ASSERT_TRUE(WritePng(path, c.width, c.height, c.channels, pixels, error, {PngSpeed::Fast}))
        << c.width << "x" << c.height << ": " << error;
    EXPECT_EQ(ReadBack(path, c.channels), pixels) << c.width << "x" << c.height << "x" << c.channels;
  }
  std::filesystem::remove(path);
}
