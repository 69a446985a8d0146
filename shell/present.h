// shell/present.h: what reaches the display: a finished image presented, the viewport following
// the render view's size, and the end of the presentation (music stopped, desktop mode back).
// The loading bar, the frames and the replay all present through here.
#pragma once
#include <cstdint>

// glFlush, then the buffer swap of the render window (if any).
void PresentFrame();
// While held, a present only flushes: the frames a seek runs through are never shown.
void HoldPresents(bool hold);
// How many frames (loading-bar images included) have been presented since the program began.
uint64_t PresentedFrames();
// Viewport to the current size, then the shared projection.
void ResizeViewport();
// Stops the music and gives the display back its desktop mode; runs at most once.
void EndPresentation();
