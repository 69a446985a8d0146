// shell/startup.h: what runs between the GL context and the first frame: the textures are
// generated under the loading bar and uploaded, the camera reset, the music started, the shell
// marked ready and the playback started. The soundtrack is loaded on a second thread while the
// textures are generated. The start-up goes in steps, each a slice of the generation and one
// bar image, so that whoever owns the main loop (the native program, a browser) keeps it; it
// dispatches no window event itself.
#pragma once
#include <chrono>

// The steps that differ between the live program and a headless replay.
struct StartupServices {
  void (*present)() = nullptr;        // shows the loading-bar image just drawn (null: not shown)
  void (*loadMusic)() = nullptr;      // the music start, keeping the player in shellState
  void (*startPlayback)() = nullptr;  // starts the output and the mixing thread
};

// The generation one live step runs before it shows the bar: a person sees at most one image
// per display refresh, so a bar image per work unit would mostly be drawn for nobody.
inline constexpr std::chrono::milliseconds kLoadingSlice{8};

// Starts the soundtrack's loading on its own thread and sets up the texture generation.
void BeginStartup();
// One step: texture instructions for up to `slice` (at least one), then the bar for the work
// units done by then, drawn and presented once. The step that ends the generation presents the
// full bar and then, in this order: the upload, the camera reset, the music start, the ready
// flag, the playback start. True once the start-up is complete.
bool StepStartup(const StartupServices& services, std::chrono::steady_clock::duration slice);
// Between BeginStartup and the step that completes it.
bool StartupUnderway();
// Gives up a start-up that is under way (the viewer left while the bar filled): the generation
// is dropped, the soundtrack's loading waited for and freed; nothing after the generation runs.
void AbandonStartup();

// The whole start-up in one call, the bar drawn once, full (the replay).
void RunStartupSequence(const StartupServices& services);

// With VALE_TIMING set in the environment: one line on stderr with the milliseconds from the
// Start click (noted here) to the first presented frame of the presentation.
void NoteStartClick();
void NoteFramePresented();
