#include "shell/startup.h"

#include <cstdio>
#include <string>

#include "scenes/camera.h"
#include "scenes/loading_bar.h"
#include "shell/frame.h"
#include "shell/music_link.h"
#include "shell/shell_state.h"
#include "texgen/generator.h"
#include "texgen/texture_set.h"
#include "texgen/upload.h"

void RunStartupSequence() { RunStartupSequence({PresentFrame, StartMusic, StartMusicPlayback}); }

void RunStartupSequence(const StartupServices& services) {
  // Every work unit draws the bar and presents it, so it is seen filling however fast the
  // machine is. The textures are always computed here: the cache files stay off.
  auto progress = [&services](float fraction) {
    DrawLoadingBar(fraction);
    if (services.present) services.present();
  };
  std::string error;
  std::vector<TextureImage> images = GenerateTextures(TextureScriptList(), progress, &error, false);
  if (images.empty()) std::fprintf(stderr, "vale: textures not generated: %s\n", error.c_str());
  UploadTextureSet(images);
  ResetCamera();
  if (services.startMusic) services.startMusic();
  shellState.ready = 1;
  if (services.startPlayback) services.startPlayback();
}
