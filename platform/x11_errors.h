// The SDL backend's X11 error handling (kept apart: Xlib's macros clash with our names).
#pragma once

// Xlib's default error handler ends the process. Input still queued for a window that has
// just gone (the input method forwards a key release after Escape to its window) raises
// BadWindow; that is harmless, so it is ignored, and any other error is reported.
void InstallX11ErrorHandler();
