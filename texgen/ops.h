// texgen/ops.h: one routine per texture opcode and the helpers they share. Each takes
// the generator, the target layer (0..3) and the instruction record, whose byte i is
// operand bi (b2..b8); the validator has already checked layer and channel operands.
#pragma once
#include <cstdint>
#include <span>

#include "texgen/generator.h"

using Record = const uint8_t*;  // 9 bytes; a bitmap's data follows directly

// Generators.
int32_t NoiseHash(uint32_t seed, int32_t n);
void CosineNoiseOctave(std::span<int32_t, TexturePixelCount> dest, uint32_t seed, int step, float amplitude);
void CubicNoiseOctave(std::span<float, TexturePixelCount> dest, uint32_t seed, int step, float amplitude);
void FractalNoise(TextureGenerator& g, int layer, Record b);
void SinePlasma(TextureGenerator& g, int layer, Record b);
void CellPattern(TextureGenerator& g, int layer, Record b);
void RadialGlow(TextureGenerator& g, int layer, Record b);
void CubicNoise(TextureGenerator& g, int layer, Record b);
void ClearLayer(TextureGenerator& g, int layer, Record b);
void Bitmap(TextureGenerator& g, int layer, Record b);

// Filters and combiners.
struct Hsv {
  float h, s, v;
};
Hsv RgbToHsv(float r, float g, float b);
uint32_t HsvToRgb(float h, float s, float v);
void SwapChannels(TextureGenerator& g, int layer, Record b);
void ChannelToGrey(TextureGenerator& g, int layer, Record b);
void CopyChannel(TextureGenerator& g, int layer, Record b);
void Crossfade(TextureGenerator& g, int layer, Record b);
void Multiply(TextureGenerator& g, int layer, Record b);
void AddSaturate(TextureGenerator& g, int layer, Record b);
void Lighten(TextureGenerator& g, int layer, Record b);
void Contrast(TextureGenerator& g, int layer, Record b);
void InvertBlue(TextureGenerator& g, int layer, Record b);
void ShadeByChannel(TextureGenerator& g, int layer, Record b);
void Brightness(TextureGenerator& g, int layer, Record b);
void CosineRemap(TextureGenerator& g, int layer, Record b);
void LevelRange(TextureGenerator& g, int layer, Record b);
void HueSaturation(TextureGenerator& g, int layer, Record b);
void GradientMap(TextureGenerator& g, int layer, Record b);
void MaskedBlend(TextureGenerator& g, int layer, Record b);

// Distortions and convolutions.
uint32_t BilinearSample(const TextureLayer& layer, float x, float y);
void SineWarp(TextureGenerator& g, int layer, Record b);
void Scroll(TextureGenerator& g, int layer, Record b);
void Twirl(TextureGenerator& g, int layer, Record b);
void DiagonalRelief(TextureGenerator& g, int layer, Record b);
void Blur(TextureGenerator& g, int layer, Record b);
void BlurPasses(TextureGenerator& g, int layer, int passes);
void DisplaceByMap(TextureGenerator& g, int layer, Record b);
void DirectionalSmear(TextureGenerator& g, int layer, Record b);
void HorizontalRelief(TextureGenerator& g, int layer, Record b);
