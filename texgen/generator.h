// texgen/generator.h: the texture generator. It runs texture scripts against four
// working layers and hands back a copy of layer 0 per script, reporting progress after
// every instruction. One generator is built per generation run; its buffers are owned
// by the record, so nothing is allocated while the instructions run. A run over a list
// can also be taken a few instructions at a time (TextureGeneration), for a caller that
// has to get back to its own work in between.
#pragma once
#include <chrono>
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

// A generation run over a script list that stops between instructions and goes on where it
// stopped. The images, the progress reports and the work units are those GenerateTextures
// gives, however the run is cut up.
struct TextureGeneration {
  TextureGenerator* gen = nullptr;
  std::vector<std::span<const uint8_t>> scripts;
  std::vector<TextureImage> images;  // one per script, filled as each script ends
  size_t script = 0;                 // the script running; scripts.size() once all have run
  int instruction = -1;              // its next instruction; -1 before it has begun
  size_t at = 0;                     // where that instruction's record starts
};

// Checks every script, then sets the run up on `gen` (whose buffers it uses until finished)
// with the progress counting from zero. A rejected script makes it false with `error` naming
// the script, and nothing will run.
bool BeginTextureGeneration(TextureGeneration& run, TextureGenerator& gen,
                            std::span<const std::span<const uint8_t>> scripts, std::string* error = nullptr);
// Runs at most `instructions` more instructions. True once every script has run.
bool AdvanceTextureGeneration(TextureGeneration& run, int instructions);
// Runs instructions until `budget` has passed since the call, at least one; an instruction is
// never cut, so the call may end a little after the budget. True once every script has run.
bool AdvanceTextureGenerationFor(TextureGeneration& run, std::chrono::steady_clock::duration budget);
bool TextureGenerationDone(const TextureGeneration& run);
// Work units done over the list's total, as the progress reports give it; 0 for an empty list.
float TextureGenerationProgress(const TextureGeneration& run);
// The images of a run that is done, one per script in list order; the generator's progress
// counts go back to zero and the run is left empty.
std::vector<TextureImage> FinishTextureGeneration(TextureGeneration& run);

// Runs one decoded instruction on the generator (the validator has accepted it).
void RunTextureInstruction(TextureGenerator& gen, std::span<const uint8_t> record);
