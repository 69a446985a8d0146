// The scene table: one row per scene, in SceneId order.
#include "scenes/scene_table.h"

#include <array>

#include "scenes/blob_scenes.h"
#include "scenes/camera.h"
#include "scenes/cube_field.h"
#include "scenes/lightning.h"
#include "scenes/opening.h"
#include "scenes/ring_tube.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "scenes/wave_floor.h"
#include "scenes/wobbling_mesh.h"

namespace {

// A scene drawn from the clock alone, every GL setting it draws with set afresh each frame:
// a frame that is not drawn leaves nothing behind.
void NothingToCarry() {}

constexpr std::array<SceneEntry, kSceneCount> kScenes = {{
    {SceneId::Opening, "opening", DrawOpeningScene, nullptr, NothingToCarry, ResetOpeningScene, false},
    {SceneId::CubeField, "cube field", DrawCubeFieldScene, &FrameClock::cubeFieldMode, NothingToCarry,
     ResetCubeFieldScene, false},
    {SceneId::WaveFloor, "wave floor", DrawWaveFloorScene, nullptr, NothingToCarry, ResetWaveFloorScene, false},
    // Random numbers drawn and a chain carried: every frame is drawn.
    {SceneId::Lightning, "lightning", DrawLightningScene, nullptr, nullptr, ResetLightningScene, true},
    // The charges and the phase counter move on every frame, drawn or not.
    {SceneId::BlobOrbit, "blob orbit", DrawBlobOrbitScene, nullptr, AdvanceBlobOrbitScene, ResetBlobScenes, true},
    {SceneId::BlobTunnel, "blob tunnel", DrawBlobTunnelScene, nullptr, AdvanceBlobTunnelScene, ResetBlobScenes, true},
    // Carries nothing, but its spans are short enough that drawing their frames small costs little.
    {SceneId::RingTube, "ring tube", DrawRingTubeScene, nullptr, nullptr, ResetRingTubeScene, false},
    {SceneId::WobblingMesh, "wobbling mesh", DrawWobblingMeshScene, &FrameClock::wobbleMode, NothingToCarry,
     ResetWobblingMeshScene, false},
}};

constexpr bool InIdOrder() {
  for (int i = 0; i < kSceneCount; ++i)
    if (static_cast<int>(kScenes[i].id) != i) return false;
  return true;
}
static_assert(InIdOrder(), "the scene table's rows follow SceneId");

void SetMode(const SceneEntry& entry, int32_t mode) {
  if (entry.mode && mode != 0) frameClock.*entry.mode = mode;
}

}  // namespace

const SceneEntry& SceneOf(SceneId scene) { return kScenes[static_cast<size_t>(scene)]; }

void DrawScene(SceneId scene, int32_t mode) {
  const SceneEntry& entry = SceneOf(scene);
  SetMode(entry, mode);
  entry.draw();
}

bool ScenePassable(SceneId scene) { return SceneOf(scene).pass != nullptr; }

void PassScene(SceneId scene, int32_t mode) {
  const SceneEntry& entry = SceneOf(scene);
  SetMode(entry, mode);
  if (entry.pass) entry.pass();
}

void RestartScenes() {
  ReleaseCubeLattice();
  ReleaseText();
  ResetScenes();
}

void ResetScenes() {
  for (const SceneEntry& entry : kScenes) entry.reset();
  ResetText();
  ResetCamera();
  frameClock = FrameClock{};
}
