// shell/viewer.h: the running presentation as a viewer drives it: the start position and pause
// of the command line, and the keys during the run (Space pause and resume, Right/Left one order,
// Page Down/Page Up one span of the schedule, Home the start, F1 the position line). Every jump
// lands on the frame a straight 50 fps run draws there (shell/seek.h). Without options and keys
// the run is the plain presentation.
#pragma once
#include "shell/viewer_options.h"

enum class Key;

void SetViewerOptions(const ViewerOptions& options);
const ViewerOptions& CurrentViewerOptions();
// The options start the run at a position or paused: the music is not started with the run's
// start but by the first step, from where the run starts.
bool ViewerStartsElsewhere();

// One step of the running phase: the first one takes the run to its start position; then a frame
// of the presentation, or the held picture while paused. 1 when the presentation has finished.
int ViewerStep();
// A key on the render window while running. 1 when the presentation has finished.
int ViewerKey(Key key);
