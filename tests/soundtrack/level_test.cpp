// The engine's render of the whole soundtrack: no sample at full scale, the peak in the range
// the mix is made for, and no order carrying an offset from a sample's tail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "music/module.h"
#include "music/render.h"

TEST(SoundtrackRender, PeakBelowFullScaleAndNoOffset) {
  ModulePlayer* player = LoadSoundtrack();
  ASSERT_NE(player, nullptr);
  std::vector<int16_t> frames;
  RenderOffline(player, {0, 46}, [&](std::span<const int16_t> v) { frames.insert(frames.end(), v.begin(), v.end()); });
  FreeModule(player);
  constexpr size_t kOrderFrames = 64 * 3 * 804;
  ASSERT_GE(frames.size(), 46 * kOrderFrames * 2);

  int peak = 0;
  for (int16_t v : frames) peak = std::max(peak, std::abs(static_cast<int>(v)));
  EXPECT_LT(peak, 32767) << "a sample at full scale";
  const double peakDb = 20 * std::log10(peak / 32768.0);
  EXPECT_GE(peakDb, -3.0);
  EXPECT_LE(peakDb, -0.5);

  for (size_t o = 0; o < 46; ++o)
    for (int side = 0; side < 2; ++side) {
      double sum = 0;
      for (size_t f = o * kOrderFrames; f < (o + 1) * kOrderFrames; ++f) sum += frames[2 * f + side];
      EXPECT_LE(std::fabs(sum / kOrderFrames) / 32768.0, 0.002) << "order " << o << " side " << side;
    }
}
