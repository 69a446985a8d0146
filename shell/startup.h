// shell/startup.h: what runs between the GL context and the first frame: the textures are
// generated under the loading bar and uploaded, the camera reset, the music loaded, the shell
// marked ready and the playback started. It dispatches no window event itself: the live run's
// present reads the pending ones (shell/run.cpp).
#pragma once

// The steps that differ between the live program and a headless replay.
struct StartupServices {
  void (*present)() = nullptr;        // shows each loading-bar image (null: not shown)
  void (*loadMusic)() = nullptr;      // loads the music into shellState.player
  void (*startPlayback)() = nullptr;  // starts the output and the mixing thread
  // Asked after every loading-bar image: true when the viewer wants out (Escape, window
  // closed, termination signal). Null: never.
  bool (*stopRequested)() = nullptr;
};

// Runs once. False when a stop was asked for while the bar filled: nothing after the
// generation has run then.
bool RunStartupSequence(const StartupServices& services);

// With VALE_TIMING set in the environment: one line on stderr with the milliseconds from the
// Start click (noted here) to the first presented frame of the presentation.
void NoteStartClick();
void NoteFramePresented();
