// scenes/fatal.h: how a scene ends the program when the presentation cannot go on (a driver
// without the multitexture entry points the blob scenes need): a hook slot as geometry's
// (geometry/failure.h). The shell installs the service that shows the message, gives the display
// back and exits with code 1.
#pragma once

#include "geometry/failure.h"

using SceneFatalService = FailureHook;

// Null restores the default, which writes "caption: text" to stderr and exits with code 1.
void SetSceneFatalService(SceneFatalService service);
// Hands the message to the service, which normally does not return. When it does (a test's
// service), the caller abandons what it was doing and draws nothing more this frame.
void EndProgramFromScene(const char* text, const char* caption);
