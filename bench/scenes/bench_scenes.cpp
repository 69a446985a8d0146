// Scene speed target: on the software rasteriser at 1024 x 768, every scene renders a frame
// in at most 20 ms, so the 20 ms timer's 50 frames a second hold through the presentation.
// And a blob frame allocates nothing once running.
//
// The whole run is replayed headless at 50 frames a second: the live start-up (real generated
// textures, the music loaded as the live program loads it) and the live frame with the music
// position each frame would hear, so every scene inherits the GL state the schedule leaves it.
// Each frame is timed up to glFinish, so the rasteriser's work is counted. Reported per scene:
// the median and worst frame, in milliseconds, and the frames drawn; both as wall time and as
// the CPU time of the whole process (the rasteriser's threads included), which does not grow
// when other programs share the cores: on an otherwise idle machine a frame's wall time is at
// least its CPU time divided by the cores.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <ctime>
#include <vector>

#include "bench/counting_allocator.h"
#include "platform/headless.h"
#include "scenes/scene_table.h"
#include "shell/offline_run.h"
#include "shell/schedule.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768;

double ProcessCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec * 1e-6;
}

void Report(benchmark::State& state, const std::string& name, std::vector<double>& ms) {
  std::sort(ms.begin(), ms.end());
  state.counters[name + "_median_ms"] = ms[ms.size() / 2];
  state.counters[name + "_worst_ms"] = ms.back();
}

// A scene's name as a counter's: "cube field" gives "cube_field".
std::string CounterName(SceneId id) {
  std::string name(SceneOf(id).name);
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
}

void BM_FullRun(benchmark::State& state) {
  std::string error;
  HeadlessContext* context = CreateHeadlessContext(kWidth, kHeight, error);
  if (!context) {
    state.SkipWithError(("no headless GL context: " + error).c_str());
    return;
  }
  glViewport(0, 0, kWidth, kHeight);
  StartReplay(ReplayOptions{50, false});
  if (!ReplayHasMusic()) {
    state.SkipWithError("the soundtrack could not be loaded");
    return;
  }

  std::map<std::string, std::vector<double>> frameMs, frameCpuMs;
  long blobFrames = 0, blobAllocations = 0;
  for (auto _ : state) {
    SceneId previous = SceneId::Opening;
    int sameSceneFrames = 0;
    for (int64_t frame = 0; frame <= ReplayEndFrame(); ++frame) {
      const FrameInputs in = ReplayFrameInputs(frame);
      const SceneId scene = PickScene(ComputeSyncTime(in.order, in.row)).scene;
      sameSceneFrames = scene == previous ? sameSceneFrames + 1 : 0;
      previous = scene;
      const long allocationsBefore = allocationCount.load();
      const double cpuStart = ProcessCpuMs();
      const auto start = std::chrono::steady_clock::now();
      const int ended = ReplayDrawFrame(in);
      glFinish();
      const auto stop = std::chrono::steady_clock::now();
      const double cpuStop = ProcessCpuMs();
      if (ended) break;
      // Past a blob scene's first frames (set-up, the surface's storage settling).
      if ((scene == SceneId::BlobOrbit || scene == SceneId::BlobTunnel) && sameSceneFrames >= 5) {
        ++blobFrames;
        blobAllocations += allocationCount.load() - allocationsBefore;
      }
      frameMs[CounterName(scene)].push_back(std::chrono::duration<double, std::milli>(stop - start).count());
      frameCpuMs[CounterName(scene)].push_back(cpuStop - cpuStart);
    }
  }
  for (auto& [name, ms] : frameMs) {
    Report(state, name, ms);
    Report(state, name + "_cpu", frameCpuMs[name]);
    state.counters[name + "_frames"] = double(ms.size());
  }
  state.counters["blob_steady_frames"] = double(blobFrames);
  state.counters["blob_steady_allocations"] = double(blobAllocations);
  DestroyHeadlessContext(context);
}
BENCHMARK(BM_FullRun)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
