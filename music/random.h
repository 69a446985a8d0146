// music/random.h: the one process-wide pseudo-random generator. The synthesiser's noise
// re-seeds it for every value; the scenes draw from it later, so their random choices start
// from the state the music start left behind.
#pragma once
#include <cstdint>

// Seeding sets the state; the state starts at 1.
void SeedRandom(uint32_t seed);
// state = state * 214013 + 2531011 (mod 2^32); returns bits 16..30 of the new state (0..32767).
int32_t NextRandom();
uint32_t RandomState();
