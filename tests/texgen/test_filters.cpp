// Filters and combiners the shipped scripts do not use (the golden texture hashes pin the rest):
// one representative pixel each, with the rounding edges that are easy to get wrong.
#include "tests/texgen/texgen_test_util.h"

TEST_F(TexgenTest, FiltersOutsideTheShippedScripts) {
  struct Case {
    uint32_t target, source;
    std::initializer_list<int> instruction;  // runs on layer 0 with layer 1 as the source
    uint32_t expect;
  };
  const Case cases[] = {
      {0x123456, 0, {OpChannelToGrey, 0, 1}, 0x343434},
      {0xFF8000, 0xFFFFFF, {OpMultiply, 0, 1}, 0xFE7F00},  // x * 255 >> 8: 255 -> 254, 128 -> 127
      {0x80F010, 0x902005, {OpLighten, 0, 1}, 0x90F010},
      {0x000000, 0xFEFEFE, {OpCrossfade, 0, 1, 128}, 0x7E7E7E},  // k = 64: 63/127 of 254
      {0x123456, 0xABCDEF, {OpCrossfade, 0, 1, 254}, 0x123456},  // the ends keep and replace
      {0x123456, 0xABCDEF, {OpCrossfade, 0, 1, 0}, 0xABCDEF},
      {0x11223344, 0, {OpInvertBlue, 0}, 0x112233BB},  // red, green and the top byte untouched
      {0xFF7F00, 0, {OpBrightness, 0, 64}, 0x804000},  // tone row 64: 255 -> 128, 127 -> 64
      {0xFF80FF, 0, {OpLevelRange, 0, 1, 0, 255}, 0xFF7FFF},
      {0xFF80FF, 0, {OpLevelRange, 0, 2, 200, 100}, 0xFF8064},  // inverted: 200 + 255 * -100 / 256
      {0xFF80FF, 0, {OpLevelRange, 0, 1, 9, 9}, 0xFF09FF},
  };
  for (const Case& c : cases) {
    Fill(0, c.target);
    Fill(1, c.source);
    Run(c.instruction);
    EXPECT_EQ(L(0)[0], c.expect) << "opcode " << *c.instruction.begin() << " on " << std::hex << c.target;
  }
  EXPECT_EQ(HsvToRgb(-120.0f, 1.0f, 200.0f), 0x0000C8u);  // a negative hue wraps to 240 degrees
}
