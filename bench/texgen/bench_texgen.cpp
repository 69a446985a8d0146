// bench/texgen: the texture set's speed and memory targets: all nine textures in at most
// 40 ms on one core, no single instruction above 5 ms, working memory at most 8 MB.
//   build/bin/bench_texgen                          (everything)
//   build/bin/bench_texgen --benchmark_filter=Set   (the whole set only)
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "texgen/generator.h"
#include "texgen/script_format.h"
#include "texgen/texture_set.h"

// Heap accounting, to measure the generator's working memory.
namespace {
std::atomic<size_t> gLive{0}, gPeak{0};
void NoteAlloc(size_t n) {
  const size_t now = gLive += n;
  size_t peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
}
}  // namespace
void* operator new(size_t n) {
  void* p = std::malloc(n + 16);
  if (!p) throw std::bad_alloc();
  *static_cast<size_t*>(p) = n;
  NoteAlloc(n);
  return static_cast<char*>(p) + 16;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  char* base = static_cast<char*>(p) - 16;
  gLive -= *reinterpret_cast<size_t*>(base);
  std::free(base);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

namespace {
void BM_Set(benchmark::State& state) {
  size_t working = 0;
  for (auto _ : state) {
    const size_t before = gLive.load();
    gPeak = before;
    auto images = GenerateTextures(TextureScriptList(), nullptr);
    // Peak heap during the run, minus the nine finished images it hands back.
    working = gPeak.load() - before - images.size() * images[0].size() * sizeof(uint32_t);
    benchmark::DoNotOptimize(images.data());
  }
  state.counters["working_MB"] = double(working) / (1 << 20);
}
BENCHMARK(BM_Set)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Script(benchmark::State& state) {
  const auto script = TextureScriptList()[state.range(0)];
  auto gen = CreateTextureGenerator();
  TextureImage out(TexturePixelCount);
  for (auto _ : state) RunTextureScript(*gen, script, std::span<uint32_t, TexturePixelCount>(out.data(), TexturePixelCount));
}
BENCHMARK(BM_Script)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(8)->Unit(benchmark::kMillisecond);

// One instruction of the set, timed on the layers the script has built up to it.
void BM_Instruction(benchmark::State& state, std::span<const uint8_t> script, int index) {
  auto gen = CreateTextureGenerator();
  for (TextureLayer& l : gen->layers) l.fill(0);
  size_t at = ScriptHeaderSize;
  for (int i = 0; i < index; ++i) {
    RunTextureInstruction(*gen, script.subspan(at, RecordSize(script[at])));
    at += RecordSize(script[at]);
  }
  const auto record = script.subspan(at, RecordSize(script[at]));
  const auto saved = gen->layers;
  const uint32_t seed = gen->noiseSeed;
  for (auto _ : state) {
    state.PauseTiming();
    gen->layers = saved;
    gen->noiseSeed = seed;
    state.ResumeTiming();
    RunTextureInstruction(*gen, record);
  }
}

int RegisterInstructions() {
  const char* names[] = {"A", "B", "C", "D", "E"};
  const std::span<const uint8_t> scripts[] = {textureScriptA, textureScriptB, textureScriptC, textureScriptD, textureScriptE};
  for (int s = 0; s < 5; ++s) {
    size_t at = ScriptHeaderSize;
    for (int i = 0; i < ScriptInstructionCount(scripts[s]); ++i) {
      const OpcodeInfo* info = FindOpcode(scripts[s][at]);
      const std::string name = std::string("Instruction/") + names[s] + "/" + (i + 1 < 10 ? "0" : "") +
                               std::to_string(i + 1) + "_" + (info ? info->name : "none");
      benchmark::RegisterBenchmark(name.c_str(), BM_Instruction, scripts[s], i)->Unit(benchmark::kMicrosecond);
      at += RecordSize(scripts[s][at]);
    }
  }
  return 0;
}
const int registered = RegisterInstructions();
}  // namespace
