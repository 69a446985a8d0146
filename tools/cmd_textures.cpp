// vale-tool textures: generates the program's nine textures and writes them as PNGs.
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "texgen/generator.h"
#include "texgen/texture_set.h"
#include "tools/png_writer.h"
#include "tools/tool.h"

namespace {
// 0x00RRGGBB pixels to 8-bit RGB rows, row 0 first.
std::vector<uint8_t> ToRgb(const TextureImage& image) {
  std::vector<uint8_t> rgb(image.size() * 3);
  for (size_t i = 0; i < image.size(); ++i) {
    rgb[3 * i] = uint8_t(image[i] >> 16);
    rgb[3 * i + 1] = uint8_t(image[i] >> 8);
    rgb[3 * i + 2] = uint8_t(image[i]);
  }
  return rgb;
}

int RunTextures(std::span<const std::string> args);
const ToolCommand kCommand{"textures", "OUTDIR [--cache DIR]",
                           "writes the nine generated textures as OUTDIR/texture0.png .. texture8.png", RunTextures};

int RunTextures(std::span<const std::string> args) {
  const std::string_view valueOptions[] = {"--cache"};
  const ToolArgs parsed = ParseToolArgs(args, valueOptions);
  if (!parsed.error.empty()) return ToolFail(parsed.error, 2);
  if (parsed.positional.size() != 1) return ToolUsage(kCommand);
  const std::string outDir = parsed.positional[0];
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) return ToolFail("cannot create " + outDir + ": " + ec.message());

  std::unique_ptr<TextureGenerator> gen = CreateTextureGenerator();
  if (const std::string* cache = FindOption(parsed, "--cache")) {
    gen->useTextureCache = true;
    gen->cacheDirectory = *cache;
  }
  ToolProgress bar("textures");
  gen->progress = [&bar](float f) { bar.Update(f); };
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  const std::vector<TextureImage> images = GenerateTextures(*gen, TextureScriptList(), &error);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  bar.Finish();
  if (images.empty()) return ToolFail(error);
  for (size_t k = 0; k < images.size(); ++k) {
    const std::string path = outDir + "/texture" + std::to_string(k) + ".png";
    if (!WritePng(path, TextureSize, TextureSize, 3, ToRgb(images[k]), error)) return ToolFail(error);
  }
  std::printf("generated %zu textures in %.1f ms\n", images.size(), ms);
  return 0;
}

ToolRegistration registration(kCommand);
}  // namespace
