#include "shell/startup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/window.h"
#include "scenes/camera.h"
#include "scenes/loading_bar.h"
#include "shell/frame.h"
#include "shell/music_link.h"
#include "shell/shell_state.h"
#include "texgen/generator.h"
#include "texgen/texture_set.h"
#include "texgen/upload.h"

namespace {

bool gStopRequested = false;

// The loading screen dispatches nothing, but the viewer must be able to leave it: the pending
// events are read after each image, Escape, a close or a signal asks the start-up to stop, and
// the window's size is followed so that the bar keeps filling the view. The rest is dropped:
// no frame is due before the start-up ends.
void PresentAndPoll() {
  PresentFrame();
  WindowEvent e;
  while (PollWindowEvent(e)) {
    const bool ours = e.window == shellState.window;
    switch (e.type) {
      case WindowEventType::Char: gStopRequested |= ours && e.charCode == 27; break;
      case WindowEventType::Close: gStopRequested |= ours; break;
      case WindowEventType::Quit: gStopRequested = true; break;
      case WindowEventType::Size:
        if (ours) {
          shellState.currentWidth = e.width;
          shellState.currentHeight = e.height;
          ResizeViewport();
        }
        break;
      default: break;
    }
  }
}

bool StopRequested() { return gStopRequested; }

using Clock = std::chrono::steady_clock;
Clock::time_point gStartClick;
bool gTimingPending = false;
// Where the start-up time goes: loading begins, textures generated (bar presents included),
// uploaded, music loaded, playback started.
enum Stage { kLoading, kGenerated, kUploaded, kMusicLoaded, kPlaying, kStageCount };
Clock::time_point gStages[kStageCount];

double MsSinceClick(Clock::time_point at) { return std::chrono::duration<double, std::milli>(at - gStartClick).count(); }

}  // namespace

bool RunStartupSequence() {
  // 104 presents held to the display's refresh alone would take 1.7 s at 60 Hz.
  SetPresentWaitsForRefresh(shellState.window, false);
  const bool done = RunStartupSequence({PresentAndPoll, StartDeviceMusic, StartMusicPlayback, StopRequested});
  SetPresentWaitsForRefresh(shellState.window, true);
  return done;
}

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
  if (services.startMusic) services.startMusic();
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
