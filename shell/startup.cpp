#include "shell/startup.h"

#include "scenes/camera.h"
#include "shell/music_link.h"
#include "shell/shell_state.h"

void RunStartupSequence() {
  ResetCamera();
  StartMusic();
  shellState.ready = 1;
  StartMusicPlayback();
}
