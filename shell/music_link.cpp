#include "shell/music_link.h"

#include "shell/shell_state.h"

// No soundtrack is built in yet: the player stays null and the sync time stays 0,
// so the opening scene is shown for as long as the run lasts.
void StartMusic() { shellState.player = nullptr; }
void StartMusicPlayback() {}
void StopMusic() { shellState.player = nullptr; }
