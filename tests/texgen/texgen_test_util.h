// tests/texgen/texgen_test_util.h: running single instructions on a fresh generator.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "texgen/generator.h"
#include "texgen/ops.h"
#include "texgen/script_format.h"

class TexgenTest : public ::testing::Test {
 protected:
  std::unique_ptr<TextureGenerator> gen = CreateTextureGenerator();
  void SetUp() override {
    for (TextureLayer& l : gen->layers) l.fill(0);
  }
  // Opcode, target layer, then b2..b8 (missing bytes are 0).
  void Run(std::initializer_list<int> bytes) {
    uint8_t rec[InstructionSize] = {};
    int i = 0;
    for (int b : bytes) rec[i++] = uint8_t(b);
    RunTextureInstruction(*gen, rec);
  }
  TextureLayer& L(int k) { return gen->layers[k]; }
  void Fill(int k, uint32_t pixel) { L(k).fill(pixel); }
  // A deterministic busy image.
  void FillPattern(int k, uint32_t salt = 0) {
    for (int i = 0; i < TexturePixelCount; ++i) L(k)[i] = ((uint32_t(i) * 2654435761u + salt) >> 5) & 0xFFFFFFu;
  }
};

// A script from records of 9 bytes each.
inline std::vector<uint8_t> MakeScript(std::initializer_list<std::initializer_list<int>> records, int count = -1) {
  std::vector<uint8_t> s = {0x41, 0x54, 0x47, uint8_t(count < 0 ? int(records.size()) : count)};
  for (const auto& r : records) {
    size_t start = s.size();
    for (int b : r) s.push_back(uint8_t(b));
    s.resize(start + InstructionSize, 0);
  }
  return s;
}
