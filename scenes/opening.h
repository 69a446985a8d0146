// scenes/opening.h: the opening scene's music-driven title words, exposed for tests.
#pragma once
#include <cstdint>
#include <string_view>

// The intro word shown at a sync time, or empty outside the word block (1.008 .. 5).
std::string_view OpeningWordAt(float syncTime);
// Brightness of the light bands and the word on a music row: steady 0.6, except on rows
// 1 to 7 of every 16, where it steps from dark to bright with the sync time.
float OpeningBandBrightness(float syncTime, int32_t musicRow);
// Forgets the one-time set-up (for a new GL context, as tests and tools make).
void ResetOpeningScene();
