// The GL layer's ES 3 pipeline against desktop GL's own fixed function, on the program's real
// frames: the contact sheet (one frame from the middle of every span of the schedule, and two of
// the end text) drawn both ways. Rasterisers may differ at an edge here and there, nothing else
// should: each frame may differ by at most 2 levels of 255 per channel on average.
//
// The frames are 320 x 240; VALE_GL_COMPARE_SIZE=WxH draws them at another size, and each
// frame's differences are printed (scripts/gl-layer-report.sh: the 640 x 480 measure).
#include <png.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "tests/tools/tool_run.h"

namespace {


// The sheet's layout (tools/cmd_contact_sheet.cpp): six frames a row, each in a cell 8 pixels
// wider than the frame, with the frame 4 pixels in from the cell's top left; the cells' height
// follows from the sheet's.
constexpr int kColumns = 6;

// Mean absolute difference per channel over frame `tile` of two sheets.
std::array<double, 3> TileDifference(const Image& a, const Image& b, int tile, int width, int height, int cellHeight) {
  const int x0 = (tile % kColumns) * (width + 8) + 4, y0 = (tile / kColumns) * cellHeight + 4;
  std::array<double, 3> sum{};
  for (int y = y0; y < y0 + height; ++y)
    for (int x = x0; x < x0 + width; ++x)
      for (int c = 0; c < 3; ++c) {
        const size_t at = (static_cast<size_t>(y) * a.width + x) * 3 + c;
        sum[c] += std::abs(a.rgb[at] - b.rgb[at]);
      }
  for (double& s : sum) s /= static_cast<double>(width) * height;
  return sum;
}

using GlLayer = ToolTest;

}  // namespace

TEST_F(GlLayer, EverySpanDrawsThroughGles3AsThroughDesktopGl) {
  int width = 320, height = 240;
  if (const char* size = std::getenv("VALE_GL_COMPARE_SIZE")) ASSERT_EQ(std::sscanf(size, "%dx%d", &width, &height), 2);
  const std::string size = " --size " + std::to_string(width) + "x" + std::to_string(height);
  const Result desktop = Tool("contact-sheet " + Path("gl.png") + size);
  ASSERT_EQ(desktop.code, 0) << desktop.output;
  const Result es3 = Tool("contact-sheet " + Path("es3.png") + size + " --gl es3");
  ASSERT_EQ(es3.code, 0) << es3.output;

  std::smatch m;
  ASSERT_TRUE(std::regex_search(es3.output, m, std::regex(": (\\d+) frames, ")) ) << es3.output;
  const int tiles = std::stoi(m[1]);
  const Image a = ReadPng(dir / "gl.png"), b = ReadPng(dir / "es3.png");
  ASSERT_GT(a.width, 0);
  ASSERT_EQ((std::array{a.width, a.height}), (std::array{b.width, b.height}));
  const int rows = (tiles + kColumns - 1) / kColumns;
  ASSERT_EQ(a.height % rows, 0);
  ASSERT_GE(tiles, 20);  // every span of the schedule and the end text

  for (int t = 0; t < tiles; ++t) {
    const std::array<double, 3> d = TileDifference(a, b, t, width, height, a.height / rows);
    std::printf("frame %2d of the sheet: mean difference %.3f %.3f %.3f\n", t + 1, d[0], d[1], d[2]);
    for (int c = 0; c < 3; ++c) EXPECT_LE(d[c], 2.0) << "frame " << t + 1 << " of the sheet, channel " << c;
  }
}
