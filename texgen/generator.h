// texgen/generator.h: the texture generator. It runs texture scripts against four
// working layers and hands back a copy of layer 0 per script, reporting progress after
// every instruction. One generator is built per generation run; its buffers are owned
// by the record, so nothing is allocated while the instructions run.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "texgen/texture_layer.h"
#include "texgen/tone_table.h"

// Called after every instruction (and every cache hit) with workUnitsDone / workUnitsTotal.
using ProgressCallback = std::function<void(float fraction)>;

struct TextureGenerator {
  std::array<TextureLayer, TextureLayerCount> layers;
  TextureLayer scratchA;
  TextureLayer scratchB;
  ToneTable toneTable;
  uint32_t noiseSeed = 0;  // kept between instructions; every noise operation sets it first
  // Private images of single operations (the cubic octave and the cell cone).
  std::array<float, TexturePixelCount> floatImage;
  std::array<uint8_t, TexturePixelCount> coneImage;
  std::array<uint8_t, TexturePixelCount> byteImage;
  int32_t workUnitsTotal = 0;
  int32_t workUnitsDone = 0;
  ProgressCallback progress;
  // The cache of finished images as TGA files; off unless asked for.
  bool useTextureCache = false;
  std::string cacheDirectory = ".";
  char cacheFileName[13] = "tex00000.tga";
  std::array<uint8_t, TexturePixelCount * 3> conversionBuffer;
};

// A finished 256 x 256 image, pixels 0x00RRGGBB.
using TextureImage = std::vector<uint32_t>;

// Builds the tone table and clears every image of the generator.
void InitTextureGenerator(TextureGenerator& gen);
// Allocates a generator and initialises it; freeing the record releases everything.
std::unique_ptr<TextureGenerator> CreateTextureGenerator();

// Runs one script (checked first) and copies layer 0 into `destination`. A rejected
// script runs nothing, leaves `destination` as it was and returns false with `error` set.
bool RunTextureScript(TextureGenerator& gen, std::span<const uint8_t> script, std::span<uint32_t, TexturePixelCount> destination,
                      std::string* error = nullptr);

// Runs every script of the list in order, one image per script. Every script is checked
// before anything runs; if one is rejected the result is empty and `error` names it.
std::vector<TextureImage> GenerateTextures(std::span<const std::span<const uint8_t>> scripts, const ProgressCallback& progress,
                                           std::string* error = nullptr, bool useTextureCache = false,
                                           const std::string& cacheDirectory = ".");

// The same on a generator the caller owns (for the cache and the benchmarks).
std::vector<TextureImage> GenerateTextures(TextureGenerator& gen, std::span<const std::span<const uint8_t>> scripts,
                                           std::string* error = nullptr);

// Runs one decoded instruction on the generator (the validator has accepted it).
void RunTextureInstruction(TextureGenerator& gen, std::span<const uint8_t> record);
