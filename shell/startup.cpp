#include "shell/startup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "music/load_ahead.h"
#include "scenes/camera.h"
#include "scenes/loading_bar.h"
#include "shell/shell_state.h"
#include "texgen/generator.h"
#include "texgen/texture_set.h"
#include "texgen/upload.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point gStartClick;
bool gTimingPending = false;
// Where the start-up time goes: loading begins, textures generated (bar images included),
// uploaded, music started (the soundtrack's loading waited for), playback started.
enum Stage { kLoading, kGenerated, kUploaded, kMusicLoaded, kPlaying, kStageCount };
Clock::time_point gStages[kStageCount];

double MsSinceClick(Clock::time_point at) { return std::chrono::duration<double, std::milli>(at - gStartClick).count(); }

struct Startup {
  bool underway = false;
  std::unique_ptr<TextureGenerator> generator;
  TextureGeneration generation;
  std::string error;  // a rejected script: nothing is generated
  int barImages = 0;
};
Startup startup;

// A step with the generation advanced by `advance` (true once every script has run).
template <typename Advance>
bool Step(const StartupServices& services, Advance advance) {
  if (!startup.underway) return false;
  const bool generated = advance(startup.generation);
  DrawLoadingBar(generated ? 1.0f : TextureGenerationProgress(startup.generation));
  if (services.present) services.present();
  ++startup.barImages;
  if (!generated) return false;

  gStages[kGenerated] = Clock::now();
  std::vector<TextureImage> images = FinishTextureGeneration(startup.generation);
  startup.generator.reset();
  if (!startup.error.empty()) std::fprintf(stderr, "vale: textures not generated: %s\n", startup.error.c_str());
  UploadTextureSet(images);
  ResetCamera();
  gStages[kUploaded] = Clock::now();
  if (services.loadMusic) services.loadMusic();
  // A music start that did not take the soundtrack loaded ahead leaves it unused.
  DropSoundtrackLoadedAhead();
  gStages[kMusicLoaded] = Clock::now();
  shellState.ready = 1;
  if (services.startPlayback) services.startPlayback();
  gStages[kPlaying] = Clock::now();
  startup.underway = false;
  return true;
}

}  // namespace

void BeginStartup() {
  AbandonStartup();
  gStages[kLoading] = Clock::now();
  startup.underway = true;
  startup.barImages = 0;
  // The synthesis takes a while and shares nothing with the generation: it runs beside it.
  LoadSoundtrackAhead();
  // The textures are always computed here: the cache files stay off.
  startup.generator = CreateTextureGenerator();
  startup.error.clear();
  BeginTextureGeneration(startup.generation, *startup.generator, TextureScriptList(), &startup.error);
}

bool StepStartup(const StartupServices& services, std::chrono::steady_clock::duration slice) {
  return Step(services, [slice](TextureGeneration& run) { return AdvanceTextureGenerationFor(run, slice); });
}

bool StartupUnderway() { return startup.underway; }

void AbandonStartup() {
  if (!startup.underway) return;
  FinishTextureGeneration(startup.generation);
  startup.generator.reset();
  DropSoundtrackLoadedAhead();
  startup.underway = false;
}

void RunStartupSequence(const StartupServices& services) {
  BeginStartup();
  Step(services, [](TextureGeneration& run) { return AdvanceTextureGeneration(run, std::numeric_limits<int>::max()); });
}

void NoteStartClick() {
  const char* timing = std::getenv("VALE_TIMING");
  gTimingPending = timing && *timing && *timing != '0';
  gStartClick = Clock::now();
}

void NoteFramePresented() {
  if (!gTimingPending || shellState.ready != 1) return;
  gTimingPending = false;
  std::fprintf(stderr,
               "vale: %.1f ms from the Start click to the first frame of the presentation (loading from %.1f, "
               "textures and bar %.1f in %d images, upload %.1f, music %.1f, playback %.1f, first frame %.1f)\n",
               MsSinceClick(Clock::now()), MsSinceClick(gStages[kLoading]),
               MsSinceClick(gStages[kGenerated]) - MsSinceClick(gStages[kLoading]), startup.barImages,
               MsSinceClick(gStages[kUploaded]) - MsSinceClick(gStages[kGenerated]),
               MsSinceClick(gStages[kMusicLoaded]) - MsSinceClick(gStages[kUploaded]),
               MsSinceClick(gStages[kPlaying]) - MsSinceClick(gStages[kMusicLoaded]),
               MsSinceClick(Clock::now()) - MsSinceClick(gStages[kPlaying]));
}
