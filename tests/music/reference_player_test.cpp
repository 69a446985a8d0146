// The engine against an independent player of the module format: a module with one part hard
// left and another hard right must come out on the same sides in both renders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
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

// The reference player's raw output: 16-bit stereo frames.
Stereo ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Stereo s;
  for (int16_t frame[2]; in.read(reinterpret_cast<char*>(frame), sizeof frame);) {
    s.left.push_back(frame[0]);
    s.right.push_back(frame[1]);
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
    for (int i = 0; i < 1000; ++i)
      sine[i] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * periods * i / 1000));
    m.instruments.push_back(MakeTestInstrument(1000, sine, 0, 0, 64, static_cast<uint8_t>(panning)));
    SetTestLoop(m.instruments.back(), XmLoop::Forward, 0, 1000);
  }
  PatternCellAt(m.patterns[0], 2, 0, 0) = {49, 1, 0, 0, 0};
  PatternCellAt(m.patterns[0], 2, 0, 1) = {49, 2, 0, 0, 0};

  const std::string path = ::testing::TempDir() + "vale_hard_panned.xm";
  std::string error;
  std::vector<uint8_t> file;
  ASSERT_TRUE(WriteXmModule(m, file, error)) << error;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  const std::string command = std::string(VALE_OPENMPT123) + " --batch --stdout --quiet --no-float" +
                              " --samplerate 44100 '" + path + "' > '" + path + ".raw' 2> /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const Stereo reference = ReadRaw(path + ".raw");

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
