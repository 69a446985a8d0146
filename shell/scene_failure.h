// shell/scene_failure.h: the end of the run a scene asks for when the presentation cannot go
// on (installed as the scenes' fatal service by the entry point).
#pragma once

// Stops the music, gives the display back its desktop mode, releases the render window,
// shows the message and ends the process with exit code 1. Does not return.
[[noreturn]] void EndRunOnSceneFailure(const char* text, const char* caption);
