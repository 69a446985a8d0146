// scenes/loading_bar.h: the bar shown while the textures are generated: a white frame, a
// grey trough and an orange fill, drawn in a fixed 640 x 480 space stretched over the view.
#pragma once

// Clears the colour and depth buffers and draws the bar at `fraction` (0..1) done. The
// caller presents the frame (the shell's PresentFrame), so the bar is seen at every step.
void DrawLoadingBar(float fraction);
