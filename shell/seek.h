// shell/seek.h: the live run taken to any frame of a 50 fps run from the start, in the state that
// straight run has there. The picture: the random generator, the GL state and every scene go back
// to what the start-up left, and the replay's fast advance runs the frames before the wanted one
// small and unseen. The music: the player's playback state and the voices at the start of any
// block, from the nearest point kept while the song was played through once, unheard, ahead.
#pragma once
#include <cstdint>

#include "music/song_position.h"

inline constexpr int32_t kSeekFps = 50;

// Before the run's first frame is drawn: keeps what the start-up left (the random generator's
// state, the GL attributes, client state and matrices). Once per GL context.
void NoteRunStart();

// Plays the song once, unheard, from shellState.player (whose playback must be stopped): the
// block records become the replay's clock and a restart point is kept every few blocks. Runs
// once; later calls return at once. False when there is no music.
bool PrepareSongMap();
// The frame a seek to `position` shows: the first frame that hears it, before the run's end.
int64_t SeekFrameFor(SongPosition position);
// The last frame drawn before the run ends.
int64_t LastSeekFrame();
// The song block heard at frame k (the block a restart begins with).
int64_t BlockAtFrame(int64_t frame);

// Everything back to the state of the run's start (NoteRunStart), then the frames before
// `frame` run with the replay's clock at 16 x 12 and not presented: the next frame drawn
// (ReplayDrawFrame(ReplayFrameInputs(frame))) is frame `frame` of a straight run. The viewport
// is back at the view's size afterwards.
void CatchUpTo(int64_t frame);
// The player's playback state and the voices as the straight run has them at the start of song
// block `block`; playback must be stopped. ContinuePlayback then goes on from there.
void SetMusicToBlock(int64_t block);
