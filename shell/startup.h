// shell/startup.h: what runs between the GL context and the first frame: the textures are
// generated under the loading bar and uploaded, the camera reset, the music started and the
// shell marked ready, without dispatching any window event.
#pragma once

// The steps that differ between the live program and a headless replay.
struct StartupServices {
  void (*present)() = nullptr;        // shows each loading-bar image (null: not shown)
  void (*startMusic)() = nullptr;     // loads the music into shellState.player
  void (*startPlayback)() = nullptr;  // starts the output and the mixing thread
  // Asked after every loading-bar image: true when the viewer wants out (Escape, window
  // closed, termination signal). Null: never.
  bool (*stopRequested)() = nullptr;
};

// The live start-up: presents that do not wait for the display's refresh while the bar fills,
// the viewer's Escape or close honoured between its images, the audio device. Runs once.
// False when the viewer asked to stop: nothing after the generation has run then.
bool RunStartupSequence();
bool RunStartupSequence(const StartupServices& services);

// With VALE_TIMING set in the environment: one line on stderr with the milliseconds from the
// Start click (noted here) to the first presented frame of the presentation.
void NoteStartClick();
void NoteFramePresented();
