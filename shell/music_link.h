// shell/music_link.h: where the live program starts and stops the music on the audio device.
#pragma once

// Installs the audio device as the output and loads the soundtrack through MusicStart, keeping
// the player in shellState (null when there is none). Nothing plays yet.
void LoadLiveMusic();
// Starts the mixing thread and the output.
void StartMusicPlayback();
// Frees the player, then closes the output; safe when nothing was started.
void StopMusic();
