// music/output.h: the music as the shell sees it: start, the audible position, stop.
#pragma once

struct ModulePlayer;  // the loaded module with its playback state; opaque to the shell

// Audible pattern-order index and row; 0 for a null player (no music).
int GetAudibleOrder(const ModulePlayer* player);
int GetAudibleRow(const ModulePlayer* player);
