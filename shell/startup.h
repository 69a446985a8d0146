// shell/startup.h: what runs between the GL context and the first frame: the textures are
// generated under the loading bar and uploaded, the camera reset, the music started and the
// shell marked ready, without dispatching any window event.
#pragma once

// The steps that differ between the live program and a headless replay.
struct StartupServices {
  void (*present)() = nullptr;        // shows each loading-bar image (null: not shown)
  void (*startMusic)() = nullptr;     // loads the music into shellState.player
  void (*startPlayback)() = nullptr;  // starts the output and the mixing thread
};

// The live start-up: the render window's present, the audio device. Runs once.
void RunStartupSequence();
void RunStartupSequence(const StartupServices& services);
