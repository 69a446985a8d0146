// shell/music_link.h: where the shell starts and stops the music.
#pragma once

// Loads the soundtrack and keeps the player in shellState (null when there is none).
void StartMusic();
// Starts the mixing thread and the output.
void StartMusicPlayback();
// Frees the player, then closes the output; safe when nothing was started.
void StopMusic();
