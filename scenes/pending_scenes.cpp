// Scenes whose content is yet to come: the schedule already calls them at their places,
// and they draw nothing over the cleared frame until they are built.
#include "scenes/scenes.h"

void DrawWaveFloorScene() {}
void DrawLightningScene() {}
void DrawBlobOrbitScene() {}
void DrawBlobTunnelScene() {}
void DrawRingTubeScene() {}
void DrawWobblingMeshScene() {}
