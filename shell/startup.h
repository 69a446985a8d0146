// shell/startup.h: what runs between the GL context and the first frame.
#pragma once

// Generates and uploads the textures, resets the camera, starts the music and marks
// the shell ready, without dispatching any window event. Runs once.
void RunStartupSequence();
