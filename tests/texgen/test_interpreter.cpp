// Script format, validator, interpreter loop, progress accounting and the cache.
#include <filesystem>
#include <unistd.h>

#include "tests/texgen/texgen_test_util.h"
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

// Progress runs over the whole list and starts again from zero for the next list.
TEST_F(TexgenTest, ProgressCoversTheListAndResets) {
  std::vector<float> calls;
  gen->progress = [&](float f) { calls.push_back(f); };
  const auto script = MakeScript({{OpRadialGlow, 0}, {OpInvertBlue, 0}});
  const Span list[] = {script, script};
  for (int pass = 0; pass < 2; ++pass) ASSERT_EQ(GenerateTextures(*gen, list).size(), 2u);
  EXPECT_EQ(calls, (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f, 0.25f, 0.5f, 0.75f, 1.0f}));
  EXPECT_TRUE(GenerateTextures({}, nullptr).empty());
}

// A run cut into steps stops between instructions, across script ends, and goes on where it
// stopped: the images and the progress are those of one call.
TEST_F(TexgenTest, SteppedRunGivesTheImagesOfOneCall) {
  const auto whole = GenerateTextures(TextureScriptList(), nullptr);
  TextureGeneration run;
  ASSERT_TRUE(BeginTextureGeneration(run, *gen, TextureScriptList()));
  int steps = 0;
  while (!AdvanceTextureGeneration(run, 7)) {
    ++steps;
    ASSERT_FALSE(TextureGenerationDone(run));
    ASSERT_EQ(TextureGenerationProgress(run), float(7 * steps) / 104.0f) << steps;
  }
  EXPECT_EQ(steps, 14);  // 98 of the 104 units, then a step of 6 ends the run
  EXPECT_EQ(TextureGenerationProgress(run), 1.0f);
  EXPECT_EQ(FinishTextureGeneration(run), whole);
  EXPECT_EQ(gen->workUnitsDone, 0);

  // A time budget that has passed at once still runs one instruction per call.
  const auto script = MakeScript({{OpRadialGlow, 0}, {OpInvertBlue, 0}});
  const Span list[] = {script, script};
  ASSERT_TRUE(BeginTextureGeneration(run, *gen, list));
  std::vector<float> progress;
  while (!AdvanceTextureGenerationFor(run, std::chrono::steady_clock::duration::zero()))
    progress.push_back(TextureGenerationProgress(run));
  EXPECT_EQ(progress, (std::vector<float>{0.25f, 0.5f, 0.75f}));
  EXPECT_EQ(FinishTextureGeneration(run), GenerateTextures(list, nullptr));
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
      {MakeScript({{OpCubicNoise, 0, 0, 3}}), "instruction 1 (CubicNoise): operand b3 (lattice step) = 3 is not a power of two"},
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
}

TEST_F(TexgenTest, ListWithRejectedScriptGeneratesNothing) {
  const auto good = MakeScript({{OpRadialGlow, 0}});
  const auto bad = MakeScript({{OpCubicNoise, 0, 0, 6}});
  const Span list[] = {good, bad};
  std::string error;
  EXPECT_TRUE(GenerateTextures(list, nullptr, &error).empty());
  EXPECT_NE(error.find("script 1: instruction 1 (CubicNoise)"), std::string::npos) << error;
}

TEST(TextureCache, WritesThenReadsTheSameImages) {
  const auto dir = std::filesystem::temp_directory_path() / ("vale_texcache_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::vector<float> second;
  const auto made = GenerateTextures(TextureScriptList(), nullptr, nullptr, true, dir.string());
  ASSERT_EQ(made.size(), 9u);
  EXPECT_TRUE(std::filesystem::exists(dir / "tex00008.tga"));
  EXPECT_FALSE(std::filesystem::exists(dir / "tex00009.tga"));
  EXPECT_EQ(std::filesystem::file_size(dir / "tex00008.tga"), 18u + 196608u);
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
