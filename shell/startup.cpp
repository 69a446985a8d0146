#include "shell/startup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

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
// Where the start-up time goes: loading begins, textures generated (bar presents included),
// uploaded, music loaded, playback started.
enum Stage { kLoading, kGenerated, kUploaded, kMusicLoaded, kPlaying, kStageCount };
Clock::time_point gStages[kStageCount];

double MsSinceClick(Clock::time_point at) { return std::chrono::duration<double, std::milli>(at - gStartClick).count(); }

}  // namespace

bool RunStartupSequence(const StartupServices& services) {
  // Every work unit draws the bar and presents it, so it is seen filling however fast the
  // machine is. The textures are always computed here: the cache files stay off. The generator
  // cannot be interrupted; once a stop is asked for, the rest of its work goes unshown.
  bool stopped = false;
  auto progress = [&services, &stopped](float fraction) {
    if (stopped) return;
    DrawLoadingBar(fraction);
    if (services.present) services.present();
    stopped = services.stopRequested && services.stopRequested();
  };
  gStages[kLoading] = Clock::now();
  std::string error;
  std::vector<TextureImage> images = GenerateTextures(TextureScriptList(), progress, &error, false);
  if (stopped) return false;
  gStages[kGenerated] = Clock::now();
  if (images.empty()) std::fprintf(stderr, "vale: textures not generated: %s\n", error.c_str());
  UploadTextureSet(images);
  ResetCamera();
  gStages[kUploaded] = Clock::now();
  if (services.loadMusic) services.loadMusic();
  gStages[kMusicLoaded] = Clock::now();
  shellState.ready = 1;
  if (services.startPlayback) services.startPlayback();
  gStages[kPlaying] = Clock::now();
  return true;
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
               "textures and bar %.1f, upload %.1f, music %.1f, playback %.1f, first frame %.1f)\n",
               MsSinceClick(Clock::now()), MsSinceClick(gStages[kLoading]),
               MsSinceClick(gStages[kGenerated]) - MsSinceClick(gStages[kLoading]),
               MsSinceClick(gStages[kUploaded]) - MsSinceClick(gStages[kGenerated]),
               MsSinceClick(gStages[kMusicLoaded]) - MsSinceClick(gStages[kUploaded]),
               MsSinceClick(gStages[kPlaying]) - MsSinceClick(gStages[kMusicLoaded]),
               MsSinceClick(Clock::now()) - MsSinceClick(gStages[kPlaying]));
}
