// scenes/scenes.h: the entry points of the scenes, one per scene (each a row of the scene
// table), each drawing its content for the current frame from frameClock. Each runs its own
// one-time set-up on its first call.
#pragma once

void DrawOpeningScene();
void DrawCubeFieldScene();      // reads frameClock.cubeFieldMode
void DrawWaveFloorScene();
void DrawLightningScene();
void DrawBlobOrbitScene();
void DrawBlobTunnelScene();
void DrawRingTubeScene();
void DrawWobblingMeshScene();   // reads frameClock.wobbleMode
void DrawEndText();             // the closing overlay, drawn on top of the scene
