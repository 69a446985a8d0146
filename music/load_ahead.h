// music/load_ahead.h: the soundtrack's loading (LoadSoundtrack: the module read, every sample
// synthesised) started ahead of the music start on a thread of its own, so that the start-up
// can generate textures meanwhile. The music start picks the loaded player up; what it returns,
// and the state the synthesis leaves in the shared random generator, are those of a loading
// done inside it.
#pragma once

struct ModulePlayer;

// Starts the loading on its own thread; where the system gives no thread, loads at once. From
// here until the music start (or DropSoundtrackLoadedAhead) nothing else may touch what the
// loading uses: the shared random generator, the stream procedures, the module loader.
void LoadSoundtrackAhead();
// A loading started ahead that nobody has picked up yet.
bool SoundtrackLoadingAhead();
// Waits for the loading started ahead to end and hands its player over (null when the module
// could not be loaded, ModuleLoadError saying why). Null when none was started.
ModulePlayer* TakeSoundtrackLoadedAhead();
// The start-up was given up: waits for a loading started ahead and frees what it loaded.
void DropSoundtrackLoadedAhead();
