// texgen/ops.h: one routine per texture operation (declared from the list in op_list.h) and
// the helpers they share. Each takes the generator, the target layer (0..3) and the instruction
// record, whose byte i is operand bi (b2..b8); the validator has already checked layer and
// channel operands.
#pragma once
#include <cstdint>
#include <span>

#include "texgen/generator.h"
#include "texgen/op_list.h"

using Record = const uint8_t*;  // 9 bytes; a bitmap's data follows directly

#define TEXTURE_ROUTINE(name, opcode, routine, ...) void routine(TextureGenerator& g, int layer, Record b);
TEXTURE_OPERATIONS(TEXTURE_ROUTINE)
#undef TEXTURE_ROUTINE

// Generators' helpers.
int32_t NoiseHash(uint32_t seed, int32_t n);
void CosineNoiseOctave(std::span<int32_t, TexturePixelCount> dest, uint32_t seed, int step, float amplitude);
void CubicNoiseOctave(std::span<float, TexturePixelCount> dest, uint32_t seed, int step, float amplitude);

// Filters' helpers.
struct Hsv {
  float h, s, v;
};
Hsv RgbToHsv(float r, float g, float b);
uint32_t HsvToRgb(float h, float s, float v);

// Distortions' helpers.
uint32_t BilinearSample(const TextureLayer& layer, float x, float y);
void BlurPasses(TextureGenerator& g, int layer, int passes);
