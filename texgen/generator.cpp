// texgen/generator.cpp: the script interpreter: clears the layers, runs each counted
// instruction on its target layer, counts one work unit per instruction and copies
// layer 0 out; over a list, as one call or a few instructions at a time.
#include "texgen/generator.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

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

namespace {

using Destination = std::span<uint32_t, TexturePixelCount>;

// A script's start: true when the cache had its image (its work units then count as done);
// otherwise every layer is black for the instructions to come.
bool BeginScript(TextureGenerator& gen, std::span<const uint8_t> script, Destination destination) {
  if (gen.useTextureCache && ReadTextureCache(gen, destination)) {
    gen.workUnitsDone += ScriptWorkUnits(script);
    ReportProgress(gen);
    return true;
  }
  gen.scratchA.fill(0);
  gen.scratchB.fill(0);
  for (TextureLayer& layer : gen.layers) layer.fill(0);
  return false;
}

// Runs the instruction whose record starts at `at`; returns where the next one starts.
size_t RunInstructionAt(TextureGenerator& gen, std::span<const uint8_t> script, size_t at) {
  const std::span<const uint8_t> record = script.subspan(at, RecordSize(script[at]));
  RunTextureInstruction(gen, record);
  ++gen.workUnitsDone;
  ReportProgress(gen);
  return at + record.size();
}

void EndScript(TextureGenerator& gen, Destination destination) {
  std::copy(gen.layers[0].begin(), gen.layers[0].end(), destination.begin());
  if (gen.useTextureCache) WriteTextureCache(gen);
}

Destination ImageOf(TextureGeneration& run) {
  return Destination(run.images[run.script].data(), TexturePixelCount);
}

// Runs the list on from where it stopped; `mayRun` is asked before every instruction. A
// script's start and end go with its instructions, so a script that has run its last
// instruction is finished in the same call.
template <typename MayRun>
bool Advance(TextureGeneration& run, MayRun mayRun) {
  while (run.script < run.scripts.size()) {
    const std::span<const uint8_t> script = run.scripts[run.script];
    if (run.instruction < 0) {
      if (BeginScript(*run.gen, script, ImageOf(run))) {
        ++run.script;
        continue;
      }
      run.instruction = 0;
      run.at = ScriptHeaderSize;
    }
    if (run.instruction == ScriptInstructionCount(script)) {
      EndScript(*run.gen, ImageOf(run));
      ++run.script;
      run.instruction = -1;
      continue;
    }
    if (!mayRun()) return false;
    run.at = RunInstructionAt(*run.gen, script, run.at);
    ++run.instruction;
  }
  return true;
}

}  // namespace

bool RunTextureScript(TextureGenerator& gen, std::span<const uint8_t> script, std::span<uint32_t, TexturePixelCount> destination,
                      std::string* error) {
  const ScriptCheck check = ValidateTextureScript(script);
  if (!check.ok) {
    if (error) *error = check.message;
    return false;
  }
  if (BeginScript(gen, script, destination)) return true;
  const int count = ScriptInstructionCount(script);
  size_t at = ScriptHeaderSize;
  for (int i = 0; i < count; ++i) at = RunInstructionAt(gen, script, at);
  EndScript(gen, destination);
  return true;
}

bool BeginTextureGeneration(TextureGeneration& run, TextureGenerator& gen,
                            std::span<const std::span<const uint8_t>> scripts, std::string* error) {
  run = TextureGeneration{};
  for (size_t k = 0; k < scripts.size(); ++k) {
    const ScriptCheck check = ValidateTextureScript(scripts[k]);
    if (!check.ok) {
      if (error) *error = "script " + std::to_string(k) + ": " + check.message;
      return false;
    }
  }
  run.gen = &gen;
  run.scripts.assign(scripts.begin(), scripts.end());
  run.images.assign(scripts.size(), TextureImage(TexturePixelCount, 0u));
  gen.workUnitsTotal = 0;
  gen.workUnitsDone = 0;
  for (const auto& script : scripts) gen.workUnitsTotal += ScriptWorkUnits(script);
  return true;
}

bool AdvanceTextureGeneration(TextureGeneration& run, int instructions) {
  return Advance(run, [&instructions] { return instructions-- > 0; });
}

bool AdvanceTextureGenerationFor(TextureGeneration& run, std::chrono::steady_clock::duration budget) {
  const auto deadline = std::chrono::steady_clock::now() + budget;
  bool first = true;
  return Advance(run, [&] { return std::exchange(first, false) || std::chrono::steady_clock::now() < deadline; });
}

bool TextureGenerationDone(const TextureGeneration& run) { return run.script >= run.scripts.size(); }

float TextureGenerationProgress(const TextureGeneration& run) {
  if (!run.gen || run.gen->workUnitsTotal <= 0) return 0.0f;
  return float(run.gen->workUnitsDone) / float(run.gen->workUnitsTotal);
}

std::vector<TextureImage> FinishTextureGeneration(TextureGeneration& run) {
  std::vector<TextureImage> images = std::move(run.images);
  if (run.gen) run.gen->workUnitsTotal = run.gen->workUnitsDone = 0;
  run = TextureGeneration{};
  return images;
}

std::vector<TextureImage> GenerateTextures(TextureGenerator& gen, std::span<const std::span<const uint8_t>> scripts,
                                           std::string* error) {
  TextureGeneration run;
  if (!BeginTextureGeneration(run, gen, scripts, error)) return {};
  AdvanceTextureGeneration(run, std::numeric_limits<int>::max());
  return FinishTextureGeneration(run);
}

std::vector<TextureImage> GenerateTextures(std::span<const std::span<const uint8_t>> scripts, const ProgressCallback& progress,
                                           std::string* error, bool useTextureCache, const std::string& cacheDirectory) {
  std::unique_ptr<TextureGenerator> gen = CreateTextureGenerator();
  gen->progress = progress;
  gen->useTextureCache = useTextureCache;
  gen->cacheDirectory = cacheDirectory;
  return GenerateTextures(*gen, scripts, error);
}
