// Music speed targets: synthesis of the whole patch table (at most 20 ms), offline rendering of a
// 47-order song with all 10 channels busy (at least 1000 x real time on one core), and the
// mixing thread's worst refill lateness over a minute with both cores loaded
// (run with --benchmark_filter=Lateness; VALE_LATENESS_SECONDS shortens it).
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "music/mixer.h"
#include "music/module.h"
#include "music/output.h"
#include "music/render.h"
#include "music/stream.h"
#include "music/synth.h"
#include "music/xm_writer.h"

namespace {

void BM_SynthesizeAllPatches(benchmark::State& state) {
  std::span<const uint8_t> table = EmbeddedResource(kPatchResourceId);
  std::vector<SynthPatch> patches;
  for (int k = 0; k < 20; ++k) patches.push_back(DecodeSynthPatch(table.subspan(4 + 68 * k).first<68>()));
  std::vector<int16_t> buffer(88202 + 8);
  uint64_t values = 0;
  for (auto _ : state) {
    for (const SynthPatch& p : patches) values += SynthesizeSample(p, buffer);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.counters["values"] = static_cast<double>(values) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SynthesizeAllPatches)->Unit(benchmark::kMillisecond);

// 47 orders of 64 rows; every channel starts a looping note every 4 rows, so all 10 voices
// (and their fading twins) sound all the time.
std::vector<uint8_t> BusySong() {
  XmModule m;
  m.channels = 10;
  m.tempo = 3;
  m.bpm = 137;
  for (int i = 0; i < 47; ++i) m.orders.push_back(static_cast<uint8_t>(i % 4));
  for (int p = 0; p < 4; ++p) {
    XmPattern pat = MakeEmptyPattern(64, 10);
    for (int r = 0; r < 64; ++r)
      for (int c = 0; c < 10; ++c) {
        XmCell& cell = PatternCellAt(pat, 10, r, c);
        if ((r + c) % 4 == 0) cell = {static_cast<uint8_t>(25 + (r + 3 * c + p) % 48), static_cast<uint8_t>(1 + c % 4), 0x40, 0, 0};
        else if (r % 2) cell.volume = 0x61;
      }
    m.patterns.push_back(pat);
  }
  for (int i = 0; i < 4; ++i) {
    XmInstrument ins;
    XmSample s;
    s.length = 4000;
    s.loop = XmLoop::Forward;
    s.loopStart = 1000;
    s.loopLength = 3000;
    for (uint32_t k = 0; k < s.length; ++k) s.data.push_back(static_cast<int16_t>((k * (i + 3) * 37) % 20000 - 10000));
    s.relativeNote = 29;
    ins.samples.push_back(s);
    m.instruments.push_back(ins);
  }
  std::vector<uint8_t> bytes;
  std::string error;
  WriteXmModule(m, bytes, error);
  return bytes;
}

// With the mixing loop given as the argument (one, two or four frames an iteration; the widest
// available is the one playback uses).
void BM_RenderBusySong(benchmark::State& state) {
  const auto loop = static_cast<MixLoop>(state.range(0));
  if (!MixLoopAvailable(loop)) {
    state.SkipWithError("this loop is not available on this build or processor");
    return;
  }
  const std::vector<uint8_t> bytes = BusySong();
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
  SetResourceOverride(kModuleResourceId, bytes);
  ModulePlayer* player = LoadModule(kModuleResourceId, nullptr);
  SetResourceOverride(kModuleResourceId, {});
  if (!player) {
    state.SkipWithError(ModuleLoadError());
    return;
  }
  SetMixLoop(loop);
  uint64_t frames = 0;
  int64_t checksum = 0;
  for (auto _ : state) {
    frames = RenderOffline(player, {}, [&](std::span<const int16_t> v) { checksum += v[0]; });
  }
  benchmark::DoNotOptimize(checksum);
  const double audioSeconds = static_cast<double>(frames) / 44100.0;
  state.counters["audio_s"] = audioSeconds;
  state.counters["x_realtime"] =
      benchmark::Counter(audioSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  FreeModule(player);
  SetMixLoop(DefaultMixLoop());
}
BENCHMARK(BM_RenderBusySong)
    ->ArgName("loop")
    ->Arg(static_cast<int>(MixLoop::OneFrame))
    ->Arg(static_cast<int>(MixLoop::TwoFrames))
    ->Arg(static_cast<int>(MixLoop::FourFrames))
    ->Unit(benchmark::kMillisecond);

void BM_MixingThreadLateness(benchmark::State& state) {
  const char* env = std::getenv("VALE_LATENESS_SECONDS");
  const int seconds = env ? std::atoi(env) : 60;
  InstallAudioDevice({});  // the wall-clock output: same thread, same polling, no sound card needed
  ModulePlayer* player = LoadSoundtrack();
  if (!player) {
    state.SkipWithError(ModuleLoadError());
    return;
  }
  for (auto _ : state) {
    OpenWaveOutput(44100);
    std::atomic<bool> stop{false};
    std::vector<std::thread> load;
    for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
      load.emplace_back([&stop] {
        volatile uint64_t x = 0;
        while (!stop.load(std::memory_order_relaxed)) x = x * 6364136223846793005ull + 1;
      });
    StartPlayback(player);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const int64_t worst = playback.worstLatenessFrames.load();
    const uint64_t blocks = playback.blocksRefilled;
    StopPlayback(player);
    stop = true;
    for (std::thread& t : load) t.join();
    CloseWaveOutput();
    state.counters["worst_lateness_ms"] = static_cast<double>(worst) * 1000.0 / 44100.0;
    state.counters["blocks_refilled"] = static_cast<double>(blocks);
    state.counters["ring_ms"] = 88400 * 1000.0 / 44100.0;
  }
  FreeModule(player);
}
BENCHMARK(BM_MixingThreadLateness)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
