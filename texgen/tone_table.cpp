// texgen/tone_table.cpp: fills the tone table. The lightening rows go through double
// precision exactly as the textures were designed with, so their truncations match.
#include "texgen/tone_table.h"

void BuildToneTable(ToneTable& table) {
  for (uint32_t r = 0; r < 128; ++r)
    for (uint32_t v = 0; v < 256; ++v) table[r * 256 + v] = uint8_t(r * v / 127u);
  for (int k = 0; k < 128; ++k) {
    const double f = 1.0 - k * 0.007874015748031496;
    for (int v = 0; v < 256; ++v) table[(k + 128) * 256 + v] = uint8_t(int(255.0 - f * (255 - v)));
  }
}
