// shell/music_link.h: where the shell starts and stops the music. Both loads run the music
// engine's start and keep its player in shellState (null, with a note on stderr, when there is
// no music: the run then keeps sync time 0).
#pragma once

// The live program: installs the audio device as the output and loads the soundtrack through
// MusicStart, the mixing thread to be raised. Nothing plays yet.
void LoadLiveMusic();
// The replay: the offline output, which the replay advances itself to render the song ahead
// (RenderSongBlocks); the same loading as the live start.
void StartOfflineMusic();
// Starts the mixing thread and the output.
void StartMusicPlayback();
// Frees the player, then closes the output; safe when nothing was started.
void StopMusic();
