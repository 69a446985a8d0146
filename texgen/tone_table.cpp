// texgen/tone_table.cpp: fills the tone table. The lightening rows are computed in double
// precision and truncated; a float evaluation would move some entries by one and with them
// every texture that lightens.
#include "texgen/tone_table.h"

void BuildToneTable(ToneTable& table) {
  for (uint32_t r = 0; r < 128; ++r)
    for (uint32_t v = 0; v < 256; ++v) table[r * 256 + v] = uint8_t(r * v / 127u);
  for (int k = 0; k < 128; ++k) {
    const double f = 1.0 - k * 0.007874015748031496;
    for (int v = 0; v < 256; ++v) table[(k + 128) * 256 + v] = uint8_t(int(255.0 - f * (255 - v)));
  }
}
