// platform/random.h: the one process-wide pseudo-random generator, shared by the music and
// the scenes. The synthesiser's noise re-seeds it for every value; the scenes draw from it
// later and never seed it, so their random choices start from the state the music start left
// behind. When the soundtrack is loaded ahead on its own thread (music/load_ahead.h), the
// synthesis draws from it there: nothing else draws until the music start has joined that
// thread, so the state the scenes start from stays the same. Header-only so that both can
// reach it without linking one another.
#pragma once
#include <cstdint>

// The generator's state; starts at 1. Inline so the noise oscillator's draw loop stays tight.
inline uint32_t randomState = 1;

// Seeding sets the state.
inline void SeedRandom(uint32_t seed) { randomState = seed; }

// state = state * 214013 + 2531011 (mod 2^32); returns bits 16..30 of the new state (0..32767).
inline int32_t NextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 0x7FFF);
}

inline uint32_t RandomState() { return randomState; }
