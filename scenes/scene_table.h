// scenes/scene_table.h: every scene of the presentation in one table: its name, how a frame of it
// is drawn (with the mode the schedule gives it), how a frame is run without drawing, how it goes
// back to the state of program start, and whether its frames depend on the frames before them.
// Whoever runs scenes (the frame, the replay, the tools, the benchmarks) goes through this table;
// nothing outside it needs to know one scene from another.
#pragma once
#include <cstdint>
#include <string_view>

#include "scenes/frame_clock.h"

enum class SceneId { Opening, CubeField, WaveFloor, Lightning, BlobOrbit, BlobTunnel, RingTube, WobblingMesh };
inline constexpr int kSceneCount = 8;

struct SceneEntry {
  SceneId id;
  std::string_view name;  // as a person reads it: "cube field"
  void (*draw)();         // draws the scene's content for the frame from frameClock
  // Where a mode given with the scene goes before it runs (null: the scene has no modes).
  int32_t FrameClock::*mode;
  // A frame run without drawing: leaves for the next frame what a drawn one would. Null when
  // every frame has to be drawn.
  void (*pass)();
  // Back to the state of program start: set-up forgotten (as for a new GL context), carried
  // state put back.
  void (*reset)();
  // A frame depends on the frames of the scene before it, beyond its one-time set-up (random
  // numbers drawn, charges moved), so it cannot be had without running those; a frame of the
  // others follows from the clock and the GL state the frame before left.
  bool carriesState;
};

const SceneEntry& SceneOf(SceneId scene);

// Writes a non-zero mode where the scene reads it, then draws the scene.
void DrawScene(SceneId scene, int32_t mode);
// Whether a frame of the scene may be run without drawing it, and such a frame (the mode
// written as DrawScene writes it).
bool ScenePassable(SceneId scene);
void PassScene(SceneId scene, int32_t mode);

// Every scene, the text overlays, the camera and the frame clock back to the state of program
// start, for a new GL context (as tests and tools make).
void ResetScenes();
// ResetScenes on the same GL context: the display lists the scenes compiled on it are deleted
// first, so that going back to the start again and again costs no memory.
void RestartScenes();
