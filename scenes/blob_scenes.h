// scenes/blob_scenes.h: the two blob scenes (the metaball surface seen from an orbiting
// camera inside a sky sphere, and floating in front of a wavy, narrowing tunnel) exposed for
// tests and tools.
#pragma once
#include <cstdint>

// The shared one-time set-up. Needs the two multitexture entry points; without them the
// program is ended through the scenes' fatal service with "Could not load multi-texture
// extension". False when that happened (and the service returned): nothing may be drawn.
bool SetupBlobScenes();

// How the set-up looks up an entry point of the current context; null when it is missing.
using GLProcLookup = void* (*)(const char* name);
// Null restores the default: the platform's look-up, where the driver lists ARB_multitexture.
void SetBlobProcLookup(GLProcLookup lookup);

// The phase counters of the two scenes (frames times 9 and times 6).
int32_t BlobOrbitCounter();
int32_t BlobTunnelCounter();

// What a frame of each scene carries to the next, without drawing it: the charges move and the
// counter advances as a drawn frame would leave them (the surface itself is made afresh on
// every drawn frame). Only after the scene's first drawn frame.
void AdvanceBlobOrbitScene();
void AdvanceBlobTunnelScene();

// Back to the state of program start: set-up forgotten, counters 0, start-up charges.
void ResetBlobScenes();
