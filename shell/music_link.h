// shell/music_link.h: where the shell starts and stops the music. Both starts run the music
// start of the music engine and keep its player in shellState (null, with a note on stderr,
// when there is no music: the run then keeps sync time 0).
#pragma once

// The live start: the platform's audio device as the output, the mixing thread raised.
void StartDeviceMusic();
// The replay's start: the offline output, which the replay advances itself to render the song
// ahead (RenderSongBlocks); the same loading as the live start.
void StartOfflineMusic();
// Starts the mixing thread and the output.
void StartMusicPlayback();
// Frees the player, then closes the output; safe when nothing was started.
void StopMusic();
