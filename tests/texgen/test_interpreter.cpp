// Script format, validator, interpreter loop, progress accounting, tone table and cache.
#include <filesystem>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "tests/texgen/texgen_test_util.h"
#include "texgen/texture_cache.h"
#include "texgen/texture_set.h"

namespace {
using Span = std::span<const uint8_t>;
using Dest = std::span<uint32_t, TexturePixelCount>;

TextureImage RunScript(TextureGenerator& gen, const std::vector<uint8_t>& script) {
  TextureImage out(TexturePixelCount, 0xDEADu);
  std::string error;
  EXPECT_TRUE(RunTextureScript(gen, script, Dest(out.data(), TexturePixelCount), &error)) << error;
  return out;
}
}  // namespace

TEST_F(TexgenTest, ToneTableRows) {
  const ToneTable& t = gen->toneTable;
  for (int v = 0; v < 256; ++v) {
    EXPECT_EQ(t[0 * 256 + v], 0);
    EXPECT_EQ(t[127 * 256 + v], v);
    EXPECT_EQ(t[128 * 256 + v], v);
    EXPECT_EQ(t[255 * 256 + v], 255);
  }
  EXPECT_EQ(t[64 * 256 + 255], 128);  // 64 * 255 / 127 = 128.5
  EXPECT_EQ(t[200 * 256 + 0], 144);   // 255 - (1 - 72/127) * 255 = 144.57
  EXPECT_EQ(t[1 * 256 + 254], 2);
}

TEST_F(TexgenTest, ProgramListReportsEveryWorkUnit) {
  std::vector<float> calls;
  gen->progress = [&](float f) { calls.push_back(f); };
  const auto images = GenerateTextures(*gen, TextureScriptList());
  ASSERT_EQ(images.size(), 9u);
  ASSERT_EQ(calls.size(), 104u);
  for (int k = 1; k <= 104; ++k) EXPECT_EQ(calls[k - 1], float(k) / 104.0f) << k;
  EXPECT_EQ(gen->workUnitsTotal, 0);  // counters are reset after the list
  EXPECT_EQ(gen->workUnitsDone, 0);
}

TEST_F(TexgenTest, OneScriptListEndsAtOne) {
  std::vector<float> calls;
  const auto script = MakeScript({{OpRadialGlow, 0}, {OpInvertBlue, 0}});
  const Span list[] = {script};
  const auto images = GenerateTextures(list, [&](float f) { calls.push_back(f); });
  ASSERT_EQ(images.size(), 1u);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], 0.5f);
  EXPECT_EQ(calls.back(), 1.0f);
  EXPECT_TRUE(GenerateTextures({}, nullptr).empty());
}

TEST_F(TexgenTest, CountByteZeroAndAbove127RunNothing) {
  for (int count : {0, 128, 200, 255}) {
    // The records are present and valid, yet nothing runs and the image is black.
    const auto script = MakeScript({{OpRadialGlow, 0}}, count);
    std::vector<float> calls;
    gen->progress = [&](float f) { calls.push_back(f); };
    const Span list[] = {script, script};
    const auto images = GenerateTextures(*gen, list);
    ASSERT_EQ(images.size(), 2u);
    for (uint32_t p : images[0]) ASSERT_EQ(p, 0u);
    EXPECT_TRUE(calls.empty()) << count;
  }
  EXPECT_EQ(ScriptWorkUnits(MakeScript({}, 200)), 200);
  EXPECT_EQ(ScriptInstructionCount(MakeScript({}, 200)), 0);
}

TEST_F(TexgenTest, TargetLayerAboveThreeIsSkippedAsNineBytes) {
  gen->workUnitsTotal = 2;
  int calls = 0;
  gen->progress = [&](float) { ++calls; };
  // The skipped record's operands (channel 9) are never used, so the script is valid.
  const auto glowOnly = RunScript(*gen, MakeScript({{OpRadialGlow, 0}}));
  const auto skipped = RunScript(*gen, MakeScript({{OpRadialGlow, 4, 1, 9, 0}, {OpRadialGlow, 0}}));
  EXPECT_EQ(glowOnly, skipped);
  EXPECT_EQ(calls, 3);  // the skipped instruction still counts
}

TEST_F(TexgenTest, BitmapRecordIs8201Bytes) {
  std::vector<uint8_t> s = {0x41, 0x54, 0x47, 2, OpBitmap, 0, 1, 2, 3, 4, 5, 6, 0};
  s.insert(s.end(), BitmapDataSize, 0x01);
  const uint8_t invert[9] = {OpInvertBlue, 0};
  s.insert(s.end(), invert, invert + 9);
  ASSERT_EQ(s.size(), 4u + 8201u + 9u);
  const auto image = RunScript(*gen, s);
  EXPECT_EQ(image[0], 0x0405F9u);  // colour B, blue inverted by the next record
  EXPECT_EQ(image[1], 0x0102FCu);
  EXPECT_EQ(image[8], 0x0405F9u);
}

TEST_F(TexgenTest, SkippedBitmapStillSkipsItsData) {
  // On layer 4 the bitmap does not run, but its 8,192 bytes are data, never instructions.
  std::vector<uint8_t> s = {0x41, 0x54, 0x47, 2, OpBitmap, 4, 1, 2, 3, 4, 5, 6, 0};
  s.insert(s.end(), BitmapDataSize, OpRadialGlow);
  const uint8_t invert[9] = {OpInvertBlue, 0};
  s.insert(s.end(), invert, invert + 9);
  ASSERT_TRUE(ValidateTextureScript(s).ok);
  const auto image = RunScript(*gen, s);
  for (uint32_t p : image) ASSERT_EQ(p, 0x0000FFu);
}

TEST_F(TexgenTest, ValidatorNamesInstructionAndOperand) {
  struct Case {
    std::vector<uint8_t> script;
    const char* expect;
  };
  std::vector<uint8_t> shortBitmap = MakeScript({{OpBitmap, 0}});
  shortBitmap.resize(shortBitmap.size() + 100);
  const Case cases[] = {
      {MakeScript({{OpClear, 0}, {OpMultiply, 1, 4}}), "instruction 2 (Multiply): operand b2 (layer) = 4"},
      {MakeScript({{OpCopyChannel, 0, 0, 1, 3}}), "instruction 1 (CopyChannel): operand b4 (channel) = 3"},
      {MakeScript({{OpSinePlasma, 0, 1, 1, 0, 0, 0, 0, 7}}), "operand b8 (channel) = 7"},
      {MakeScript({{OpCubicNoise, 0, 0, 3}}), "instruction 1 (CubicNoise): operand b3 (lattice step) = 3 is not a power of two"},
      {MakeScript({{OpDirectionalSmear, 0, 0, 0, 0}}), "instruction 1 (DirectionalSmear): operand b4 (sample count) = 0"},
      {MakeScript({{OpDisplaceByMap, 0, 0, 0, 0, 9}}), "operand b5 (layer) = 9"},
      {MakeScript({{OpMaskedBlend, 0, 0, 1, 5}}), "operand b4 (channel) = 5"},
      {shortBitmap, "instruction 1 (Bitmap): bitmap cut short"},
      {MakeScript({{OpClear, 0}}, 3), "instruction 2 of 3 runs past the end"},
      {{0x41, 0x54, 0x48, 1}, "does not start with \"ATG\""},
      {{0x41, 0x54}, "shorter than its 4-byte header"},
  };
  for (const Case& c : cases) {
    const ScriptCheck check = ValidateTextureScript(c.script);
    EXPECT_FALSE(check.ok) << c.expect;
    EXPECT_NE(check.message.find(c.expect), std::string::npos) << check.message;
    TextureImage out(TexturePixelCount, 7u);
    std::string error;
    EXPECT_FALSE(RunTextureScript(*gen, c.script, Dest(out.data(), TexturePixelCount), &error));
    EXPECT_EQ(error, check.message);
    EXPECT_EQ(out[0], 7u);  // rejected before anything runs
  }
  // Step 0 (a no-op), unlisted opcodes and trailing bytes are fine.
  auto ok = MakeScript({{OpCubicNoise, 0, 0, 0}, {41, 0, 200, 200}, {7, 3, 9, 9}});
  ok.push_back(0x55);
  EXPECT_TRUE(ValidateTextureScript(ok).ok) << ValidateTextureScript(ok).message;
  for (Span s : TextureScriptList()) EXPECT_TRUE(ValidateTextureScript(s).ok);
}

TEST_F(TexgenTest, ListWithRejectedScriptGeneratesNothing) {
  const auto good = MakeScript({{OpRadialGlow, 0}});
  const auto bad = MakeScript({{OpCubicNoise, 0, 0, 6}});
  const Span list[] = {good, bad};
  std::string error;
  EXPECT_TRUE(GenerateTextures(list, nullptr, &error).empty());
  EXPECT_NE(error.find("script 1: instruction 1 (CubicNoise)"), std::string::npos) << error;
}

TEST(TextureCache, NamesCountUpWithCarry) {
  char name[13] = "tex00000.tga";
  for (int i = 0; i < 9; ++i) AdvanceCacheFileName(name);
  EXPECT_STREQ(name, "tex00009.tga");
  AdvanceCacheFileName(name);
  EXPECT_STREQ(name, "tex00010.tga");
  std::memcpy(name, "tex00099.tga", 13);
  AdvanceCacheFileName(name);
  EXPECT_STREQ(name, "tex00100.tga");
}

TEST(TextureCache, WritesThenReadsTheSameImages) {
  const auto dir = std::filesystem::temp_directory_path() / ("vale_texcache_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::vector<float> first, second;
  const auto made = GenerateTextures(TextureScriptList(), [&](float f) { first.push_back(f); }, nullptr, true, dir.string());
  ASSERT_EQ(made.size(), 9u);
  EXPECT_EQ(first.size(), 104u);
  for (int k = 0; k < 9; ++k) {
    const auto path = dir / ("tex0000" + std::to_string(k) + ".tga");
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_EQ(std::filesystem::file_size(path), 18u + 196608u);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "tex00009.tga"));
  {  // the header and the bottom-up, blue-first pixel order
    std::ifstream f(dir / "tex00008.tga", std::ios::binary);
    uint8_t header[18], px[3];
    f.read(reinterpret_cast<char*>(header), 18);
    f.read(reinterpret_cast<char*>(px), 3);
    EXPECT_EQ(header[2], 2);
    EXPECT_EQ(header[12] | header[13] << 8, 256);
    EXPECT_EQ(header[16], 24);
    const uint32_t last = made[8][255 * 256];
    EXPECT_EQ(px[0] | px[1] << 8 | px[2] << 16, int(last));
  }
  const auto read = GenerateTextures(TextureScriptList(), [&](float f) { second.push_back(f); }, nullptr, true, dir.string());
  ASSERT_EQ(read.size(), 9u);
  EXPECT_EQ(read, made);
  ASSERT_EQ(second.size(), 9u);  // one call per script, with its full count
  for (int k = 1; k < 9; ++k) EXPECT_GT(second[k], second[k - 1]);
  EXPECT_EQ(second.back(), 1.0f);

  // A truncated cache file is a miss: the image is generated again and rewritten.
  std::filesystem::resize_file(dir / "tex00003.tga", 1000);
  const auto again = GenerateTextures(TextureScriptList(), nullptr, nullptr, true, dir.string());
  EXPECT_EQ(again, made);
  EXPECT_EQ(std::filesystem::file_size(dir / "tex00003.tga"), 18u + 196608u);
  std::filesystem::remove_all(dir);
}
