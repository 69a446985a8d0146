// vale-tool contact-sheet: one frame from the middle of every span of the schedule, and two of
// the end text, from one replay at 50 frames a second, laid out in one labelled PNG.
#include <algorithm>
#include <cstdio>

#include "platform/glyphs.h"
#include "platform/output_file.h"
#include "tools/png_writer.h"
#include "tools/replay_run.h"
#include "tools/supersample.h"
#include "tools/tool.h"

namespace {

int Run(std::span<const std::string> rawArgs);

const ToolCommand kCommand{"contact-sheet", "OUT.png [--size WxH] [--supersample N] [--gl gl|es3]",
                           "one labelled frame from every span of the schedule and two of the end text "
                           "(each frame WxH, default 256x192, drawn N times larger and averaged down "
                           "with --supersample N; --gl es3 draws through the GL layer on OpenGL ES 3)",
                           Run};
ToolRegistration registration(kCommand);

constexpr int32_t kFps = 50;
constexpr int kColumns = 6;
constexpr int kFontPixels = 12;

struct Tile {
  int64_t frame = 0;
  std::string title;  // span and scene
  std::vector<uint8_t> rgb;
};

constexpr int kEndTextTiles = 2;
constexpr int64_t kMaxSheetPixels = 400'000'000;

ScheduleStep StepOf(const FrameInputs& in) { return PickScene(ComputeSyncTime(in.order, in.row)); }


// The middle frame of every run of frames the schedule gives one scene (with one mode), then two
// frames of the end text.
std::vector<Tile> ChooseFrames() {
  std::vector<Tile> tiles;
  const int64_t end = ReplayEndFrame();
  int64_t spanStart = 0;
  int span = 1;
  for (int64_t k = 1; k <= end; ++k) {
    const ScheduleStep a = StepOf(ReplayFrameInputs(k - 1));
    const bool cut = k == end || a != StepOf(ReplayFrameInputs(k));
    if (!cut) continue;
    std::string title = "span " + std::to_string(span++) + ": ";
    title += SceneOf(a.scene).name;
    if (a.mode) title += " " + std::to_string(a.mode);
    tiles.push_back({(spanStart + k - 1) / 2, title, {}});
    spanStart = k;
  }
  const int64_t textFrom = std::max<int64_t>(FirstFrameAt(ReplaySong(), {kEndTextOrder, kEndTextRow}, kFps), 0);
  if (textFrom < end) {
    tiles.push_back({textFrom + (end - textFrom) / 4, "end text", {}});
    tiles.push_back({textFrom + (end - textFrom) * 9 / 10, "end text", {}});
  }
  std::stable_sort(tiles.begin(), tiles.end(), [](const Tile& x, const Tile& y) { return x.frame < y.frame; });
  return tiles;
}

int Run(std::span<const std::string> rawArgs) {
  static const std::string_view valueOptions[] = {"--size", "--supersample", "--gl"};
  ToolArgs args = ParseToolArgs(rawArgs, valueOptions);
  if (!args.error.empty()) return ToolFail(args.error, 2);
  if (args.positional.size() != 1) return ToolUsage(kCommand);
  PictureOptions picture{256, 192};
  std::string error;
  if (!PictureOptionsOf(args, picture, error)) return ToolFail(error, 2);
  const auto [width, height, n, gl] = picture;
  const std::string& out = args.positional[0];

  // The sheet's size is known before any frame is drawn: refuse a too large one at once.
  GlyphFont* font = OpenGlyphFont("Liberation Sans", false, kFontPixels);
  const int line = GlyphLineHeight(font);
  const int cellW = width + 8, cellH = height + 2 * line + 10;
  // Frames sample the schedule's rows, so no replay shows more spans than ScheduleSpans lists.
  const int rows = (static_cast<int>(ScheduleSpans().size()) + kEndTextTiles + kColumns - 1) / kColumns;
  const int sheetW = kColumns * cellW, sheetH = rows * cellH;
  if (static_cast<int64_t>(sheetW) * sheetH > kMaxSheetPixels) {
    CloseGlyphFont(font);
    return ToolFail("the sheet would be " + std::to_string(sheetW) + "x" + std::to_string(sheetH) +
                        " pixels, too large; ask for a smaller --size", 2);
  }

  ReplayRun run;
  if (!run.Start(kFps, false, width * n, height * n, error, false, gl)) {
    CloseGlyphFont(font);
    return ToolFail(error);
  }
  std::vector<Tile> tiles = ChooseFrames();
  ToolProgress bar("contact-sheet", "frames");
  for (size_t i = 0; i < tiles.size() && error.empty(); ++i) {
    if (run.CatchUp(tiles[i].frame, error) && ReplayNextFrame() == tiles[i].frame &&
        run.Draw(width * n, height * n, tiles[i].rgb, error))
      tiles[i].rgb = ResolveSupersampled(std::move(tiles[i].rgb), width, height, n);
    bar.Update(static_cast<int64_t>(i + 1), static_cast<int64_t>(tiles.size()));
  }
  bar.Finish();
  if (!error.empty() || static_cast<int>(tiles.size()) > rows * kColumns) {
    CloseGlyphFont(font);
    return ToolFail(error.empty() ? "the schedule has more spans than the sheet was laid out for" : error);
  }
  std::vector<uint8_t> sheet(static_cast<size_t>(sheetW) * sheetH * 3, 24);
  std::vector<uint8_t> coverage(static_cast<size_t>(sheetW) * sheetH, 0);
  for (size_t i = 0; i < tiles.size(); ++i) {
    const int x0 = static_cast<int>(i % kColumns) * cellW + 4, y0 = static_cast<int>(i / kColumns) * cellH + 4;
    const Tile& t = tiles[i];
    for (int y = 0; y < height && !t.rgb.empty(); ++y)
      std::copy_n(t.rgb.data() + static_cast<size_t>(y) * width * 3, static_cast<size_t>(width) * 3,
                  sheet.data() + (static_cast<size_t>(y0 + y) * sheetW + x0) * 3);
    const FrameInputs in = ReplayFrameInputs(t.frame);
    char when[64];
    std::snprintf(when, sizeof when, "sync %d.%03d, %.2f s", in.order, in.row, static_cast<double>(in.elapsedSeconds));
    DrawGlyphText(font, Latin1ToCodePoints(t.title), x0, y0 + height + 2, coverage.data(), sheetW, sheetH, sheetW);
    DrawGlyphText(font, Latin1ToCodePoints(when), x0, y0 + height + 2 + line, coverage.data(), sheetW, sheetH, sheetW);
  }
  CloseGlyphFont(font);
  for (size_t p = 0; p < coverage.size(); ++p)
    if (coverage[p])
      for (int c = 0; c < 3; ++c)
        sheet[3 * p + c] = static_cast<uint8_t>(std::max<int>(sheet[3 * p + c], coverage[p] * 230 / 255));
  if (!WritePng(out, sheetW, sheetH, 3, sheet, error)) return ToolFail(error);
  std::fprintf(stderr, "%s: %zu frames, %dx%d\n", out.c_str(), tiles.size(), sheetW, sheetH);
  return 0;
}

}  // namespace
