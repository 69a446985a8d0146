// texgen/generator.cpp: the script interpreter: clears the layers, runs each counted
// instruction on its target layer, counts one work unit per instruction and copies
// layer 0 out.
#include "texgen/generator.h"

#include <algorithm>
#include <cstring>

#include "texgen/ops.h"
#include "texgen/script_format.h"
#include "texgen/texture_cache.h"

namespace {
using OpRoutine = void (*)(TextureGenerator&, int, Record);

struct Dispatch {
  std::array<OpRoutine, 256> routines{};
  constexpr Dispatch() {
#define TEXTURE_DISPATCH(name, opcode, routine, ...) routines[Op##name] = routine;
    TEXTURE_OPERATIONS(TEXTURE_DISPATCH)
#undef TEXTURE_DISPATCH
  }
};
constexpr Dispatch kDispatch;

void ReportProgress(TextureGenerator& gen) {
  if (gen.progress && gen.workUnitsTotal > 0) gen.progress(float(gen.workUnitsDone) / float(gen.workUnitsTotal));
}
}  // namespace

void InitTextureGenerator(TextureGenerator& gen) {
  BuildToneTable(gen.toneTable);
  gen.scratchA.fill(0);
  gen.scratchB.fill(0);
  for (TextureLayer& layer : gen.layers) layer.fill(0);
}

std::unique_ptr<TextureGenerator> CreateTextureGenerator() {
  auto gen = std::make_unique<TextureGenerator>();
  InitTextureGenerator(*gen);
  return gen;
}

void RunTextureInstruction(TextureGenerator& gen, std::span<const uint8_t> record) {
  const int layer = record[1];
  if (layer > 3) return;  // a target above layer 3 skips the instruction
  if (OpRoutine routine = kDispatch.routines[record[0]]) routine(gen, layer, record.data());
}

bool RunTextureScript(TextureGenerator& gen, std::span<const uint8_t> script, std::span<uint32_t, TexturePixelCount> destination,
                      std::string* error) {
  const ScriptCheck check = ValidateTextureScript(script);
  if (!check.ok) {
    if (error) *error = check.message;
    return false;
  }
  if (gen.useTextureCache && ReadTextureCache(gen, destination)) {
    gen.workUnitsDone += ScriptWorkUnits(script);
    ReportProgress(gen);
    return true;
  }
  // Every script starts from black layers.
  gen.scratchA.fill(0);
  gen.scratchB.fill(0);
  for (TextureLayer& layer : gen.layers) layer.fill(0);

  const int count = ScriptInstructionCount(script);
  size_t at = ScriptHeaderSize;
  for (int i = 0; i < count; ++i) {
    const std::span<const uint8_t> record = script.subspan(at, RecordSize(script[at]));
    RunTextureInstruction(gen, record);
    ++gen.workUnitsDone;
    ReportProgress(gen);
    at += record.size();
  }
  std::copy(gen.layers[0].begin(), gen.layers[0].end(), destination.begin());
  if (gen.useTextureCache) WriteTextureCache(gen);
  return true;
}

std::vector<TextureImage> GenerateTextures(TextureGenerator& gen, std::span<const std::span<const uint8_t>> scripts,
                                           std::string* error) {
  for (size_t k = 0; k < scripts.size(); ++k) {
    const ScriptCheck check = ValidateTextureScript(scripts[k]);
    if (!check.ok) {
      if (error) *error = "script " + std::to_string(k) + ": " + check.message;
      return {};
    }
  }
  gen.workUnitsTotal = 0;
  gen.workUnitsDone = 0;
  for (const auto& script : scripts) gen.workUnitsTotal += ScriptWorkUnits(script);
  std::vector<TextureImage> images;
  images.reserve(scripts.size());
  for (const auto& script : scripts) {
    images.emplace_back(TexturePixelCount, 0u);
    RunTextureScript(gen, script, std::span<uint32_t, TexturePixelCount>(images.back().data(), TexturePixelCount));
  }
  gen.workUnitsTotal = 0;
  gen.workUnitsDone = 0;
  return images;
}

std::vector<TextureImage> GenerateTextures(std::span<const std::span<const uint8_t>> scripts, const ProgressCallback& progress,
                                           std::string* error, bool useTextureCache, const std::string& cacheDirectory) {
  std::unique_ptr<TextureGenerator> gen = CreateTextureGenerator();
  gen->progress = progress;
  gen->useTextureCache = useTextureCache;
  gen->cacheDirectory = cacheDirectory;
  return GenerateTextures(*gen, scripts, error);
}
