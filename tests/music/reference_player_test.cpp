// The engine against an independent player of the module format: a module with one part hard
// left and another hard right must come out on the same sides in both renders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "music/module.h"
#include "music/render.h"
#include "tests/music/test_modules.h"

namespace {

struct Stereo {
  std::vector<double> left, right;
};

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | (at + i < b.size() ? b[at + i] : 0);
  return v;
}

// 16-bit stereo PCM from a WAV file, walking its chunks; empty when the file is not that.
Stereo ReadWav(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Stereo s;
  bool pcm16 = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
    const uint32_t size = Le(b, at + 4, 4);
    if (id == "fmt ") pcm16 = Le(b, at + 8, 2) == 1 && Le(b, at + 10, 2) == 2 && Le(b, at + 22, 2) == 16;
    if (id == "data" && pcm16) {
      for (size_t k = at + 8; k + 4 <= at + 8 + size && k + 4 <= b.size(); k += 4) {
        s.left.push_back(static_cast<int16_t>(Le(b, k, 2)));
        s.right.push_back(static_cast<int16_t>(Le(b, k + 2, 2)));
      }
    }
    at += 8 + size + (size & 1);
  }
  return s;
}

// Normalised correlation of two signals over frames [from, to).
double Correlation(const std::vector<double>& a, const std::vector<double>& b, size_t from, size_t to) {
  auto dot = [&](const std::vector<double>& x, const std::vector<double>& y) {
    return std::inner_product(x.begin() + from, x.begin() + to, y.begin() + from, 0.0);
  };
  const double aa = dot(a, a), bb = dot(b, b);
  return aa > 0 && bb > 0 ? dot(a, b) / std::sqrt(aa * bb) : 0;
}

TEST(ReferencePlayer, HardPanningLandsOnTheSameSide) {
  // Channel 1: a low tone on an instrument panned 0; channel 2: a fifth above, panned 255.
  XmModule m = MakeTestModule(2);
  for (auto [periods, panning] : {std::pair{10, 0}, std::pair{15, 255}}) {
    std::vector<int16_t> sine(1000);
    for (int i = 0; i < 1000; ++i) sine[i] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * periods * i / 1000));
    m.instruments.push_back(MakeTestInstrument(1000, sine, 0, 0, 64, static_cast<uint8_t>(panning)));
    SetTestLoop(m.instruments.back(), XmLoop::Forward, 0, 1000);
  }
  PatternCellAt(m.patterns[0], 2, 0, 0) = {49, 1, 0, 0, 0};
  PatternCellAt(m.patterns[0], 2, 0, 1) = {49, 2, 0, 0, 0};

  const std::string path = ::testing::TempDir() + "vale_hard_panned.xm";
  std::string error;
  ASSERT_TRUE(SaveXmModule(m, path, error)) << error;
  const std::string command = std::string(VALE_OPENMPT123) +
                              " --render --force --quiet --no-float --samplerate 44100 '" + path + "' > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const Stereo reference = ReadWav(path + ".wav");

  std::vector<uint8_t> bytes;
  ModulePlayer* p = LoadTestModule(m, bytes);
  ASSERT_NE(p, nullptr);
  Stereo ours;
  RenderOffline(p, {0, 0}, [&](std::span<const int16_t> v) {
    for (size_t i = 0; i + 1 < v.size(); i += 2) {
      ours.left.push_back(v[i]);
      ours.right.push_back(v[i + 1]);
    }
  });
  FreeModule(p);

  // Compare a second in the middle of the 3.5 s pattern, clear of the starts and ends.
  ASSERT_GE(reference.left.size(), 88200u);
  ASSERT_GE(ours.left.size(), 88200u);
  const size_t from = 44100, to = 88200;
  EXPECT_GT(Correlation(ours.left, reference.left, from, to), 0.95);
  EXPECT_GT(Correlation(ours.right, reference.right, from, to), 0.95);
  // Mirrored, each side would carry the other channel's tone, which does not correlate.
  EXPECT_LT(std::fabs(Correlation(ours.left, reference.right, from, to)), 0.2);
}

}  // namespace
